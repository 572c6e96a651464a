// The clock and the date and time functions.
#include <cmath>

#include "platform/core/clock.h"
#include "platform/core/runtime.h"
#include "platform/core/runtime_error.h"

namespace ark::rt {
namespace {

// The serial of a value that stands for a date: a date, a date text or a number.
double serialOf(const Value& v) {
  if (v.isDate()) return v.serial();
  if (v.isText()) {
    if (auto d = parseDate(v.text())) return *d;
    if (auto n = parseNumber(v.text())) return *n;
    throw errors::typeMismatch();
  }
  return v.number();
}

// DateValue and TimeValue take only dates and date texts.
double strictSerialOf(const Value& v) {
  if (v.isNull()) throw errors::invalidUseOfNull();
  if (v.isDate()) return v.serial();
  if (v.isText())
    if (auto d = parseDate(v.text())) return *d;
  throw errors::typeMismatch();
}

double dayOf(double serial) {
  return toSerial(serialToDate(serial));
}

}  // namespace

// The runtime's clock functions count whole seconds.
Value Now() {
  QDateTime n = clock().now();
  QTime t = n.time();
  return Value::date(n.date(), QTime(t.hour(), t.minute(), t.second()));
}
Value Date() {
  return Value::date(clock().now().date());
}
Value Time() {
  QTime t = clock().now().time();
  return Value::time(QTime(t.hour(), t.minute(), t.second()));
}

Value DateValue(const Value& v) {
  return Value::dateSerial(dayOf(strictSerialOf(v)));
}

Value TimeValue(const Value& v) {
  double s = strictSerialOf(v);
  return Value::time(serialToTime(s));
}

Value DateSerial(int year, int month, int day) {
  if (year >= 0 && year < 30)
    year += 2000;
  else if (year >= 30 && year < 100)
    year += 1900;
  int m0 = month - 1;
  int yearShift = m0 >= 0 ? m0 / 12 : -((11 - m0) / 12);
  year += yearShift;
  m0 -= yearShift * 12;
  QDate first(year, m0 + 1, 1);
  if (!first.isValid()) throw errors::overflow();
  return Value::date(first.addDays(static_cast<qint64>(day) - 1));
}

Value TimeSerial(int hour, int minute, int second) {
  qint64 total = static_cast<qint64>(hour) * 3600 + static_cast<qint64>(minute) * 60 + second;
  return Value::dateSerial(static_cast<double>(total) / 86400.0);
}

int Year(const Value& v) {
  return serialToDate(serialOf(v)).year();
}
int Month(const Value& v) {
  return serialToDate(serialOf(v)).month();
}
int Day(const Value& v) {
  return serialToDate(serialOf(v)).day();
}
int Hour(const Value& v) {
  return serialToTime(serialOf(v)).hour();
}
int Minute(const Value& v) {
  return serialToTime(serialOf(v)).minute();
}
int Second(const Value& v) {
  return serialToTime(serialOf(v)).second();
}

}  // namespace ark::rt
