// Arithmetic and comparison operators on field values.
#include <cmath>
#include <limits>

#include "platform/core/runtime.h"
#include "platform/core/runtime_error.h"

namespace ark::rt {
namespace {

bool fitsLong(double d) {
  return d >= -2147483648.0 && d <= 2147483647.0;
}

// A text operand is read as a pt-BR number.
Value operand(const Value& v) {
  if (!v.isText()) return v;
  if (auto n = parseNumber(v.text())) return Value(*n);
  throw errors::typeMismatch();
}

bool isWhole(const Value& v) {
  return v.kind() == Kind::Long || v.kind() == Kind::Boolean || v.kind() == Kind::Empty;
}

enum class Op { Add, Sub, Mul };

Value arithmetic(const Value& a0, const Value& b0, Op op) {
  if (a0.isNull() || b0.isNull()) return Value::null();
  const Value a = operand(a0);
  const Value b = operand(b0);
  const double x = a.number();
  const double y = b.number();
  const double r = op == Op::Add ? x + y : op == Op::Sub ? x - y : x * y;
  if (op != Op::Mul && (a.isDate() || b.isDate())) {
    if (op == Op::Sub && a.isDate() && b.isDate()) return Value(r);  // days between
    return Value::dateSerial(r);
  }
  if (isWhole(a) && isWhole(b)) {
    if (fitsLong(r)) return Value(static_cast<qint64>(r));
    return Value(r);
  }
  const bool currency =
      (a.kind() == Kind::Currency || isWhole(a)) && (b.kind() == Kind::Currency || isWhole(b));
  if (currency) {
    if (op == Op::Mul) return Value::currency(r);
    qint64 sa =
        a.kind() == Kind::Currency ? a.currencyScaledValue() : static_cast<qint64>(x) * 10000;
    qint64 sb =
        b.kind() == Kind::Currency ? b.currencyScaledValue() : static_cast<qint64>(y) * 10000;
    return Value::currencyScaled(op == Op::Add ? sa + sb : sa - sb);
  }
  return Value(r);
}

// -1, 0, 1; nullopt when either side is Null.
std::optional<int> compare(const Value& a, const Value& b) {
  if (a.isNull() || b.isNull()) return std::nullopt;
  auto cmp = [](double x, double y) { return x < y ? -1 : x > y ? 1 : 0; };
  if (a.isText() && b.isText()) {
    int c = a.text().compare(b.text(), Qt::CaseSensitive);
    return c < 0 ? -1 : c > 0 ? 1 : 0;
  }
  if (a.isText() || b.isText()) {
    const Value& t = a.isText() ? a : b;
    const Value& o = a.isText() ? b : a;
    const int sign = a.isText() ? 1 : -1;  // the result is for t against o
    if (o.isEmpty()) {
      int c = t.text().isEmpty() ? 0 : 1;
      return sign * c;
    }
    std::optional<double> n = o.isDate() ? parseDate(t.text()) : parseNumber(t.text());
    if (!n) return sign * 1;  // a text that is not a number orders after it
    return sign * cmp(*n, o.number());
  }
  return cmp(a.number(), b.number());
}

}  // namespace

Value Add(const Value& a, const Value& b) {
  return arithmetic(a, b, Op::Add);
}
Value Sub(const Value& a, const Value& b) {
  return arithmetic(a, b, Op::Sub);
}
Value Mul(const Value& a, const Value& b) {
  return arithmetic(a, b, Op::Mul);
}

Value Div(const Value& a0, const Value& b0) {
  if (a0.isNull() || b0.isNull()) return Value::null();
  const double x = operand(a0).number();
  const double y = operand(b0).number();
  if (y == 0) {
    if (x == 0) throw errors::overflow();
    throw RuntimeError(11, QStringLiteral("Divisão por zero"));
  }
  return Value(x / y);
}

bool Eq(const Value& a, const Value& b) {
  auto c = compare(a, b);
  return c && *c == 0;
}
bool Ne(const Value& a, const Value& b) {
  auto c = compare(a, b);
  return c && *c != 0;
}
bool Lt(const Value& a, const Value& b) {
  auto c = compare(a, b);
  return c && *c < 0;
}
bool Le(const Value& a, const Value& b) {
  auto c = compare(a, b);
  return c && *c <= 0;
}
bool Gt(const Value& a, const Value& b) {
  auto c = compare(a, b);
  return c && *c > 0;
}
bool Ge(const Value& a, const Value& b) {
  auto c = compare(a, b);
  return c && *c >= 0;
}

}  // namespace ark::rt
