// Texts compared as the desktop engine compares them: without regard to letter case or
// accents ("ação" = "AÇÃO"), in dictionary order ("ágata", "Bruno", "zeca"). Registered on
// each connection as a collation and as the LIKE operator.
#include <QChar>
#include <algorithm>
#include <array>
#include <vector>

#include "platform/database/internal.h"

namespace ark::db::detail {

namespace {
// The base letter of a character, case folded; 0 for a combining accent, which is skipped.
char32_t foldSlow(char32_t c) {
  if (QChar::category(c) == QChar::Mark_NonSpacing) return 0;
  for (int guard = 0; guard < 4 && QChar::decompositionTag(c) == QChar::Canonical; ++guard) {
    const QString d = QChar::decomposition(c);
    if (d.isEmpty()) break;
    c = d.at(0).isHighSurrogate() && d.size() > 1 ? QChar::surrogateToUcs4(d.at(0), d.at(1))
                                                  : d.at(0).unicode();
  }
  return QChar::toCaseFolded(c);
}

char32_t fold(char32_t c) {
  static const auto table = [] {
    std::array<char32_t, 0x250> t{};
    for (char32_t i = 0; i < t.size(); ++i) t[i] = foldSlow(i);
    return t;
  }();
  if (c < 0x80) return c >= 'A' && c <= 'Z' ? c + 32 : c;
  return c < table.size() ? table[c] : foldSlow(c);
}

// Reads UTF-8 one character at a time; a stray byte stands for itself, beyond Unicode.
class Reader {
 public:
  Reader(const char* s, int n) : p_(reinterpret_cast<const unsigned char*>(s)), end_(p_ + n) {}
  // The next folded character; false at the end.
  bool next(char32_t& out) {
    while (p_ < end_) {
      const char32_t f = fold(decode());
      if (f) {
        out = f;
        return true;
      }
    }
    return false;
  }

 private:
  char32_t decode() {
    const unsigned char b = *p_++;
    if (b < 0x80) return b;
    int more = b >= 0xF0 ? 3 : b >= 0xE0 ? 2 : b >= 0xC0 ? 1 : -1;
    if (more < 0 || end_ - p_ < more) return 0x110000 + b;
    char32_t c = b & (0x3F >> more);
    for (int i = 0; i < more; ++i) {
      if ((p_[i] & 0xC0) != 0x80) return 0x110000 + b;
      c = (c << 6) | (p_[i] & 0x3F);
    }
    p_ += more;
    return c;
  }
  const unsigned char* p_;
  const unsigned char* end_;
};

std::vector<char32_t> folded(const char* s, int n) {
  std::vector<char32_t> out;
  out.reserve(n);
  Reader r(s, n);
  char32_t c;
  while (r.next(c)) out.push_back(c);
  return out;
}

int collate(void*, int an, const void* a, int bn, const void* b) {
  return compareTexts(static_cast<const char*>(a), an, static_cast<const char*>(b), bn);
}

// "*" or "%" any run of characters, "?" or "_" any one character; everything else itself.
bool matches(const std::vector<char32_t>& text, const std::vector<char32_t>& pattern) {
  size_t t = 0, p = 0, starP = std::string::npos, starT = 0;
  auto any = [](char32_t c) { return c == '*' || c == '%'; };
  auto one = [](char32_t c) { return c == '?' || c == '_'; };
  while (t < text.size()) {
    if (p < pattern.size() && any(pattern[p])) {
      starP = p++;
      starT = t;
    } else if (p < pattern.size() && (one(pattern[p]) || pattern[p] == text[t])) {
      ++p;
      ++t;
    } else if (starP != std::string::npos) {
      p = starP + 1;
      t = ++starT;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && any(pattern[p])) ++p;
  return p == pattern.size();
}

// like(pattern, value), the function behind "value LIKE pattern".
void like(sqlite3_context* ctx, int, sqlite3_value** argv) {
  if (sqlite3_value_type(argv[0]) == SQLITE_NULL || sqlite3_value_type(argv[1]) == SQLITE_NULL)
    return sqlite3_result_null(ctx);
  auto text = [](sqlite3_value* v) {
    const char* s = reinterpret_cast<const char*>(sqlite3_value_text(v));
    return folded(s, sqlite3_value_bytes(v));
  };
  const auto pattern = text(argv[0]);
  sqlite3_result_int(ctx, matches(text(argv[1]), pattern) ? 1 : 0);
}
}  // namespace

int compareTexts(const char* a, int aBytes, const char* b, int bBytes) {
  // Sorts compare texts that mostly share a beginning: bytes alike stand for characters
  // alike, so the comparison starts where they first differ, backed up to the start of a
  // character in both (a byte that is not a continuation byte always starts one).
  auto continues = [](const char* s, int bytes, int i) {
    return i < bytes && (static_cast<unsigned char>(s[i]) & 0xC0) == 0x80;
  };
  const int n = std::min(aBytes, bBytes);
  int k = 0;
  while (k < n && a[k] == b[k]) ++k;
  while (k > 0 && (continues(a, aBytes, k) || continues(b, bBytes, k))) --k;
  // Plain ASCII needs no decoding; NUL, which the reader passes over, goes to it.
  for (; k < n; ++k) {
    const unsigned char ca = static_cast<unsigned char>(a[k]);
    const unsigned char cb = static_cast<unsigned char>(b[k]);
    if (ca >= 0x80 || cb >= 0x80 || ca == 0 || cb == 0) break;
    const unsigned char fa = ca >= 'A' && ca <= 'Z' ? ca + 32 : ca;
    const unsigned char fb = cb >= 'A' && cb <= 'Z' ? cb + 32 : cb;
    if (fa != fb) return fa < fb ? -1 : 1;
  }
  a += k;
  b += k;
  aBytes -= k;
  bBytes -= k;
  Reader ra(a, aBytes), rb(b, bBytes);
  for (;;) {
    char32_t ca, cb;
    const bool ha = ra.next(ca), hb = rb.next(cb);
    if (!ha || !hb) return ha ? 1 : hb ? -1 : 0;
    if (ca != cb) return ca < cb ? -1 : 1;
  }
}

void registerTextOrder(sqlite3* db) {
  sqlite3_create_collation_v2(db, kTextCollation, SQLITE_UTF8, nullptr, collate, nullptr);
  sqlite3_create_function_v2(db, "like", 2, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr, like,
                             nullptr, nullptr, nullptr);
}

}  // namespace ark::db::detail
