// Format(value, pattern): a small engine for date patterns and number patterns.
#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstring>
#include <span>
#include <vector>

#include <QVarLengthArray>

#include "platform/core/regional.h"
#include "platform/core/runtime.h"

namespace ark::rt {
namespace {

enum class Tok {
  Literal,
  Day,
  Month,
  Year,
  Hour,
  Minute,
  Second,
  AmPm,  // date parts; `count` letters
  Digit0,
  DigitHash,
  Point,
  Comma,
  Percent,
  Section
};

struct Token {
  Tok kind;
  int count = 1;
  QString text;  // literals, and the "AM/PM" spelling
};

bool isDateKind(Tok k) {
  return k >= Tok::Day && k <= Tok::AmPm;
}

std::vector<Token> tokenize(const QString& p) {
  std::vector<Token> out;
  auto literal = [&](const QString& s) {
    if (!out.empty() && out.back().kind == Tok::Literal)
      out.back().text += s;
    else
      out.push_back({Tok::Literal, 1, s});
  };
  int i = 0;
  while (i < p.size()) {
    QChar c = p[i];
    QChar lc = c.toLower();
    if (c == QLatin1Char('"')) {
      int j = p.indexOf(QLatin1Char('"'), i + 1);
      if (j < 0) j = p.size();
      literal(p.mid(i + 1, j - i - 1));
      i = j + 1;
    } else if (c == QLatin1Char('\\')) {
      if (i + 1 < p.size()) literal(QString(p[i + 1]));
      i += 2;
    } else if (p.mid(i, 5).compare(QLatin1String("AM/PM"), Qt::CaseInsensitive) == 0) {
      out.push_back({Tok::AmPm, 1, p.mid(i, 5)});
      i += 5;
    } else if (QStringLiteral("dmyhns").contains(lc)) {
      int j = i;
      while (j < p.size() && p[j].toLower() == lc) ++j;
      static const Tok kinds[] = {Tok::Day,  Tok::Month,  Tok::Year,
                                  Tok::Hour, Tok::Minute, Tok::Second};
      out.push_back({kinds[QStringLiteral("dmyhns").indexOf(lc)], j - i, {}});
      i = j;
    } else {
      switch (c.unicode()) {
        case '0':
          out.push_back({Tok::Digit0, 1, {}});
          break;
        case '#':
          out.push_back({Tok::DigitHash, 1, {}});
          break;
        case '.':
          out.push_back({Tok::Point, 1, {}});
          break;
        case ',':
          out.push_back({Tok::Comma, 1, {}});
          break;
        case '%':
          out.push_back({Tok::Percent, 1, {}});
          break;
        case ';':
          out.push_back({Tok::Section, 1, {}});
          break;
        default:
          literal(QString(c));
      }
      ++i;
    }
  }
  return out;
}

// The text being written, on the stack until it is whole: a format is written a few
// characters at a time, row after row.
class Out {
 public:
  Out& operator+=(QChar c) {
    buf_.append(c);
    return *this;
  }
  Out& operator+=(QLatin1Char c) { return *this += QChar(c); }
  Out& operator+=(const QString& s) {
    buf_.append(s.constData(), s.size());
    return *this;
  }
  Out& operator+=(QLatin1String s) {
    for (char c : s) *this += QLatin1Char(c);
    return *this;
  }
  QString text() const { return buf_.isEmpty() ? QString() : QString(buf_.constData(), buf_.size()); }

