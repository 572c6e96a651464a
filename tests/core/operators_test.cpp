// Arithmetic and comparisons, with the Null rules.
#include <gtest/gtest.h>

#include "platform/core/runtime.h"
#include "platform/core/runtime_error.h"

using namespace ark;
using namespace ark::rt;

namespace {

TEST(Arithmetic, KindsOfResults) {
  const Value day = Value::date(QDate(2026, 12, 10));
  const struct {
    Value result;
    Value expected;
  } cases[] = {
      {Add(Value(2), Value(3)), Value(5)},
      {Add(Value(2147483647), Value(1)), Value(2147483648.0)},
      {Mul(Value(3), Value(0.5)), Value(1.5)},
      {Sub(Value("1.234,5"), Value(0.5)), Value(1234.0)},
      {Add(Value(), Value(4)), Value(4)},
      {Add(Value(true), Value(1)), Value(0)},
      {Div(Value(800), Value(365)), Value(800.0 / 365)},
      {Div(Value(3), Value(2)), Value(1.5)},
      {Add(day, Value(1)), Value::date(QDate(2026, 12, 11))},
      {Add(Value(-10), day), Value::date(QDate(2026, 11, 30))},
      {Sub(day, Value(10)), Value::date(QDate(2026, 11, 30))},
      {Sub(day, Value::date(QDate(2026, 11, 10))), Value(30.0)},
      {Add(Value::currency(0.1), Value::currency(0.2)), Value::currency(0.3)},
      {Add(Value::currency(1.5), Value(2)), Value::currency(3.5)},
      {Mul(Value::currency(1.5), Value(3)), Value::currency(4.5)},
      {Add(Value::null(), Value(1)), Value::null()},
      {Sub(Value(1), Value::null()), Value::null()},
      {Mul(Value::null(), Value::null()), Value::null()},
      {Div(Value::null(), Value(0)), Value::null()},
  };
  for (const auto& c : cases)
    EXPECT_EQ(c.result, c.expected) << c.result.debugString().toStdString();
}

TEST(Arithmetic, Failures) {
  auto number = [](const std::function<void()>& f) {
    try {
      f();
    } catch (const RuntimeError& e) {
      return e.number();
    }
    return 0;
  };
  EXPECT_EQ(number([] { Add(Value("abc"), Value(1)); }), errors::kTypeMismatch);
  EXPECT_EQ(number([] { Div(Value(1), Value(0)); }), 11);
  EXPECT_EQ(number([] { Div(Value(0), Value(0)); }), errors::kOverflow);
}

TEST(Comparison, Rules) {
  const Value day = Value::date(QDate(2026, 12, 10));
  enum Expect { Less, Equal, Greater, Neither };
  const struct {
    Value a;
    Value b;
    Expect expect;
  } cases[] = {
      {Value(1), Value(2.5), Less},
      {Value(0), Value("0"), Equal},
      {Value("1.234,5"), Value(1234.5), Equal},
      {Value(5), Value("abc"), Less},  // a text that is no number orders after numbers
      {Value("abc"), Value(5), Greater},
      {Value(true), Value(-1), Equal},
      {Value("abc"), Value("abd"), Less},
      {Value("abc"), Value("ABC"), Greater},  // case counts
      {Value(""), Value(), Equal},
      {Value(0), Value(), Equal},
      {day, Value::date(QDate(2026, 12, 10)), Equal},
      {day, Value("10/12/2026"), Equal},
      {day, Value("2026-12-11 00:00:00"), Less},
      {Value::currency(1.5), Value(1.5), Equal},
      {Value::null(), Value::null(), Neither},
      {Value::null(), Value(0), Neither},
      {Value(""), Value::null(), Neither},
  };
  for (const auto& c : cases) {
    const std::string what =
        c.a.debugString().toStdString() + " vs " + c.b.debugString().toStdString();
    EXPECT_EQ(Eq(c.a, c.b), c.expect == Equal) << what;
    EXPECT_EQ(Ne(c.a, c.b), c.expect == Less || c.expect == Greater) << what;
    EXPECT_EQ(Lt(c.a, c.b), c.expect == Less) << what;
    EXPECT_EQ(Le(c.a, c.b), c.expect == Less || c.expect == Equal) << what;
    EXPECT_EQ(Gt(c.a, c.b), c.expect == Greater) << what;
    EXPECT_EQ(Ge(c.a, c.b), c.expect == Greater || c.expect == Equal) << what;
  }
}

}  // namespace
