// Format with date and number patterns under the pt-BR settings.
#include <gtest/gtest.h>

#include "platform/core/runtime.h"

using namespace ark;
using namespace ark::rt;

namespace {

struct FormatCase {
  Value v;
  const char* pattern;
  const char* expected;
};

TEST(Format, Patterns) {
  const Value dec10 = Value::date(QDate(2026, 12, 10), QTime(9, 7, 5));
  const Value afternoon = Value::date(QDate(2027, 1, 5), QTime(15, 4, 0));
  const FormatCase cases[] = {
      // dates
      {dec10, "dd/mmm/yyyy", "10/dez/2026"},
      {dec10, "dd/mm/yyyy", "10/12/2026"},
      {dec10, "mm/dd/yyyy", "12/10/2026"},
      {dec10, "hh:mm:ss", "09:07:05"},
      {dec10, "hh:mm", "09:07"},
      {dec10, "hh", "09"},
      {dec10, "h:nn", "9:07"},
      {dec10, "mm:ss", "07:05"},  // mm before ss is minutes
      {afternoon, "d/m/yy", "5/1/27"},
      {afternoon, "dd \"de\" mmmm \"de\" yyyy", "05 de janeiro de 2027"},
      {afternoon, "hh:mm AM/PM", "03:04 PM"},
      {afternoon, "DD/MM/YYYY", "05/01/2027"},
      {Value::time(QTime(23, 30)), "dd/mm/yyyy hh:mm", "30/12/1899 23:30"},
      {Value("25/01/2027 10:30:00"), "mm/dd/yyyy", "01/25/2027"},
      {Value("2027-01-25 10:30:00"), "hh:mm", "10:30"},
      {Value("não é data"), "dd/mm/yyyy", "não é data"},
      // numbers
      {Value(1234.5), "#,##0.000", "1.234,500"},
      {Value(50), "#,##0.000", "50,000"},
      {Value(1234567.8915), "#,##0.000", "1.234.567,892"},
      {Value(0.5), "#,##0.000", "0,500"},
      {Value(-1234.5), "#,##0.000", "-1.234,500"},
      {Value(150), "currency", "R$ 150,00"},
      {Value(1234.56), "currency", "R$ 1.234,56"},
      {Value(-5), "currency", "-R$ 5,00"},
      {Value(0), "Currency", "R$ 0,00"},
      {Value(12), "currency", "R$ 12,00"},
      {Value(1.005), "currency", "R$ 1,01"},
      {Value::currency(1234567.125), "currency", "R$ 1.234.567,13"},
      {Value(7), "00", "07"},
      {Value(2026), "00", "2026"},
      {Value(31.0), "000", "031"},
      {Value(-5.0), "000", "-005"},
      {Value(123), "00000", "00123"},
      {Value(123), "0000000000", "0000000123"},
      {Value(2.5), "0", "3"},  // halves away from zero, as the runtime formats
      {Value(0.5), "#.00", ",50"},
      {Value(12.3456), "0.##", "12,35"},
      {Value(12), "0.##", "12,"},
      {Value(0.256), "0.0%", "25,6%"},
      {Value(-3), "0;(0)", "(3)"},
      {Value(12345678), "00000-000", "12345-678"},
      {Value("1.234,5"), "#,##0.000", "1.234,500"},
      {Value("abc"), "000", "abc"},
      {Value(true), "0", "-1"},
      {Value::null(), "000", ""},
      {Value(), "dd/mm/yyyy", ""},
  };
  for (const auto& c : cases)
    EXPECT_EQ(Format(c.v, QString::fromUtf8(c.pattern)), QString::fromUtf8(c.expected))
        << c.v.debugString().toStdString() << " with " << c.pattern;
}

TEST(Format, NextMonthReminderText) {
  // "25/" & Format(m, "00") & "/" & y
  for (int m : {1, 9, 10, 12})
    EXPECT_EQ(QStringLiteral("25/") + Format(Value(m), QStringLiteral("00")),
              QStringLiteral("25/%1").arg(m, 2, 10, QLatin1Char('0')));
}

}  // namespace
