// The values written into a translated SELECT taken out as parameters, so that the
// statement prepared for one of the texts a job makes per row serves all of them.
#include <QRegularExpression>
#include <array>
#include <cstring>
#include <string_view>

#include "platform/database/internal.h"

namespace ark::db::detail {

namespace {
// Every per-row look-up of a job comes through here, so ASCII, nearly all of what jobs
// write, is told apart by table; anything else goes through QChar.
enum : unsigned char { kPlain = 1, kLetter = 2, kDigit = 4, kWord = kLetter | kDigit };
constexpr std::array<unsigned char, 128> kAscii = [] {
  std::array<unsigned char, 128> t{};
  for (int u = 0; u < 128; ++u) {
    if ((u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || u == '_')
      t[u] = kLetter;
    else if (u >= '0' && u <= '9')
      t[u] = kDigit;
    else if (std::string_view("?:@$-/'#\"[`.()").find(char(u)) == std::string_view::npos)
      t[u] = kPlain;  // kept as written wherever it is
  }
  return t;
}();

bool wordChar(QChar c) {
  const char16_t u = c.unicode();
  return u >= 0x80 || (kAscii[u] & kWord) != 0;
}

bool digitChar(QChar c) {
  const char16_t u = c.unicode();
  return u < 0x80 ? u >= '0' && u <= '9' : c.isDigit();
}

// Whether `word` is `keyword` (lower case) in any letter case; `wide`: it has characters
// outside ASCII, which only the Unicode comparison can judge.
inline bool isWord(QStringView word, bool wide, QLatin1String keyword) {
  if (wide) return word.compare(keyword, Qt::CaseInsensitive) == 0;
  if (word.size() != keyword.size()) return false;
  for (qsizetype k = 0; k < word.size(); ++k)
    if ((word[k].unicode() | 0x20) != char16_t(keyword.data()[k])) return false;
  return true;
}

// The whole-number value of ASCII digits short enough not to overflow; false otherwise.
bool smallWhole(QStringView digits, qint64& out) {
  if (digits.size() > 18) return false;
  qint64 v = 0;
  for (QChar c : digits) {
    const char16_t u = c.unicode();
    if (u < '0' || u > '9') return false;
    v = v * 10 + (u - '0');
  }
  out = v;
  return true;
}

// A `#m/d/yyyy#` date at sql[i] (blanks allowed inside the marks). 1 when read (`end`
// after it), 0 when none is there, -1 when the text holds something only the regular
// expression can judge (a character outside ASCII).
int asciiDateLiteral(const QString& sql, int i, int& end, int& y, int& m, int& d) {
  const int n = sql.size();
  int k = i + 1;
  auto blank = [](char16_t u) { return u == ' ' || (u >= '\t' && u <= '\r'); };
  auto number = [&](int minDigits, int maxDigits, int& out) {
    out = 0;
    int count = 0;
    while (k < n && count < maxDigits) {
      const char16_t u = sql[k].unicode();
      if (u >= 0x80) return -1;
      if (u < '0' || u > '9') break;
      out = out * 10 + (u - '0');
      ++k;
      ++count;
    }
    return count >= minDigits ? 1 : 0;
  };
  auto skipBlanks = [&] {
    while (k < n) {
      const char16_t u = sql[k].unicode();
      if (u >= 0x80) return -1;
      if (!blank(u)) break;
      ++k;
    }
    return 1;
  };
  auto mark = [&](char16_t want) {
    if (k >= n) return 0;
    const char16_t u = sql[k].unicode();
    if (u >= 0x80) return -1;
    if (u != want) return 0;
    ++k;
    return 1;
  };
  int r;
  if ((r = skipBlanks()) != 1) return r;
  if ((r = number(1, 2, m)) != 1) return r;
  if ((r = mark('/')) != 1) return r;
  if ((r = number(1, 2, d)) != 1) return r;
  if ((r = mark('/')) != 1) return r;
  if ((r = number(4, 4, y)) != 1) return r;
  if ((r = skipBlanks()) != 1) return r;
  if ((r = mark('#')) != 1) return r;
  end = k;
  return 1;
}

// "YYYY-MM-DD 00:00:00" of a valid date, as canonicalDateTime writes it.
QString canonicalDay(int y, int m, int d) {
  char text[19];
  writeCanonical(text, y, m, d, 0, 0, 0);
  return QString::fromLatin1(text, 19);
}

// A literal in the part of a SELECT whose values are taken out.
enum class Literal { Text, Number, Date };

// Where a walk over a SELECT stands between two tokens.
struct ScanState {
  int at = 0;
  int depth = 0;
  // Only what follows the outer FROM: the result columns are named by their text, and an
  // ORDER BY or GROUP BY takes a bare number for a column.
  bool afterFrom = false, ordered = false;
};

// Walks `sql` token by token from `state`: what stays as written goes to `keep` (in runs
// as long as possible), and every text, number and (with `jetDates`) date literal written
// after the outer FROM, before an ORDER BY or GROUP BY, goes to `take` with its value.
// False for a text whose values cannot be told apart so: parameters or comments of its
// own, an unterminated text. `resumable`, when given, is the last state before the first
// literal taken that follows a blank no token before it looked past: what comes before it
// is read the same way in any text that begins with the same characters.
template <typename Keep, typename Take>
bool scanLiterals(const QString& sql, bool jetDates, ScanState state, Keep keep, Take take,
                  ScanState* resumable = nullptr) {
  const int n = sql.size();
  int depth = state.depth;
  bool afterFrom = state.afterFrom, ordered = state.ordered;
  auto active = [&] { return afterFrom && !ordered; };
  int keptFrom = 0;
  bool tookAny = false;
  // Set once a token has been read by looking past where it ends.
  bool lookedAhead = false;
  auto taken = [&](int from, int to) {
    if (from > keptFrom) keep(QStringView(sql).mid(keptFrom, from - keptFrom));
    keptFrom = to;
    tookAny = true;
  };
  const QChar* const p = sql.constData();
  for (int i = state.at; i < n;) {
    const QChar c = p[i];
    const char16_t u = c.unicode();
    int j = i + 1;
    const unsigned char kind = u < 0x80 ? kAscii[u] : 0;
    if (kind == kPlain) {
      ++i;
      // A blank ends what is before it whatever follows (a "+" might not: "5e+1").
      if (u == ' ' && resumable && !tookAny && !lookedAhead)
        *resumable = {i, depth, afterFrom, ordered};
      continue;
    }
    if (kind == kLetter || (u >= 0x80 && !c.isDigit())) {
      // A name or keyword.
      char16_t seen = u;
      for (; j < n; ++j) {
        const char16_t w = p[j].unicode();
        if (w < 0x80 && !(kAscii[w] & kWord)) break;
        seen |= w;
      }
      if (depth == 0 && (seen >= 0x80 || j - i == 4 || j - i == 5)) {
        const QStringView word(p + i, j - i);
        const bool wide = seen >= 0x80;
        if (isWord(word, wide, QLatin1String("from"))) afterFrom = true;
        if (isWord(word, wide, QLatin1String("order")) || isWord(word, wide, QLatin1String("group")))
          ordered = true;
      }
      i = j;
      continue;
    }
    if (u == '?' || u == ':' || u == '@' || u == '$' || (u == '-' && j < n && p[j] == c) ||
        (u == '/' && j < n && p[j] == QLatin1Char('*'))) {
      return false;
    } else if (u == '\'') {
      // The text between the quotes, taken in slices between doubled quotes.
      QString text;
      int from = j;
      bool doubled = false;
      for (;;) {
        const qsizetype q = sql.indexOf(QLatin1Char('\''), j);
        if (q < 0) return false;  // unterminated: the engine says what is wrong
        j = int(q);
        if (j + 1 < n && sql[j + 1] == QLatin1Char('\'')) {
          text += QStringView(sql).mid(from, j + 1 - from);
          doubled = true;
          j += 2;
          from = j;
          continue;
        }
        break;
      }
      // X'..' is a blob.
      const bool blob = i > 0 && (sql[i - 1] == QLatin1Char('x') || sql[i - 1] == QLatin1Char('X'));
      if (active() && !blob) {
        if (doubled)
          text += QStringView(sql).mid(from, j - from);
        else
          text = sql.mid(from, j - from);
        taken(i, j + 1);
        take(Literal::Text, Value(text));
      }
      i = j + 1;
      continue;
    } else if (jetDates && u == '#') {
      int end = 0, y = 0, m = 0, d = 0;
      int read = asciiDateLiteral(sql, i, end, y, m, d);
      if (read != 1) lookedAhead = true;  // how far depends on what follows
      if (read < 0) {
        static const QRegularExpression dateLiteral(
            QStringLiteral("\\G#\\s*(\\d{1,2})/(\\d{1,2})/(\\d{4})\\s*#"));
        auto match = dateLiteral.match(sql, i, QRegularExpression::NormalMatch,
                                       QRegularExpression::AnchorAtOffsetMatchOption);
        read = match.hasMatch() ? 1 : 0;
        if (read) {
          y = match.captured(3).toInt();
          m = match.captured(1).toInt();
          d = match.captured(2).toInt();
          end = int(match.capturedEnd());
        }
      }
      if (read) {
        j = end;
        if (active() && QDate::isValid(y, m, d)) {
          taken(i, j);
          take(Literal::Date, Value(canonicalDay(y, m, d)));
        }
      }
    } else if (u == '"' || u == '[' || u == '`') {
      const QChar close = u == '[' ? QLatin1Char(']') : c;
      const qsizetype q = sql.indexOf(close, j);
      lookedAhead = lookedAhead || q < 0;
      j = q < 0 ? n : int(q) + 1;
    } else if (digitChar(c) || (u == '.' && j < n && digitChar(p[j]))) {
      bool real = false;
      while (j < n && (digitChar(p[j]) || p[j] == QLatin1Char('.'))) {
        real = real || p[j] == QLatin1Char('.');
        ++j;
      }
      if (j + 1 < n && (sql[j] == QLatin1Char('e') || sql[j] == QLatin1Char('E')) &&
          (digitChar(sql[j + 1]) ||
           ((sql[j + 1] == QLatin1Char('+') || sql[j + 1] == QLatin1Char('-')) && j + 2 < n &&
            digitChar(sql[j + 2])))) {
        real = true;
        j += 2;
        while (j < n && digitChar(p[j])) ++j;
      }
      const bool partOfName = (i > 0 && wordChar(p[i - 1])) || (j < n && wordChar(p[j]));
      if (active() && !partOfName) {
        const QStringView digits = QStringView(sql).mid(i, j - i);
        qint64 whole = 0;
        bool ok = !real && smallWhole(digits, whole);
        if (!ok && !real) whole = digits.toLongLong(&ok);
        if (ok) {
          taken(i, j);
          take(Literal::Number, Value(whole));
        } else {
          const double v = digits.toDouble(&ok);
          if (!ok) return false;
          taken(i, j);
          take(Literal::Number, Value(v));
        }
      }
    } else if (u == '(') {
      ++depth;
    } else if (u == ')') {
      --depth;
    }
    i = j;
  }
  taken(n, n);
  return true;
}
}  // namespace

Parameterized parameterize(const QString& sql) {
  Parameterized out;
  out.sql.reserve(sql.size());
  const bool ok = scanLiterals(
      sql, false, ScanState{}, [&](QStringView kept) { out.sql += kept; },
      [&](Literal, Value v) {
        out.sql += QLatin1Char('?');
        out.values.push_back(std::move(v));
      });
  if (!ok) return {sql, {}};  // it has parameters or comments of its own
  return out;
}

bool literalForm(const QString& jetSql, QString& form, std::vector<Value>& values) {
  form.clear();
  values.clear();
  form.reserve(jetSql.size() + 8);
  values.reserve(4);
  // A job writes the same few SELECTs row after row with other values at their ends: the
  // part before the first value of a text seen lately is not read again.
  struct Seen {
    QString text;
    ScanState resume;
  };
  thread_local std::array<Seen, 8> seen;
  thread_local size_t nextSeen = 0;
  Seen* known = nullptr;
  for (Seen& e : seen) {
    const int at = e.resume.at;
    if (at > 0 && jetSql.size() >= at &&
        std::memcmp(jetSql.constData(), e.text.constData(), size_t(at) * sizeof(QChar)) == 0) {
      known = &e;
      break;
    }
  }
  ScanState resume;
  const bool ok = scanLiterals(
      jetSql, true, known ? known->resume : ScanState{}, [&](QStringView kept) { form += kept; },
      [&](Literal kind, Value v) {
        switch (kind) {
          case Literal::Text: {
            // What the translation asks of a text: whether it has letters (or characters
            // that fold to others) and whether it reads as a date.
            const QString& text = v.text();
            bool folds = true, separated = false;
            for (QChar t : text) {
              const char16_t u = t.unicode();
              if (u >= 0x80 || (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z')) folds = false;
              // Neither a date nor a time is written without one of these.
              if (u == '/' || u == '-' || u == '.' || u == ':') separated = true;
            }
            bool date = false;
            if (separated) {
              const QByteArray utf8 = text.toUtf8();
              date = storedDateText(reinterpret_cast<const unsigned char*>(utf8.constData()),
                                    int(utf8.size()))
                         .has_value();
            }
            const QChar marker[] = {QLatin1Char('\x01'), QLatin1Char(folds ? 'f' : 'l'),
                                    QLatin1Char(date ? 'd' : 't')};
            form.append(marker, 3);
            break;
          }
          case Literal::Number:
            form += QLatin1Char('\x02');
            break;
          case Literal::Date:
            form += QLatin1Char('\x03');
            break;
        }
        values.push_back(std::move(v));
      },
      &resume);
  if (ok && resume.at > 0 && (!known || resume.at >= known->resume.at)) {
    Seen& e = known ? *known : seen[nextSeen++ % seen.size()];
    e.text = jetSql;
    e.resume = resume;
  }
  return ok;
}

void bindAll(sqlite3_stmt* st, const std::vector<Value>& values) {
  for (int i = 0; i < int(values.size()); ++i) bindValue(st, i + 1, values[i]);
}

}  // namespace ark::db::detail
