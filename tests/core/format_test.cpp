// Format with date and number patterns under the pt-BR settings.
#include <gtest/gtest.h>

#include <limits>

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
      {Value(0), "00000", "00000"},
      {Value(-5), "00000", "-00005"},
      {Value(123456), "00000", "123456"},
      {Value(Q_INT64_C(999999999999999)), "0", "999999999999999"},
      {Value(Q_INT64_C(-999999999999999)), "000000000000000", "-999999999999999"},
      {Value(Q_INT64_C(1234567890123456)), "00000", "1234567890123460"},  // as a double shows
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

// Rounding reads the 15 significant digits the runtime keeps, halves away from zero:
// values at and around those edges, long and short numbers, sections and literals.
TEST(Format, NumbersAtTheEdgesOfRounding) {
  const FormatCase cases[] = {
      {Value(2.675), "0.00", "2,68"},
      {Value(-2.5), "0", "-3"},
      {Value(-0.5), "0", "-1"},
      {Value(0.49999999999999994), "0", "1"},
      {Value(0.1 + 0.2), "0.00000000000000000", "0,30000000000000000"},
      {Value(9.9999999999999995), "0.00", "10,00"},
      {Value(999.995), "#,##0.00", "1.000,00"},
      {Value(123456789.125), "#,##0.00", "123.456.789,13"},
      // Exactly half way at the fifteenth digit, and just either side of it.
      {Value(1234567890123.125), "#,##0.00", "1.234.567.890.123,13"},
      {Value(1234567890123445.0), "0", "1234567890123450"},
      {Value(1.000000000000005), "0.00000000000000", "1,00000000000001"},
      {Value(1.000000000000015), "0.00000000000000", "1,00000000000002"},
      {Value(2.000000000000005), "0.00000000000000", "2,00000000000000"},
      {Value(3.141592653589795), "0.00000000000000", "3,14159265358979"},
      {Value(1e20), "#,##0", "100.000.000.000.000.000.000"},
      {Value(1e15), "currency", "R$ 1.000.000.000.000.000,00"},
      {Value(1e-7), "0.000", "0,000"},
      {Value(-1e-7), "0.000", "0,000"},
      {Value(-0.0004), "0.000", "0,000"},
      {Value(-0.0005), "0.000", "-0,001"},
      {Value(-0.0005), "#,##0.000", "-0,001"},
      {Value(-0.001), "0.00;(0.00)", "(0,00)"},
      {Value(-1234.5), "#,##0.00;(#,##0.00)", "(1.234,50)"},
      {Value(0), "0.00;-0.00;\"zero\"", "zero"},
      {Value(5), "0.00;-0.00;\"zero\"", "5,00"},
      {Value::currency(-0.005), "currency", "-R$ 0,01"},
      {Value::currency(-1234.5), "currency", "-R$ 1.234,50"},
      {Value(0), "#", ""},
      {Value(0), "#.##", ","},
      {Value(0), "000", "000"},
      {Value(5), "#,##0.00%", "500,00%"},
      {Value(1234567), "#,##0,", "1.235"},
      {Value(12345), "0\\-00", "123-45"},
      {Value(7), "00\\-00", "00-07"},
      {Value(42), "\\#0", "#42"},
      {Value(3.5), "\"R$ \"#,##0.00\" kg\"", "R$ 3,50 kg"},
      {Value(1234.5), "#,##0.00.0", "1.234,50.0"},
      {Value(12.5), "0.0#", "12,5"},
      {Value(1234), "#,#", "1.234"},
      {Value(123), "0,000", "0.123"},
      {Value(std::numeric_limits<double>::infinity()), "0.00", "0,00"},
      // Numbers written as text.
      {Value("-1,5"), "0.00", "-1,50"},
      {Value("1e3"), "#,##0", "1.000"},
      {Value(" R$ 1.234,5 "), "currency", "R$ 1.234,50"},
      {Value("ação"), "000", "ação"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(Format(c.v, QString::fromUtf8(c.pattern)).toStdString(), c.expected)
        << c.v.debugString().toStdString() << " with " << c.pattern;
  EXPECT_EQ(Format(Value(1.5e300), QStringLiteral("0")),
            QStringLiteral("15") + QString(299, QLatin1Char('0')));
}

TEST(Format, DatePartsAtTheirWidths) {
  const Value early = Value::date(QDate(150, 1, 2), QTime(0, 5, 9));
  const Value morning = Value::date(QDate(2026, 3, 4), QTime(9, 7, 5));
  const FormatCase cases[] = {
      {Value(0.5), "hh:mm:ss", "12:00:00"},
      {Value(46000), "dd/mm/yyyy", "09/12/2025"},
      {Value(-1), "dd/mm/yyyy", "29/12/1899"},
      {early, "dd/mm/yyyy hh:nn:ss", "02/01/0150 00:05:09"},
      {early, "d/m/yy h:n:s", "2/1/50 0:5:9"},
      {early, "y", "2"},
      {morning, "hh:mm am/pm", "09:07 am"},
      {morning, "h AM/PM", "9 AM"},
      {Value::date(QDate(2026, 3, 4), QTime(0, 1)), "hh:mm AM/PM", "12:01 AM"},
      {morning, "ddd", "04"},
      {morning, "mmm mmmm", "mar março"},
      {morning, "yyyy\"-\"mm\"-\"dd", "2026-03-04"},
      {morning, "dd\\/mm", "04/03"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(Format(c.v, QString::fromUtf8(c.pattern)).toStdString(), c.expected)
        << c.v.debugString().toStdString() << " with " << c.pattern;
}

TEST(Format, NextMonthReminderText) {
  // "25/" & Format(m, "00") & "/" & y
  for (int m : {1, 9, 10, 12})
    EXPECT_EQ(QStringLiteral("25/") + Format(Value(m), QStringLiteral("00")),
              QStringLiteral("25/%1").arg(m, 2, 10, QLatin1Char('0')));
}

}  // namespace
