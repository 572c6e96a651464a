// Readers of number and date texts under the pt-BR settings, and Val.
#include <cmath>

#include "platform/core/regional.h"
#include "platform/core/runtime.h"

namespace ark::rt {
namespace {

bool isBlank(QChar c) {
  return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}

void skipBlanks(const QString& s, int& i) {
  while (i < s.size() && isBlank(s[i])) ++i;
}

bool takeSign(const QString& s, int& i, bool& negative) {
  if (i < s.size() && (s[i] == QLatin1Char('-') || s[i] == QLatin1Char('+'))) {
    negative = negative != (s[i] == QLatin1Char('-'));
    ++i;
    return true;
  }
  return false;
}

bool takeCurrency(const QString& s, int& i) {
  const QString& sym = Regional::ptBR().currencySymbol;
  if (s.mid(i, sym.size()).compare(sym, Qt::CaseInsensitive) == 0) {
    i += sym.size();
    return true;
  }
  return false;
}

// Reads exactly the digits at s[i...]; returns how many were read (at most `max`).
int takeDigits(const QString& s, int& i, int& value, int max = 9) {
  int n = 0;
  value = 0;
  while (i < s.size() && n < max && s[i].isDigit() && s[i].unicode() < 128) {
    value = value * 10 + (s[i].unicode() - '0');
    ++i;
    ++n;
  }
  return n;
}

int fullYear(int year, int digits) {
  if (digits <= 2) return year < 30 ? 2000 + year : 1900 + year;
  return year;
}

int monthFromName(const QString& name) {
  const QStringList& months = Regional::ptBR().shortMonths;
  for (int m = 0; m < months.size(); ++m)
    if (name.compare(months[m], Qt::CaseInsensitive) == 0) return m + 1;
  return 0;
}

// A date at s[i...]: d/m/y (separators "/", "-" or "."; the month may be a short
// name) or y-m-d with a four-digit year. Sets `serial` to the date's day number.
bool takeDate(const QString& s, int& i, double& serial) {
  int start = i;
  int a = 0;
  int na = takeDigits(s, i, a, 4);
  if (na == 0 || i >= s.size()) return (i = start, false);
  QChar sep = s[i];
  if (sep != QLatin1Char('/') && sep != QLatin1Char('-') && sep != QLatin1Char('.'))
    return (i = start, false);
  ++i;
  int y = 0, m = 0, d = 0;
  if (na == 4) {  // year first, as the database writes it
    int nm = takeDigits(s, i, m, 2);
    if (nm == 0 || i >= s.size() || s[i] != sep) return (i = start, false);
    ++i;
    if (takeDigits(s, i, d, 2) == 0) return (i = start, false);
    y = a;
  } else {
    if (na > 2) return (i = start, false);
    d = a;
    if (takeDigits(s, i, m, 2) == 0) {
      int j = i;
      while (j < s.size() && s[j].isLetter()) ++j;
      m = monthFromName(s.mid(i, j - i));
      if (m == 0) return (i = start, false);
      i = j;
    }
    if (i >= s.size() || s[i] != sep) return (i = start, false);
    ++i;
    int ny = takeDigits(s, i, y, 4);
    if (ny != 2 && ny != 4) return (i = start, false);
    y = fullYear(y, ny);
  }
  if (i < s.size() && s[i].isDigit()) return (i = start, false);
  QDate date(y, m, d);
  if (!date.isValid() || y < 100) return (i = start, false);
  serial = toSerial(date);
  return true;
}

// A time at s[i...]: h:mm or h:mm:ss (optionally with fractions of a second).
bool takeTime(const QString& s, int& i, double& fraction) {
  int start = i;
  int h = 0, m = 0, sec = 0;
  if (takeDigits(s, i, h, 2) == 0) return (i = start, false);
  if (i >= s.size() || s[i] != QLatin1Char(':')) return (i = start, false);
  ++i;
  if (takeDigits(s, i, m, 2) != 2) return (i = start, false);
  double millis = 0;
  if (i < s.size() && s[i] == QLatin1Char(':')) {
    ++i;
    if (takeDigits(s, i, sec, 2) != 2) return (i = start, false);
    if (i < s.size() && s[i] == QLatin1Char('.')) {  // "10:00:00.000"
      ++i;
      int frac = 0;
      int n = takeDigits(s, i, frac, 3);
      if (n == 0) return (i = start, false);
      millis = frac * std::pow(10.0, 3 - n);
      while (i < s.size() && s[i].isDigit()) ++i;
    }
  }
  if (i < s.size() && s[i].isDigit()) return (i = start, false);
  if (h > 23 || m > 59 || sec > 59) return (i = start, false);
  fraction = ((h * 3600 + m * 60 + sec) * 1000.0 + millis) / 86400000.0;
  return true;
}

}  // namespace

std::optional<double> parseNumber(const QString& text) {
  const Regional& r = Regional::ptBR();
  const QString& s = text;
  int i = 0;
  bool negative = false;
  skipBlanks(s, i);
  bool signed_ = takeSign(s, i, negative);
  skipBlanks(s, i);
  if (takeCurrency(s, i)) {
    skipBlanks(s, i);
    if (!signed_) takeSign(s, i, negative);
    skipBlanks(s, i);
  }
  QString digits;
  bool any = false;
  while (i < s.size()) {
    QChar c = s[i];
    if (c.isDigit() && c.unicode() < 128) {
      digits += c;
      any = true;
    } else if (c == r.group && any) {
      // grouping is read leniently, as the runtime does
    } else {
      break;
    }
    ++i;
  }
  if (i < s.size() && s[i] == r.decimal) {
    ++i;
    digits += QLatin1Char('.');
    while (i < s.size() && s[i].isDigit() && s[i].unicode() < 128) {
      digits += s[i++];
      any = true;
    }
  }
  if (!any) return std::nullopt;
  if (i < s.size() && (s[i] == QLatin1Char('e') || s[i] == QLatin1Char('E'))) {
    int j = i + 1;
    QString exp = QStringLiteral("e");
    if (j < s.size() && (s[j] == QLatin1Char('-') || s[j] == QLatin1Char('+'))) exp += s[j++];
    int k = j;
    while (k < s.size() && s[k].isDigit() && s[k].unicode() < 128) exp += s[k++];
    if (k > j) {
      digits += exp;
      i = k;
    }
  }
  skipBlanks(s, i);
  if (i != s.size()) return std::nullopt;
  bool ok = false;
  double v = digits.toDouble(&ok);
  if (!ok || !std::isfinite(v)) return std::nullopt;
  return negative ? -v : v;
}

std::optional<double> parseDate(const QString& text) {
  const QString s = text.trimmed();
  if (s.isEmpty()) return std::nullopt;
  int i = 0;
  double day = 0, fraction = 0;
  bool hasDate = takeDate(s, i, day);
  if (hasDate) {
    int before = i;
    skipBlanks(s, i);
    if (i == s.size()) return day;
    if (i == before && !(i < s.size() && s[i] == QLatin1Char('T'))) return std::nullopt;
    if (s[i] == QLatin1Char('T')) ++i;
  }
  if (!takeTime(s, i, fraction)) return std::nullopt;
  if (i != s.size()) return std::nullopt;
  return day + fraction;
}

double Val(const QString& text) {
  // Blanks are ignored wherever they are, as the runtime does.
  QString s;
  s.reserve(text.size());
  for (QChar c : text)
    if (c != QLatin1Char(' ') && c != QLatin1Char('\t') && c != QLatin1Char('\n') &&
        c != QLatin1Char('\r'))
      s += c;
  int i = 0;
  QString num;
  if (i < s.size() && (s[i] == QLatin1Char('-') || s[i] == QLatin1Char('+'))) num += s[i++];
  bool any = false;
  while (i < s.size() && s[i].isDigit() && s[i].unicode() < 128) {
    num += s[i++];
    any = true;
  }
  if (i < s.size() && s[i] == QLatin1Char('.')) {
    num += s[i++];
    while (i < s.size() && s[i].isDigit() && s[i].unicode() < 128) {
      num += s[i++];
      any = true;
    }
  }
  if (!any) return 0;
  if (i < s.size() && (s[i] == QLatin1Char('e') || s[i] == QLatin1Char('E') ||
                       s[i] == QLatin1Char('d') || s[i] == QLatin1Char('D'))) {
    int j = i + 1;
    QString exp = QStringLiteral("e");
    if (j < s.size() && (s[j] == QLatin1Char('-') || s[j] == QLatin1Char('+'))) exp += s[j++];
    int k = j;
    while (k < s.size() && s[k].isDigit() && s[k].unicode() < 128) exp += s[k++];
    if (k > j) num += exp;
  }
  bool ok = false;
  double v = num.toDouble(&ok);
  return ok && std::isfinite(v) ? v : 0;
}

}  // namespace ark::rt
