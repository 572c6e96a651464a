#pragma once
// A field value as the business code handles it: Null, Empty, Yes/No, a whole number,
// a real number, a currency amount, a date-time or a text.
//
// Date-times are kept as a serial number of days since 30/12/1899 (the date-time type's
// zero), the fraction being the time of day, so that date arithmetic in whole days and
// "a time alone lies on the zero day" hold as the callers expect.
#include <QDate>
#include <QDateTime>
#include <QString>
#include <QTime>
#include <QtGlobal>
#include <iosfwd>

namespace ark {

enum class Kind { Empty, Null, Boolean, Long, Double, Currency, Date, Text };

class Value {
 public:
  Value() = default;  // Empty
  Value(bool b) : kind_(Kind::Boolean), i_(b ? 1 : 0) {}
  Value(int n) : kind_(Kind::Long), i_(n) {}
  Value(qint64 n) : kind_(Kind::Long), i_(n) {}
  Value(double d) : kind_(Kind::Double), d_(d) {}
  Value(const QString& s) : kind_(Kind::Text), s_(s) {}
  Value(const char* utf8) : kind_(Kind::Text), s_(QString::fromUtf8(utf8)) {}

  static Value null() {
    Value v;
    v.kind_ = Kind::Null;
    return v;
  }
  // A currency amount, kept exactly to 4 decimals (the amount is rounded half to even).
  static Value currency(double amount);
  static Value currencyScaled(qint64 tenThousandths);
  static Value dateSerial(double serial);
  // From a date and time of day; milliseconds are dropped (whole seconds, as Now gives).
  static Value date(const QDate& d, const QTime& t = QTime(0, 0));
  static Value dateTime(const QDateTime& dt) { return date(dt.date(), dt.time()); }
  static Value time(const QTime& t);  // on the zero day, milliseconds dropped

  Kind kind() const { return kind_; }
  bool isNull() const { return kind_ == Kind::Null; }
  bool isEmpty() const { return kind_ == Kind::Empty; }
  bool isText() const { return kind_ == Kind::Text; }
  bool isDate() const { return kind_ == Kind::Date; }
  bool isBoolean() const { return kind_ == Kind::Boolean; }
  // Long, Double, Currency (a Yes/No is not counted here).
  bool isNumber() const {
    return kind_ == Kind::Long || kind_ == Kind::Double || kind_ == Kind::Currency;
  }

  // Raw access, no conversion: the caller has checked the kind.
  bool boolean() const { return i_ != 0; }
  qint64 longValue() const { return i_; }
  double doubleValue() const { return d_; }
  qint64 currencyScaledValue() const { return i_; }
  double serial() const { return d_; }
  const QString& text() const { return s_; }

  // The numeric value of a number, Yes/No (-1 or 0, as the runtime counts True) or
  // date (its serial); raises a type mismatch for anything else.
  double number() const;

  // Date and time parts of a Date value.
  QDate datePart() const;
  QTime timePart() const;  // rounded to the second
  QDateTime toQDateTime() const { return QDateTime(datePart(), timePart()); }

  // Strict identity (same kind, same content); for tests and containers. The runtime's
  // comparisons, where Null makes a comparison false, are rt::Eq, rt::Lt, ...
  friend bool operator==(const Value& a, const Value& b);
  friend bool operator!=(const Value& a, const Value& b) { return !(a == b); }

  // A readable form for test messages, e.g. Text("abc"), Null, Date(10/12/2026).
  QString debugString() const;

 private:
  Kind kind_ = Kind::Empty;
  qint64 i_ = 0;
  double d_ = 0;
  QString s_;
};

// For GoogleTest messages.
void PrintTo(const Value& v, std::ostream* os);

// Days between 30/12/1899 and the given date, and back.
double toSerial(const QDate& d, const QTime& t = QTime(0, 0));
QDate serialToDate(double serial);
QTime serialToTime(double serial);

}  // namespace ark
