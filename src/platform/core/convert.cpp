// Conversions between field values: text forms, numbers, Yes/No and the tests on them.
#include <cmath>
#include <limits>

#include "platform/core/regional.h"
#include "platform/core/runtime.h"
#include "platform/core/runtime_error.h"

namespace ark::rt {
namespace {

// Up to 15 significant digits, an exponent only for very large or small magnitudes.
QString numberText(double d) {
  if (d == 0) return QStringLiteral("0");
  QString s = QString::number(d, 'g', 15);
  s.replace(QLatin1Char('.'), Regional::ptBR().decimal);
  int e = s.indexOf(QLatin1Char('e'));
  if (e >= 0) s[e] = QLatin1Char('E');
  return s;
}

QString currencyText(qint64 scaled) {
  bool negative = scaled < 0;
  quint64 a = negative ? 0 - static_cast<quint64>(scaled) : static_cast<quint64>(scaled);
  QString s = QString::number(a / 10000);
  quint64 frac = a % 10000;
  if (frac) {
    QString f = QStringLiteral("%1").arg(frac, 4, 10, QLatin1Char('0'));
    while (f.endsWith(QLatin1Char('0'))) f.chop(1);
    s += Regional::ptBR().decimal + f;
  }
  return negative ? QLatin1Char('-') + s : s;
}

// "dd/mm/yyyy", "hh:mm:ss" on the zero day, or both; written digit by digit, since the
// jobs turn a date into text for nearly every row.
QString dateText(double serial) {
  const QDate d = serialToDate(serial);
  const QTime t = serialToTime(serial);
  const bool timeOnly = d == QDate(1899, 12, 30);
  const bool dateOnly = !timeOnly && t == QTime(0, 0);
  QChar buf[20];
  int n = 0;
  auto digits = [&](int v, int count) {
    for (int k = count - 1; k >= 0; --k, v /= 10) buf[n + k] = QLatin1Char(char('0' + v % 10));
    n += count;
  };
  if (!timeOnly) {
    digits(d.day(), 2);
    buf[n++] = QLatin1Char('/');
    digits(d.month(), 2);
    buf[n++] = QLatin1Char('/');
    digits(d.year(), 4);
    if (dateOnly) return QString(buf, n);
    buf[n++] = QLatin1Char(' ');
  }
  digits(t.hour(), 2);
  buf[n++] = QLatin1Char(':');
  digits(t.minute(), 2);
  buf[n++] = QLatin1Char(':');
  digits(t.second(), 2);
  return QString(buf, n);
}

qint64 roundHalfEven(double d) {
  double r = std::nearbyint(d);  // default rounding mode: to nearest, ties to even
  return static_cast<qint64>(r);
}

double rangeChecked(double d, double lo, double hi) {
  if (!std::isfinite(d) || d < lo || d > hi) throw errors::overflow();
  return d;
}

}  // namespace

QString CStr(const Value& v) {
  switch (v.kind()) {
    case Kind::Empty:
      return {};
    case Kind::Null:
      throw errors::invalidUseOfNull();
    case Kind::Boolean:
      return v.boolean() ? Regional::ptBR().trueText : Regional::ptBR().falseText;
    case Kind::Long:
      return QString::number(v.longValue());
    case Kind::Double:
      return numberText(v.doubleValue());
    case Kind::Currency:
      return currencyText(v.currencyScaledValue());
    case Kind::Date:
      return dateText(v.serial());
    case Kind::Text:
      return v.text();
  }
  return {};
}

QString Text(const Value& v) {
  return v.isNull() ? QString() : CStr(v);
}

QString Cat(const Value& a, const Value& b) {
  return Text(a) + Text(b);
}

double CDbl(const Value& v) {
  if (v.isText()) {
    if (auto n = parseNumber(v.text())) return *n;
    throw errors::typeMismatch();
  }
  return v.number();
}

qint64 CLng(const Value& v) {
  if (v.kind() == Kind::Long)
    return static_cast<qint64>(
        rangeChecked(static_cast<double>(v.longValue()), -2147483648.0, 2147483647.0));
  // Rounding first: 2147483647.4 is still a Long.
  double r = std::nearbyint(CDbl(v));
  return static_cast<qint64>(rangeChecked(r, -2147483648.0, 2147483647.0));
}

int CInt(const Value& v) {
  double r = std::nearbyint(CDbl(v));
  return static_cast<int>(rangeChecked(r, -32768.0, 32767.0));
}

qint64 CCur(const Value& v) {
  if (v.kind() == Kind::Currency) return v.currencyScaledValue();
  double scaled = CDbl(v) * 10000.0;
  rangeChecked(scaled, -9.2233720368547e18, 9.2233720368547e18);
  return roundHalfEven(scaled);
}

bool CBool(const Value& v) {
  if (v.isText()) {
    const QString t = v.text().trimmed();
    const Regional& r = Regional::ptBR();
    if (t.compare(r.trueText, Qt::CaseInsensitive) == 0 ||
        t.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
      return true;
    if (t.compare(r.falseText, Qt::CaseInsensitive) == 0 ||
        t.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
      return false;
    if (auto n = parseNumber(t)) return *n != 0;
    throw errors::typeMismatch();
  }
  if (v.isBoolean()) return v.boolean();
  return v.number() != 0;
}

Value CDate(const Value& v) {
  if (v.isNull()) throw errors::invalidUseOfNull();
  if (v.isDate()) return v;
  if (v.isText()) {
    if (auto d = parseDate(v.text())) return Value::dateSerial(*d);
    if (auto n = parseNumber(v.text())) return Value::dateSerial(*n);
    throw errors::typeMismatch();
  }
  return Value::dateSerial(v.number());
}

bool IsDate(const Value& v) {
  if (v.isDate()) return true;
  if (v.isText()) return parseDate(v.text()).has_value();
  return false;
}

bool IsNumeric(const Value& v) {
  switch (v.kind()) {
    case Kind::Empty:
    case Kind::Boolean:
    case Kind::Long:
    case Kind::Double:
    case Kind::Currency:
      return true;
    case Kind::Text:
      return parseNumber(v.text()).has_value();
    case Kind::Null:
    case Kind::Date:
      return false;
  }
  return false;
}

bool IsNull(const Value& v) {
  return v.isNull();
}

namespace {
// Int and Fix share everything but the rounding.
template <typename Round>
Value wholePart(const Value& v, Round round) {
  switch (v.kind()) {
    case Kind::Null:
      return v;
    case Kind::Empty:
      return Value(0);
    case Kind::Boolean:
      return Value(v.boolean() ? -1 : 0);
    case Kind::Long:
      return v;
    case Kind::Double:
      return Value(round(v.doubleValue()));
    case Kind::Currency:
      return Value::currencyScaled(
          static_cast<qint64>(round(static_cast<double>(v.currencyScaledValue()) / 10000.0)) *
          10000);
    case Kind::Date:
      return Value::dateSerial(round(v.serial()));
    case Kind::Text:
      return Value(round(CDbl(v)));
  }
  return v;
}
}  // namespace

Value Int(const Value& v) {
  return wholePart(v, [](double d) { return std::floor(d); });
}

Value Fix(const Value& v) {
  return wholePart(v, [](double d) { return std::trunc(d); });
}

Value Abs(const Value& v) {
  switch (v.kind()) {
    case Kind::Null:
      return v;
    case Kind::Empty:
      return Value(0);
    case Kind::Boolean:
      return Value(v.boolean() ? 1 : 0);
    case Kind::Long:
      return v.longValue() < 0 ? Value(-v.longValue()) : v;
    case Kind::Double:
      return Value(std::fabs(v.doubleValue()));
    case Kind::Currency:
      return Value::currencyScaled(v.currencyScaledValue() < 0 ? -v.currencyScaledValue()
                                                               : v.currencyScaledValue());
    case Kind::Date:
      return Value::dateSerial(std::fabs(v.serial()));
    case Kind::Text:
      return Value(std::fabs(CDbl(v)));
  }
  return v;
}

Value Round(const Value& v, int digits) {
  if (v.isNull()) return v;
  if (v.kind() == Kind::Long || v.kind() == Kind::Boolean || v.kind() == Kind::Empty)
    return wholePart(v, [](double d) { return d; });
  const double scale = std::pow(10.0, digits);
  // Read the scaled value at 15 significant digits first, so that 2.675 * 100 is 267.5.
  const double scaled = QString::number(CDbl(v) * scale, 'g', 15).toDouble();
  const double r = std::nearbyint(scaled) / scale;
  if (v.kind() == Kind::Currency) return Value::currency(r);
  return Value(r);
}

QString Trim(const Value& v) {
  const QString s = CStr(v);
  int b = 0, e = s.size();
  while (b < e && s[b] == QLatin1Char(' ')) ++b;
  while (e > b && s[e - 1] == QLatin1Char(' ')) --e;
  return s.mid(b, e - b);
}

QString UCase(const Value& v) {
  return CStr(v).toUpper();
}

int Len(const Value& v) {
  return static_cast<int>(CStr(v).size());
}

}  // namespace ark::rt
