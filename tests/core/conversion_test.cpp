// Text forms, number and date readers, and the checked conversions.
#include <gtest/gtest.h>

#include "platform/core/runtime.h"
#include "platform/core/runtime_error.h"

using namespace ark;
using namespace ark::rt;

namespace {

int errorNumber(const std::function<void()>& f) {
  try {
    f();
  } catch (const RuntimeError& e) {
    return e.number();
  }
  return 0;
}

struct TextCase {
  Value v;
  const char* text;
};

TEST(CStr, TextFormsUnderPtBR) {
  const TextCase cases[] = {
      {Value(1234.5), "1234,5"},
      {Value(-0.25), "-0,25"},
      {Value(42), "42"},
      {Value(qint64(-7)), "-7"},
      {Value(0.1 + 0.2), "0,3"},  // 15 significant digits
      {Value(2.0 / 3.0), "0,666666666666667"},
      {Value(123456789012345.0), "123456789012345"},
      {Value(1e15), "1E+15"},
      {Value(0.00001), "1E-05"},
      {Value(true), "Verdadeiro"},
      {Value(false), "Falso"},
      {Value(), ""},
      {Value::currency(1234.5), "1234,5"},
      {Value::currency(-0.0001), "-0,0001"},
      {Value::date(QDate(2026, 12, 10), QTime(9, 5, 3)), "10/12/2026 09:05:03"},
      {Value::date(QDate(2026, 12, 10)), "10/12/2026"},
      {Value::date(QDate(100, 1, 2), QTime(0, 0, 1)), "02/01/0100 00:00:01"},
      {Value::time(QTime(23, 30)), "23:30:00"},
      {Value::dateSerial(0), "00:00:00"},
      {Value("  as is "), "  as is "},
  };
  for (const auto& c : cases)
    EXPECT_EQ(CStr(c.v), QString::fromUtf8(c.text)) << c.v.debugString().toStdString();
}

TEST(CStr, NullRaisesButConcatenationIgnoresIt) {
  EXPECT_EQ(errorNumber([] { CStr(Value::null()); }), errors::kInvalidUseOfNull);
  EXPECT_EQ(errorNumber([] { Trim(Value::null()); }), errors::kInvalidUseOfNull);
  EXPECT_EQ(errorNumber([] { UCase(Value::null()); }), errors::kInvalidUseOfNull);
  EXPECT_EQ(Text(Value::null()), QString());
  EXPECT_EQ(Cat(Value::null(), Value(12)), QStringLiteral("12"));
  EXPECT_EQ(Cat(Value("a"), Value::null()), QStringLiteral("a"));
}

TEST(Val, LeadingNumberWithPointAndBlanksIgnored) {
  const struct {
    const char* text;
    double value;
  } cases[] = {
      {"12abc", 12},   {"42.5", 42.5}, {"1,5", 1},     {"", 0},           {"abc", 0},
      {" -3.5", -3.5}, {"1 2 3", 123}, {"1.5e2", 150}, {"2,19178082", 2}, {"+.5", 0.5},
      {"7.", 7},       {"1e", 1},      {"-", 0},
  };
  for (const auto& c : cases) EXPECT_DOUBLE_EQ(Val(QString::fromUtf8(c.text)), c.value) << c.text;
}

TEST(CInt, RoundsHalfToEvenAndChecksRange) {
  const struct {
    Value v;
    int expected;
  } cases[] = {
      {Value(42.5), 42}, {Value(43.5), 44},      {Value(-2.5), -2},
      {Value(2.51), 3},  {Value("1.234"), 1234}, {Value("12,5"), 12},
      {Value(true), -1}, {Value(), 0},           {Value(32767.4), 32767},
  };
  for (const auto& c : cases) EXPECT_EQ(CInt(c.v), c.expected) << c.v.debugString().toStdString();
  // The status-line percentage: leading number, then to a 16-bit integer.
  EXPECT_EQ(CInt(Value(Val("42.5"))), 42);
  EXPECT_EQ(CInt(Value(Val("43.5"))), 44);
  EXPECT_EQ(CInt(Value(Val("12abc"))), 12);

  EXPECT_EQ(errorNumber([] { CInt(Value(32767.5)); }), errors::kOverflow);
  EXPECT_EQ(errorNumber([] { CInt(Value(-32769)); }), errors::kOverflow);
  EXPECT_EQ(errorNumber([] { CLng(Value(2147483648.0)); }), errors::kOverflow);
  EXPECT_EQ(errorNumber([] { CLng(Value(qint64(1) << 40)); }), errors::kOverflow);
  EXPECT_EQ(CLng(Value(-2147483648.0)), -2147483648LL);
  EXPECT_EQ(errorNumber([] { CInt(Value::null()); }), errors::kInvalidUseOfNull);
  EXPECT_EQ(errorNumber([] { CLng(Value("12abc")); }), errors::kTypeMismatch);
  EXPECT_EQ(errorNumber([] { CDbl(Value("")); }), errors::kTypeMismatch);
}

TEST(ParseNumber, PtBRNumbersAndAmounts) {
  const struct {
    const char* text;
    std::optional<double> value;
  } cases[] = {
      {"1.234,500", 1234.5},
      {"R$ 1.234,56", 1234.56},
      {"-R$ 1.234,56", -1234.56},
      {"R$ -5,00", -5},
      {"12", 12},
      {"1234", 1234},
      {" 42 ", 42},
      {"-0,5", -0.5},
      {",5", 0.5},
      {"1,5E3", 1500},
      {"abc", std::nullopt},
      {"", std::nullopt},
      {"12abc", std::nullopt},
      {"R$", std::nullopt},
      {"-", std::nullopt},
      {"1,2,3", std::nullopt},
      {"25/01/2027", std::nullopt},
  };
  for (const auto& c : cases) {
    auto r = parseNumber(QString::fromUtf8(c.text));
    ASSERT_EQ(r.has_value(), c.value.has_value()) << c.text;
    if (r) EXPECT_DOUBLE_EQ(*r, *c.value) << c.text;
  }
}

TEST(ParseDate, AcceptedAndRefusedTexts) {
  const double jan25 = toSerial(QDate(2027, 1, 25));
  const double ten = 10.0 / 24;
  const struct {
    const char* text;
    std::optional<double> serial;
  } cases[] = {
      {"25/01/2027", jan25},
      {"25/01/2027 10:00:00", jan25 + ten},
      {"2027-01-25 10:00:00", jan25 + ten},
      {"2027-01-25", jan25},
      {"25/jan/2027", jan25},
      {"25/DEZ/2026", toSerial(QDate(2026, 12, 25))},
      {"5/1/2027", toSerial(QDate(2027, 1, 5))},
      {"25/01/27", jan25},
      {"01/01/30", toSerial(QDate(1930, 1, 1))},
      {"29/02/2028", toSerial(QDate(2028, 2, 29))},
      {"10:00:00", ten},
      {"10:00", ten},
      {" 10:00:00 ", ten},
      {"23:59:59", 86399.0 / 86400},
      {"00:00:00", 0.0},
      {"24:00:00", std::nullopt},
      {"23:60:00", std::nullopt},
      {"23:59:60", std::nullopt},
      {"31/02/2026", std::nullopt},
      {"29/02/2026", std::nullopt},
      {"13/13/2026", std::nullopt},
      {"22:0_:__", std::nullopt},
      {"__:__:__", std::nullopt},
      {"::", std::nullopt},
      {"__/__/____", std::nullopt},
      {"25/01/2027 25:00", std::nullopt},
      {"25/01/2027x", std::nullopt},
      {"25/fo/2027", std::nullopt},
      {"2026", std::nullopt},
      {"12,5", std::nullopt},
      {"", std::nullopt},
  };
  for (const auto& c : cases) {
    auto r = parseDate(QString::fromUtf8(c.text));
    ASSERT_EQ(r.has_value(), c.serial.has_value()) << c.text;
    if (r) EXPECT_NEAR(*r, *c.serial, 1e-9) << c.text;
  }
}

TEST(IsDateAndIsNumeric, WhatCountsAsWhat) {
  const struct {
    Value v;
    bool isDate;
    bool isNumeric;
  } cases[] = {
      {Value::date(QDate(2026, 12, 10)), true, false},
      {Value("10/12/2026"), true, false},
      {Value("10:00"), true, false},
      {Value("__/__/____"), false, false},
      {Value(45000), false, true},
      {Value(1.5), false, true},
      {Value::currency(2), false, true},
      {Value(true), false, true},
      {Value(), false, true},
      {Value("1.234,5"), false, true},
      {Value("abc"), false, false},
      {Value(""), false, false},
      {Value::null(), false, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(IsDate(c.v), c.isDate) << c.v.debugString().toStdString();
    EXPECT_EQ(IsNumeric(c.v), c.isNumeric) << c.v.debugString().toStdString();
  }
}

TEST(Value, NumberOfEachKind) {
  EXPECT_EQ(Value().number(), 0);
  EXPECT_EQ(Value(true).number(), -1);
  EXPECT_EQ(Value::currencyScaled(12345).number(), 1.2345);
  EXPECT_EQ(errorNumber([] { Value::null().number(); }), errors::kInvalidUseOfNull);
  EXPECT_EQ(errorNumber([] { Value("1").number(); }), errors::kTypeMismatch);
  // Amounts keep four decimals, halves to even.
  EXPECT_EQ(Value::currency(1.00005).currencyScaledValue(), 10000);
  EXPECT_EQ(Value::currency(1.00015).currencyScaledValue(), 10002);
  EXPECT_EQ(Value::currency(-2.5).currencyScaledValue(), -25000);
  // A stored amount (a real number of at most four decimals) reads back as that amount,
  // and a decimal half of the fifth place rounds to even, over the whole range in use.
  for (qint64 whole : {0LL, 1LL, 7LL, 99LL, 1234LL, 98765LL, 4321098LL, 123456789LL}) {
    for (int tenThousandths = 0; tenThousandths < 10000; tenThousandths += 37) {
      const qint64 exact = whole * 10000 + tenThousandths;
      for (int sign : {1, -1}) {
        const double amount = sign * (double(whole) + tenThousandths / 10000.0);
        ASSERT_EQ(Value::currency(amount).currencyScaledValue(), sign * exact) << amount;
        const qint64 halfUp = exact + (exact % 2);  // x.xxxx5 goes to the even neighbour
        const double half = sign * (double(whole) + (tenThousandths + 0.5) / 10000.0);
        ASSERT_EQ(Value::currency(half).currencyScaledValue(), sign * halfUp) << half;
      }
    }
  }
}

TEST(WholeNumbers, IntFixRoundAbs) {
  EXPECT_EQ(Int(Value(-2.5)), Value(-3.0));
  EXPECT_EQ(Fix(Value(-2.5)), Value(-2.0));
  EXPECT_EQ(Int(Value(2.99)), Value(2.0));
  EXPECT_EQ(Int(Value(7)), Value(7));
  EXPECT_EQ(Int(Value::null()), Value::null());
  EXPECT_EQ(Fix(Value::null()), Value::null());
  EXPECT_EQ(Int(Value::dateSerial(46000.75)), Value::dateSerial(46000));
  EXPECT_EQ(Int(Value("3,7")), Value(3.0));
  EXPECT_EQ(Round(Value(2.345), 2), Value(2.34));
  EXPECT_EQ(Round(Value(2.355), 2), Value(2.36));
  EXPECT_EQ(Round(Value(2.5)), Value(2.0));
  EXPECT_EQ(Round(Value(10.0 / 3), 2), Value(3.33));
  EXPECT_EQ(Abs(Value(-4)), Value(4));
  EXPECT_EQ(Abs(Value::currency(-1.5)), Value::currency(1.5));
}

TEST(Texts, TrimUCaseLen) {
  EXPECT_EQ(UCase(Value("joão ação")), QStringLiteral("JOÃO AÇÃO"));
  EXPECT_EQ(Trim(Value("  a b  ")), QStringLiteral("a b"));
  EXPECT_EQ(Trim(Value("\ta ")), QStringLiteral("\ta"));  // blanks only
  EXPECT_EQ(Trim(Value(12)), QStringLiteral("12"));
  EXPECT_EQ(Len(Value("ação")), 4);
}

TEST(CBoolAndCDate, Conversions) {
  EXPECT_TRUE(CBool(Value("Verdadeiro")));
  EXPECT_FALSE(CBool(Value("falso")));
  EXPECT_TRUE(CBool(Value(2)));
  EXPECT_FALSE(CBool(Value("0")));
  EXPECT_EQ(errorNumber([] { CBool(Value("talvez")); }), errors::kTypeMismatch);
  EXPECT_EQ(CDate(Value("25/01/2027")), Value::date(QDate(2027, 1, 25)));
  EXPECT_EQ(CDate(Value(2)), Value::date(QDate(1900, 1, 1)));
  EXPECT_EQ(errorNumber([] { CDate(Value("31/02/2026")); }), errors::kTypeMismatch);
  EXPECT_EQ(CCur(Value("R$ 1.234,56")), 12345600);
}

}  // namespace
