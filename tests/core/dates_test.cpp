// Date serials, date functions and the clock.
#include <gtest/gtest.h>

#include "platform/core/clock.h"
#include "platform/core/runtime.h"
#include "platform/core/runtime_error.h"

using namespace ark;
using namespace ark::rt;

namespace {

TEST(Serial, RoundTripAndRounding) {
  EXPECT_EQ(toSerial(QDate(1899, 12, 30)), 0);
  EXPECT_EQ(toSerial(QDate(1900, 1, 1)), 2);
  EXPECT_EQ(toSerial(QDate(2026, 12, 10), QTime(12, 0)), 46366.5);
  EXPECT_EQ(serialToDate(46366.5), QDate(2026, 12, 10));
  EXPECT_EQ(serialToTime(46366.5), QTime(12, 0));
  // Rounded to the second: just short of midnight is the next day at 00:00:00.
  const double almost = toSerial(QDate(2026, 12, 10)) + 86399.6 / 86400;
  EXPECT_EQ(serialToDate(almost), QDate(2026, 12, 11));
  EXPECT_EQ(serialToTime(almost), QTime(0, 0));
  EXPECT_EQ(serialToTime(toSerial(QDate(2026, 1, 1), QTime(10, 0, 0)) - 1e-7), QTime(10, 0, 0));
  // Before the zero day the date is the floor, the time counts forward from it.
  EXPECT_EQ(serialToDate(-0.25), QDate(1899, 12, 29));
  EXPECT_EQ(serialToTime(-0.25), QTime(18, 0));
}

TEST(Serial, ClockReadingDropsItsMilliseconds) {
  // A wall-clock reading taken late in a second must not move into the next minute,
  // hour or day: the scheduler compares "hh:mm" of such a reading with the row's time.
  const QDate day(2026, 12, 7);
  const struct {
    QTime reading;
    const char* pattern;
    const char* expected;
  } cases[] = {
      {QTime(22, 0, 59, 700), "hh:mm", "22:00"},
      {QTime(22, 59, 59, 600), "hh", "22"},
      {QTime(23, 59, 59, 700), "dd/mm/yyyy", "07/12/2026"},
      {QTime(9, 5, 3, 999), "hh:mm:ss", "09:05:03"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(Format(Value::dateTime(QDateTime(day, c.reading)), QString::fromUtf8(c.pattern))
                  .toStdString(),
              c.expected)
        << c.reading.toString(QStringLiteral("HH:mm:ss.zzz")).toStdString();
  EXPECT_EQ(Hour(Value::dateTime(QDateTime(day, QTime(22, 59, 59, 600)))), 22);
  EXPECT_EQ(CStr(Value::time(QTime(23, 59, 59, 900))), QStringLiteral("23:59:59"));
}

TEST(DateFunctions, PartsAndValues) {
  const Value v = Value::date(QDate(2027, 1, 25), QTime(10, 20, 30));
  EXPECT_EQ(Year(v), 2027);
  EXPECT_EQ(Month(v), 1);
  EXPECT_EQ(Day(v), 25);
  EXPECT_EQ(Hour(v), 10);
  EXPECT_EQ(Minute(v), 20);
  EXPECT_EQ(Second(v), 30);
  EXPECT_EQ(Day(Value("25/01/2027")), 25);
  EXPECT_EQ(Hour(Value("2027-01-25 10:00:00")), 10);
  EXPECT_EQ(DateValue(v), Value::date(QDate(2027, 1, 25)));
  EXPECT_EQ(TimeValue(v), Value::time(QTime(10, 20, 30)));
  EXPECT_EQ(DateValue(Value("25/01/2027 10:00:00")), Value::date(QDate(2027, 1, 25)));
  EXPECT_EQ(TimeValue(Value("10:00")), Value::time(QTime(10, 0)));
  EXPECT_EQ(CStr(DateValue(Value(CStr(v)))), QStringLiteral("25/01/2027"));

  auto number = [](const std::function<void()>& f) {
    try {
      f();
    } catch (const RuntimeError& e) {
      return e.number();
    }
    return 0;
  };
  EXPECT_EQ(number([] { DateValue(Value::null()); }), errors::kInvalidUseOfNull);
  EXPECT_EQ(number([] { DateValue(Value("__/__/____")); }), errors::kTypeMismatch);
  EXPECT_EQ(number([] { DateValue(Value(45000)); }), errors::kTypeMismatch);
  EXPECT_EQ(number([] { Year(Value::null()); }), errors::kInvalidUseOfNull);
}

TEST(DateFunctions, WholeDayArithmetic) {
  EXPECT_EQ(Sub(DateValue(Value("10/05/2024")), DateValue(Value("09/04/2024"))), Value(31.0));
  EXPECT_EQ(Format(Sub(DateValue(Value("10/12/2026")), Value::date(QDate(2026, 11, 1))),
                   QStringLiteral("000")),
            QStringLiteral("039"));
  // The years of an age in 365-day years, as a number read back from its text.
  EXPECT_EQ(Val(CStr(Div(Value(800), Value(365)))), 2);
  EXPECT_EQ(Val(CStr(Div(Value(729), Value(365)))), 1);
}

TEST(DateFunctions, DateSerialOverflowsIntoNextUnits) {
  const struct {
    int y, m, d;
    QDate expected;
  } cases[] = {
      {2026, 13, 25, QDate(2027, 1, 25)}, {2026, 0, 1, QDate(2025, 12, 1)},
      {2026, 2, 30, QDate(2026, 3, 2)},   {2026, 3, 0, QDate(2026, 2, 28)},
      {2026, -11, 1, QDate(2025, 1, 1)},  {27, 1, 25, QDate(2027, 1, 25)},
      {2026, 25, 1, QDate(2028, 1, 1)},
  };
  for (const auto& c : cases)
    EXPECT_EQ(DateSerial(c.y, c.m, c.d), Value::date(c.expected))
        << c.y << "-" << c.m << "-" << c.d;
  EXPECT_EQ(TimeSerial(25, 0, 0), Value::date(QDate(1899, 12, 31), QTime(1, 0)));
}

TEST(DateFunctions, PostponedTimePassingMidnightLandsOnTheDayAfterTheZeroDay) {
  const Value t = Add(TimeValue(Value("23:30:00")), TimeSerial(1, 0, 0));
  EXPECT_NEAR(t.serial(), 1.0208333, 1e-6);
  EXPECT_EQ(t.datePart(), QDate(1899, 12, 31));
  EXPECT_EQ(Hour(t), 0);
  EXPECT_EQ(CStr(t), QStringLiteral("31/12/1899 00:30:00"));
  // the date one day on
  EXPECT_EQ(Add(Value::date(QDate(2026, 12, 27)), Value(1)), Value::date(QDate(2026, 12, 28)));
}

TEST(Clock, SettableClockDrivesNowDateAndTime) {
  SettableClock fake(QDateTime(QDate(2026, 12, 31), QTime(23, 59, 58, 700)));
  {
    ScopedClock use(fake);
    EXPECT_EQ(Now(), Value::date(QDate(2026, 12, 31), QTime(23, 59, 58)));
    EXPECT_EQ(Date(), Value::date(QDate(2026, 12, 31)));
    EXPECT_EQ(Time(), Value::time(QTime(23, 59, 58)));
    fake.advance(2);
    EXPECT_EQ(Date(), Value::date(QDate(2027, 1, 1)));
    EXPECT_EQ(Format(Time(), QStringLiteral("hh:mm:ss")), QStringLiteral("00:00:00"));
    EXPECT_EQ(&ark::clock(), &fake);
  }
  EXPECT_NE(&ark::clock(), &fake);
  EXPECT_LE(std::abs(QDateTime::currentDateTime().secsTo(ark::clock().now())), 2);
}

}  // namespace