 private:
  QVarLengthArray<QChar, 64> buf_;
};

// n with at least `width` digits, zeros in front.
void appendPadded(Out& out, qint64 n, int width) {
  if (n < 0) {
    out += QStringLiteral("%1").arg(n, width, 10, QLatin1Char('0'));
    return;
  }
  char digits[20];
  int len = 0;
  do {
    digits[len++] = char('0' + n % 10);
    n /= 10;
  } while (n > 0);
  for (int k = len; k < width; ++k) out += QLatin1Char('0');
  while (len > 0) out += QLatin1Char(digits[--len]);
}

// --- dates ------------------------------------------------------------------------------

QString formatDate(double serial, const std::vector<Token>& toks) {
  const Regional& r = Regional::ptBR();
  QDate d = serialToDate(serial);
  QTime t = serialToTime(serial);
  bool twelve = false;
  for (const Token& k : toks) twelve = twelve || k.kind == Tok::AmPm;
  // A month token means minutes right after an hour or right before a second.
  auto neighbour = [&](size_t i, int step) -> Tok {
    for (long j = static_cast<long>(i) + step; j >= 0 && j < static_cast<long>(toks.size());
         j += step)
      if (toks[j].kind != Tok::Literal) return toks[j].kind;
    return Tok::Literal;
  };
  Out out;
  for (size_t i = 0; i < toks.size(); ++i) {
    const Token& k = toks[i];
    switch (k.kind) {
      case Tok::Day:
        appendPadded(out, d.day(), k.count >= 2 ? 2 : 1);
        break;
      case Tok::Month:
        if (k.count <= 2 && (neighbour(i, -1) == Tok::Hour || neighbour(i, +1) == Tok::Second))
          appendPadded(out, t.minute(), k.count);
        else if (k.count <= 2)
          appendPadded(out, d.month(), k.count);
        else if (k.count == 3)
          out += r.shortMonths.value(d.month() - 1);
        else
          out += r.longMonths.value(d.month() - 1);
        break;
      case Tok::Year:
        if (k.count == 1)
          out += QString::number(d.dayOfYear());
        else if (k.count <= 3)
          appendPadded(out, d.year() % 100, 2);
        else
          appendPadded(out, d.year(), 4);
        break;
      case Tok::Hour: {
        int h = t.hour();
        if (twelve) h = h % 12 == 0 ? 12 : h % 12;
        appendPadded(out, h, k.count >= 2 ? 2 : 1);
        break;
      }
      case Tok::Minute:
        appendPadded(out, t.minute(), k.count >= 2 ? 2 : 1);
        break;
      case Tok::Second:
        appendPadded(out, t.second(), k.count >= 2 ? 2 : 1);
        break;
      case Tok::AmPm: {
        bool pm = t.hour() >= 12;
        QString s = pm ? k.text.mid(3, 2) : k.text.left(2);
        out += s;
        break;
      }
      case Tok::Literal:
        out += k.text;
        break;
      case Tok::Digit0:
        out += QLatin1Char('0');
        break;
      case Tok::DigitHash:
        out += QLatin1Char('#');
        break;
      case Tok::Point:
        out += QLatin1Char('.');
        break;
      case Tok::Comma:
        out += QLatin1Char(',');
        break;
      case Tok::Percent:
        out += QLatin1Char('%');
        break;
      case Tok::Section:
        break;
    }
  }
  return out.text();
}

// --- numbers ----------------------------------------------------------------------------

// Digits as they are worked out, on the stack.
using Digits = QVarLengthArray<char, 48>;

// The 15 significant digits (into `digits`) of a finite a > 0 rounded half away from zero, as the runtime
// keeps them, and where the decimal point falls (a = 0.ddd... x 10^point). From the
// shortest digits that read back as `a`, which round the same way as `a` itself unless
// they end in a 5 at the sixteenth digit: then `a` may lie on either side of that half.
void significantDigits(double a, char* digits, int& point) {
  char buf[40];
  const auto written = std::to_chars(buf, buf + sizeof buf, a, std::chars_format::scientific);
  const char* e = std::find(buf, written.ptr, 'e');
  char shortest[20];
  int size = 0;
  for (const char* c = buf; c < e && size < 20; ++c)
    if (*c != '.') shortest[size++] = *c;
  int exponent = 0;
  const char* x = e + 1;
  const bool negative = *x == '-';
  if (*x == '-' || *x == '+') ++x;
  std::from_chars(x, written.ptr, exponent);
  if (negative) exponent = -exponent;
  point = exponent + 1;
  if (size == 16 && shortest[15] == '5') {
    const QString exact = QString::number(a, 'e', 14);  // d.dddddddddddddde±XX
    const qsizetype ePos = exact.indexOf(QLatin1Char('e'));
    const QString kept = exact.left(ePos).remove(QLatin1Char('.'));
    for (int k = 0; k < 15; ++k) digits[k] = char(kept[k].unicode());
    point = exact.mid(ePos + 1).toInt() + 1;
    return;
  }
  bool up = size > 15 && shortest[15] >= '5';
  for (int k = 0; k < 15; ++k) digits[k] = k < size ? shortest[k] : '0';
  for (int k = 14; up && k >= 0; --k) {
    if (digits[k] == '9') {
      digits[k] = '0';
    } else {
      ++digits[k];
      up = false;
    }
  }
  if (up) {  // all nines: 10^point
    digits[0] = '1';
    ++point;
  }
}

// The decimal digits of |a| rounded half away from zero to `frac` places, read from the
// 15 significant digits the runtime keeps (so 1.005 reads as 1.005, not 1.00499...).
void decimalDigits(double a, int frac, Digits& whole, Digits& fraction) {
  whole.clear();
  fraction.clear();
  a = std::fabs(a);
  if (a == 0 || !std::isfinite(a)) {
    for (int j = 0; j < frac; ++j) fraction.append('0');
    return;
  }
  char digits[16];
  int point = 0;  // digits before the decimal point
  significantDigits(a, digits, point);
  int size = 15;
  const int keep = point + frac;
  if (keep < 0) {
    size = 0;
  } else if (keep < size) {
    bool up = digits[keep] >= '5';
    size = keep;
    int k = keep - 1;
    while (up && k >= 0) {
      if (digits[k] == '9') {
        digits[k] = '0';
        --k;
      } else {
        ++digits[k];
        up = false;
      }
    }
    if (up) {
      std::memmove(digits + 1, digits, size_t(size));
      digits[0] = '1';
      ++size;
      ++point;
    }
  }
  for (int i = 0; i < point; ++i) {
    const char d = i < size ? digits[i] : '0';
    if (d != '0' || !whole.isEmpty()) whole.append(d);  // no zeros in front
  }
  for (int j = 0; j < frac; ++j) {
    const int pos = point + j;
    fraction.append(pos >= 0 && pos < size ? digits[pos] : '0');
  }
}

bool isDigitTok(Tok k) {
  return k == Tok::Digit0 || k == Tok::DigitHash;
}

void appendDigits(Out& out, const Digits& digits, qsizetype from, qsizetype count) {
  out += QLatin1String(digits.data() + from, count);
}

// One section of a number pattern applied to a value (the sign is handled by the caller).
QString formatNumberSection(double value, std::span<const Token> toks) {
  const Regional& r = Regional::ptBR();
  const size_t n = toks.size();
  size_t point = n;
  for (size_t i = 0; i < n; ++i)
    if (toks[i].kind == Tok::Point) {
      point = i;
      break;
    }
  size_t lastIntDigit = n, firstIntDigit = n;
  int placeholders = 0;
  for (size_t i = 0; i < point; ++i)
    if (isDigitTok(toks[i].kind)) {
      if (firstIntDigit == n) firstIntDigit = i;
      lastIntDigit = i;
      ++placeholders;
    }
  bool grouping = false;
  int minWhole = 0;
  bool seenZero = false;
  for (size_t i = 0; i < point; ++i) {
    const Tok k = toks[i].kind;
    if (k == Tok::Comma) {
      if (firstIntDigit < i && i < lastIntDigit)
        grouping = true;
      else if (lastIntDigit != n && i > lastIntDigit)
        value /= 1000;  // scaling
    } else if (k == Tok::Percent) {
      value *= 100;
    } else if (isDigitTok(k)) {
      seenZero = seenZero || k == Tok::Digit0;
      if (seenZero) ++minWhole;
    }
  }
  int minFrac = 0, maxFrac = 0;
  for (size_t i = point + 1; i < n; ++i) {
    if (toks[i].kind == Tok::Digit0)
      minFrac = ++maxFrac;
    else if (toks[i].kind == Tok::DigitHash)
      ++maxFrac;
    else if (toks[i].kind == Tok::Percent)
      value *= 100;
  }
  Digits whole, fraction;
  decimalDigits(value, maxFrac, whole, fraction);
  while (fraction.size() > minFrac && fraction.back() == '0') fraction.removeLast();

  Out out;
  if (grouping) {
    if (whole.size() < minWhole) whole.insert(whole.cbegin(), minWhole - whole.size(), '0');
    for (size_t i = 0; i < point; ++i) {
      if (i == firstIntDigit) {
        const qsizetype w = whole.size();
        for (qsizetype d = 0; d < w; ++d) {
          if (d > 0 && (w - d) % 3 == 0) out += r.group;
          out += QLatin1Char(whole[d]);
        }
      } else if (toks[i].kind == Tok::Literal && (i < firstIntDigit || i > lastIntDigit)) {
        out += toks[i].text;
      } else if (toks[i].kind == Tok::Percent) {
        out += QLatin1Char('%');
      }
    }
  } else {
    // Digits fill the placeholders from the right; the leftmost takes what is left over.
    const int w = int(whole.size());
    const int leftOver = w - std::min(w, placeholders - 1);
    int rank = placeholders;  // of the next placeholder, counted from the right
    for (size_t i = 0; i < point; ++i) {
      const Token& k = toks[i];
      if (isDigitTok(k.kind)) {
        if (i == firstIntDigit) {
          appendDigits(out, whole, 0, leftOver);
          if (leftOver == 0 && k.kind == Tok::Digit0) out += QLatin1Char('0');
        } else if (rank <= w) {
          out += QLatin1Char(whole[size_t(w - rank)]);
        } else if (k.kind == Tok::Digit0) {
          out += QLatin1Char('0');
        }
        --rank;
      } else if (k.kind == Tok::Literal) {
        out += k.text;
      } else if (k.kind == Tok::Percent) {
        out += QLatin1Char('%');
      }
    }
    if (firstIntDigit == n) appendDigits(out, whole, 0, whole.size());  // no placeholder before the point
  }
  if (point < n) {
    out += r.decimal;
    qsizetype next = 0;
    for (size_t i = point + 1; i < n; ++i) {
      const Token& k = toks[i];
      if (isDigitTok(k.kind)) {
        if (next < fraction.size()) out += QLatin1Char(fraction[next++]);
      } else if (k.kind == Tok::Literal) {
        out += k.text;
      } else if (k.kind == Tok::Percent) {
        out += QLatin1Char('%');
      } else if (k.kind == Tok::Point) {
        // a second point is text
        out += QLatin1Char('.');
      }
    }
  }
  return out.text();
}

bool isZeroWhenShown(double value, std::span<const Token> toks) {
  int frac = 0;
  bool afterPoint = false;
  for (const Token& k : toks) {
    if (k.kind == Tok::Point)
      afterPoint = true;
    else if (afterPoint && isDigitTok(k.kind))
      ++frac;
  }
  Digits w, f;
  decimalDigits(value, frac, w, f);
  return w.isEmpty() && std::all_of(f.begin(), f.end(), [](char c) { return c == '0'; });
}

// The sections of a number pattern, split at its semicolons.
std::vector<std::vector<Token>> sectionsOf(const std::vector<Token>& toks) {
  std::vector<std::vector<Token>> sections(1);
  for (const Token& k : toks) {
    if (k.kind == Tok::Section)
      sections.emplace_back();
    else
      sections.back().push_back(k);
  }
  return sections;
}

QString formatNumber(double value, const std::vector<std::vector<Token>>& sections) {
  if (value < 0 && sections.size() >= 2 && !sections[1].empty())
    return formatNumberSection(value, sections[1]);
  if (value == 0 && sections.size() >= 3 && !sections[2].empty())
    return formatNumberSection(value, sections[2]);
  const auto& s = sections[0];
  QString out = formatNumberSection(value, s);
  if (value < 0 && sections.size() < 2 && !isZeroWhenShown(value, s)) out.prepend(QLatin1Char('-'));
  return out;
}

}  // namespace

QString Format(const Value& v, const QString& pattern) {
  if (v.isNull() || v.isEmpty()) return {};
  if (pattern.isEmpty()) return CStr(v);
  // A job formats row after row with the same few patterns: each is read once.
  struct Parsed {
    QString pattern;
    std::vector<Token> toks;
    std::vector<std::vector<Token>> sections;  // of a number pattern
    bool datePattern = false;
    int zeros = 0;  // a pattern of zeros only ("00000"): how many
  };
  thread_local std::array<Parsed, 8> parsed;
  thread_local size_t nextParsed = 0;
  const Parsed* found = nullptr;
  for (const Parsed& e : parsed)
    if (!e.pattern.isNull() && e.pattern == pattern) found = &e;
  if (!found) {
    const Regional& r = Regional::ptBR();
    QString p = pattern;
    if (pattern.compare(QLatin1String("currency"), Qt::CaseInsensitive) == 0)
      p = QStringLiteral("\"%1 \"#,##0.").arg(r.currencySymbol) +
          QString(r.currencyDecimals, QLatin1Char('0'));
    Parsed& e = parsed[nextParsed++ % parsed.size()];
    e.pattern = pattern;
    e.toks = tokenize(p);
    e.datePattern = false;
    for (const Token& k : e.toks) e.datePattern = e.datePattern || isDateKind(k.kind);
    e.sections = e.datePattern ? std::vector<std::vector<Token>>{} : sectionsOf(e.toks);
    e.zeros = std::all_of(pattern.begin(), pattern.end(), [](QChar c) { return c == u'0'; })
                  ? int(pattern.size())
                  : 0;
    found = &e;
  }
  // A counter padded with zeros, once a row: the digits are written out directly. Beyond
  // fifteen digits a number shows as the engine's double does, through the general path.
  if (found->zeros > 0 && found->zeros <= 15 && v.kind() == Kind::Long &&
      v.longValue() > -1000000000000000LL && v.longValue() < 1000000000000000LL) {
    Out out;
    if (v.longValue() < 0) out += QLatin1Char('-');
    appendPadded(out, v.longValue() < 0 ? -v.longValue() : v.longValue(), found->zeros);
    return out.text();
  }
  const std::vector<Token>& toks = found->toks;
  const bool datePattern = found->datePattern;

  double x = 0;
  if (v.isText()) {
    std::optional<double> read = datePattern ? parseDate(v.text()) : std::nullopt;
    if (!read) read = parseNumber(v.text());
    if (!read) return v.text();
    x = *read;
  } else {
    x = v.number();
  }
  return datePattern ? formatDate(x, toks) : formatNumber(x, found->sections);
}

}  // namespace ark::rt
