#include "platform/core/value.h"

#include <algorithm>
#include <cmath>
#include <ostream>

#include "platform/core/runtime.h"
#include "platform/core/runtime_error.h"

namespace ark {
namespace {
const QDate kZeroDay(1899, 12, 30);
constexpr qint64 kSecondsPerDay = 86400;

// Whole seconds since the zero day, rounded to the nearest second; the date and the
// time of a serial both come from this so that 23:59:59.7 becomes the next midnight.
qint64 serialSeconds(double serial) {
  return std::llround(serial * kSecondsPerDay);
}

QTime wholeSeconds(const QTime& t) {
  return t.isValid() ? QTime(t.hour(), t.minute(), t.second()) : t;
}

qint64 floorDiv(qint64 a, qint64 b) {
  qint64 q = a / b;
  if ((a % b != 0) && ((a < 0) != (b < 0))) --q;
  return q;
}
}  // namespace

Value Value::currency(double amount) {
  double scaled = amount * 10000.0;
  if (!std::isfinite(scaled) || std::fabs(scaled) >= 9.2233720368547e18) throw errors::overflow();
  // Read at 15 significant digits first, so that 1.00005 is a half, not 1.0000500000000002;
  // nearbyint then rounds half to even in the default rounding mode. Those digits move a
  // value by less than 1e-14 of itself, so only one that close to a half needs them: every
  // amount read from a column goes through here.
  const double size = std::fabs(scaled);
  const double fromHalf = std::fabs(size - std::floor(size) - 0.5);
  if (size < 1e12 && fromHalf > 1e-13 * std::max(size, 1.0))
    return currencyScaled(static_cast<qint64>(std::nearbyint(scaled)));
  scaled = QString::number(scaled, 'g', 15).toDouble();
  return currencyScaled(static_cast<qint64>(std::nearbyint(scaled)));
}

Value Value::currencyScaled(qint64 tenThousandths) {
  Value v;
  v.kind_ = Kind::Currency;
  v.i_ = tenThousandths;
  return v;
}

Value Value::dateSerial(double serial) {
  Value v;
  v.kind_ = Kind::Date;
  v.d_ = serial;
  return v;
}

// A date-time value counts whole seconds, as the runtime's clock does: the milliseconds
// of a wall-clock reading are dropped, not rounded, so 22:00:59.7 is still 22:00.
Value Value::date(const QDate& d, const QTime& t) {
  return dateSerial(toSerial(d, wholeSeconds(t)));
}

Value Value::time(const QTime& t) {
  return dateSerial(t.isValid() ? wholeSeconds(t).msecsSinceStartOfDay() / 86400000.0 : 0.0);
}

double Value::number() const {
  switch (kind_) {
    case Kind::Empty:
      return 0;
    case Kind::Null:
      throw errors::invalidUseOfNull();
    case Kind::Boolean:
      return i_ ? -1 : 0;
    case Kind::Long:
      return static_cast<double>(i_);
    case Kind::Double:
      return d_;
    case Kind::Currency:
      return static_cast<double>(i_) / 10000.0;
    case Kind::Date:
      return d_;
    case Kind::Text:
      break;
  }
  throw errors::typeMismatch();
}

QDate Value::datePart() const {
  return serialToDate(d_);
}
QTime Value::timePart() const {
  return serialToTime(d_);
}

bool operator==(const Value& a, const Value& b) {
  if (a.kind_ != b.kind_) return false;
  switch (a.kind_) {
    case Kind::Empty:
    case Kind::Null:
      return true;
    case Kind::Boolean:
    case Kind::Long:
    case Kind::Currency:
      return a.i_ == b.i_;
    case Kind::Double:
    case Kind::Date:
      return a.d_ == b.d_;
    case Kind::Text:
      return a.s_ == b.s_;
  }
  return false;
}

QString Value::debugString() const {
  switch (kind_) {
    case Kind::Empty:
      return QStringLiteral("Empty");
    case Kind::Null:
      return QStringLiteral("Null");
    case Kind::Boolean:
      return i_ ? QStringLiteral("True") : QStringLiteral("False");
    case Kind::Long:
      return QStringLiteral("Long(%1)").arg(i_);
    case Kind::Double:
      return QStringLiteral("Double(%1)").arg(QString::number(d_, 'g', 17));
    case Kind::Currency:
      return QStringLiteral("Currency(%1)").arg(rt::CStr(*this));
    case Kind::Date:
      return QStringLiteral("Date(%1 = %2)").arg(rt::CStr(*this), QString::number(d_, 'g', 17));
    case Kind::Text:
      return QStringLiteral("Text(\"%1\")").arg(s_);
  }
  return {};
}

void PrintTo(const Value& v, std::ostream* os) {
  *os << v.debugString().toStdString();
}

double toSerial(const QDate& d, const QTime& t) {
  double days = static_cast<double>(kZeroDay.daysTo(d));
  if (t.isValid()) days += t.msecsSinceStartOfDay() / 86400000.0;
  return days;
}

QDate serialToDate(double serial) {
  return kZeroDay.addDays(floorDiv(serialSeconds(serial), kSecondsPerDay));
}

QTime serialToTime(double serial) {
  qint64 s = serialSeconds(serial);
  qint64 inDay = s - floorDiv(s, kSecondsPerDay) * kSecondsPerDay;
  return QTime::fromMSecsSinceStartOfDay(static_cast<int>(inDay * 1000));
}

}  // namespace ark
