// Column kinds and the conversion of values into and out of their stored form.
#include <QRegularExpression>
#include <cmath>
#include <limits>

#include "platform/core/runtime.h"
#include "platform/database/internal.h"

namespace ark::db {

namespace {
QString baseTypeName(const QString& declaredType) {
  QString t = declaredType.trimmed().toUpper();
  int paren = t.indexOf(QLatin1Char('('));
  if (paren >= 0) t = t.left(paren).trimmed();
  return t;
}

std::optional<bool> yesNoText(const QString& text) {
  const QString t = text.trimmed();
  for (const char* yes : {"Sim", "Verdadeiro", "True"})
    if (t.compare(QLatin1String(yes), Qt::CaseInsensitive) == 0) return true;
  for (const char* no : {"Não", "Falso", "False"})
    if (t.compare(QString::fromUtf8(no), Qt::CaseInsensitive) == 0) return false;
  if (auto n = rt::parseNumber(t)) return *n != 0;
  return std::nullopt;
}

// A number for a numeric column: numbers as they are, Yes/No as -1/0, dates as their
// serial, texts read under the pt-BR settings.
std::optional<double> numberOf(const Value& v) {
  switch (v.kind()) {
    case Kind::Text:
      return rt::parseNumber(v.text());
    case Kind::Boolean:
    case Kind::Long:
    case Kind::Double:
    case Kind::Currency:
    case Kind::Date:
      return v.number();
    default:
      return std::nullopt;
  }
}
}  // namespace

FieldKind kindOfDeclaredType(const QString& declaredType) {
  const QString t = baseTypeName(declaredType);
  static const QHash<QString, FieldKind> kinds = {
      {"TEXT", FieldKind::Text},         {"VARCHAR", FieldKind::Text},
      {"CHAR", FieldKind::Text},         {"MEMO", FieldKind::Text},
      {"INTEGER", FieldKind::Long},      {"LONG", FieldKind::Long},
      {"SHORT", FieldKind::Long},        {"BYTE", FieldKind::Long},
      {"COUNTER", FieldKind::Long},      {"DOUBLE", FieldKind::Double},
      {"REAL", FieldKind::Double},       {"SINGLE", FieldKind::Double},
      {"NUMERIC", FieldKind::Double},    {"DECIMAL", FieldKind::Double},
      {"CURRENCY", FieldKind::Currency}, {"MONEY", FieldKind::Currency},
      {"DATETIME", FieldKind::DateTime}, {"DATE", FieldKind::DateTime},
      {"TIME", FieldKind::DateTime},     {"YESNO", FieldKind::YesNo},
      {"BOOLEAN", FieldKind::YesNo},     {"BIT", FieldKind::YesNo},
  };
  return kinds.value(t, FieldKind::Unknown);
}

namespace detail {
Value convertValue(const Value& v, FieldKind kind, int maxLength) {
  // Empty (a variable never assigned) is stored as no value, like Null.
  if (v.isNull() || v.isEmpty()) return Value::null();
  switch (kind) {
    case FieldKind::Text: {
      QString s = rt::CStr(v);
      if (maxLength > 0 && s.size() > maxLength)
        throw RuntimeError(3163,
                           QStringLiteral("O campo é pequeno demais para aceitar a quantidade "
                                          "de dados que você tentou adicionar: %1 caracteres, "
                                          "no máximo %2")
                               .arg(s.size())
                               .arg(maxLength));
      return Value(s);
    }
    case FieldKind::Long: {
      auto n = numberOf(v);
      if (!n || !std::isfinite(*n)) throw errors::typeMismatch();
      double r = std::nearbyint(*n);  // half to even in the default rounding mode
      if (r < std::numeric_limits<qint32>::min() || r > std::numeric_limits<qint32>::max())
        throw errors::overflow();
      return Value(static_cast<qint64>(r));
    }
    case FieldKind::Double: {
      auto n = numberOf(v);
      if (!n || !std::isfinite(*n)) throw errors::typeMismatch();
      return Value(*n);
    }
    case FieldKind::Currency: {
      if (v.kind() == Kind::Currency) return v;
      auto n = numberOf(v);
      if (!n || !std::isfinite(*n)) throw errors::typeMismatch();
      return Value::currency(*n);
    }
    case FieldKind::DateTime: {
      double serial;
      if (v.isDate()) {
        serial = v.serial();
      } else if (v.isText()) {
        auto d = rt::parseDate(v.text());
        if (!d) throw errors::typeMismatch();
        serial = *d;
      } else if (v.isNumber()) {
        serial = v.number();
      } else {
        throw errors::typeMismatch();
      }
      // Outside the years 100 to 9999 there is no canonical text to store.
      if (!isDateSerial(serial)) throw errors::overflow();
      return v.isDate() ? v : Value::dateSerial(serial);
    }
    case FieldKind::YesNo: {
      if (v.isBoolean()) return v;
      if (v.isText()) {
        if (auto b = yesNoText(v.text())) return Value(*b);
        throw errors::typeMismatch();
      }
      if (v.isNumber()) return Value(v.number() != 0);
      throw errors::typeMismatch();
    }
    case FieldKind::Unknown:
      if (v.isDate() && !isDateSerial(v.serial())) throw errors::overflow();
      return v;
  }
  return v;
}
}  // namespace detail

Value convertForColumn(const Value& v, FieldKind kind, const QString& context) {
  return convertForColumn(v, kind, context, 0);
}

Value convertForColumn(const Value& v, FieldKind kind, const QString& context, int maxLength) {
  return detail::convertNamed(v, kind, maxLength, [&] { return context; });
}

namespace detail {

int declaredLength(const QString& declaredType) {
  static const QRegularExpression re(QStringLiteral("\\(\\s*(\\d+)\\s*\\)"));
  if (kindOfDeclaredType(declaredType) != FieldKind::Text) return 0;
  auto m = re.match(declaredType);
  return m.hasMatch() ? m.captured(1).toInt() : 0;
}

void writeCanonical(char* out, int year, int month, int day, int hour, int minute,
                    int second) {
  auto put = [&out](int v, int width, char after) {
    for (int i = width - 1; i >= 0; --i, v /= 10) out[i] = char('0' + v % 10);
    out += width;
    if (after) *out++ = after;
  };
  put(year, 4, '-');
  put(month, 2, '-');
  put(day, 2, ' ');
  put(hour, 2, ':');
  put(minute, 2, ':');
  put(second, 2, 0);
}

namespace {
// "YYYY-MM-DD HH:MM:SS" into `out`: every date bound or compared goes through here. 0 for
// a year of other than four digits.
int canonicalBytes(const Value& date, char* out) {
  const QDate d = date.datePart();
  const QTime t = date.timePart();
  if (d.year() < 0 || d.year() > 9999) return 0;
  writeCanonical(out, d.year(), d.month(), d.day(), t.hour(), t.minute(), t.second());
  return 19;
}
}  // namespace

QString canonicalDateTime(const Value& date) {
  char buf[20];
  if (const int n = canonicalBytes(date, buf)) return QString::fromLatin1(buf, n);
  const QDate d = date.datePart();
  const QTime t = date.timePart();
  return QStringLiteral("%1-%2-%3 %4:%5:%6")
      .arg(d.year(), 4, 10, QLatin1Char('0'))
      .arg(d.month(), 2, 10, QLatin1Char('0'))
      .arg(d.day(), 2, 10, QLatin1Char('0'))
      .arg(t.hour(), 2, 10, QLatin1Char('0'))
      .arg(t.minute(), 2, 10, QLatin1Char('0'))
      .arg(t.second(), 2, 10, QLatin1Char('0'));
}

void bindValue(sqlite3_stmt* st, int index, const Value& v) {
  switch (v.kind()) {
    case Kind::Empty:
    case Kind::Null:
      sqlite3_bind_null(st, index);
      break;
    case Kind::Boolean:
      sqlite3_bind_int(st, index, v.boolean() ? 1 : 0);
      break;
    case Kind::Long:
      sqlite3_bind_int64(st, index, v.longValue());
      break;
    case Kind::Double:
      sqlite3_bind_double(st, index, v.doubleValue());
      break;
    case Kind::Currency:
      sqlite3_bind_double(st, index, static_cast<double>(v.currencyScaledValue()) / 10000.0);
      break;
    case Kind::Date: {
      char buf[20];
      if (const int n = canonicalBytes(v, buf)) {
        sqlite3_bind_text(st, index, buf, n, SQLITE_TRANSIENT);
      } else {
        const QByteArray s = canonicalDateTime(v).toUtf8();
        sqlite3_bind_text(st, index, s.constData(), int(s.size()), SQLITE_TRANSIENT);
      }
      break;
    }
    case Kind::Text: {
      const QString& s = v.text();
      sqlite3_bind_text16(st, index, s.utf16(), s.size() * 2, SQLITE_TRANSIENT);
      break;
    }
  }
}

// The canonical stored form "YYYY-MM-DD HH:MM:SS" is decoded by position, because every
// row read goes through here; anything else goes through the runtime's date reader.
std::optional<double> canonicalSerial(const unsigned char* s) {
  auto digits = [&](int from, int count, int& out) {
    out = 0;
    for (int i = from; i < from + count; ++i) {
      if (s[i] < '0' || s[i] > '9') return false;
      out = out * 10 + (s[i] - '0');
    }
    return true;
  };
  int y, mo, d, h, mi, se;
  if (!(s[4] == '-' && s[7] == '-' && s[10] == ' ' && s[13] == ':' && s[16] == ':' &&
        digits(0, 4, y) && digits(5, 2, mo) && digits(8, 2, d) && digits(11, 2, h) &&
        digits(14, 2, mi) && digits(17, 2, se)))
    return std::nullopt;
  // Every date-time column of every row read comes this way: the day is counted here
  // rather than through the calendar classes.
  static constexpr int kMonthDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
  if (y < 100 || mo < 1 || mo > 12 || d < 1 || d > kMonthDays[mo - 1] + (mo == 2 && leap) ||
      h > 23 || mi > 59 || se > 59)
    return std::nullopt;
  // Days from 1 March of year 0, so that a leap day ends its year.
  const int yy = mo <= 2 ? y - 1 : y;
  const int doy = (153 * (mo > 2 ? mo - 3 : mo + 9) + 2) / 5 + d - 1;
  const qint64 days = qint64(yy) * 365 + yy / 4 - yy / 100 + yy / 400 + doy;
  constexpr qint64 kZeroDay = 693899;  // 30/12/1899 counted the same way
  const int msecs = (h * 3600 + mi * 60 + se) * 1000;
  return double(days - kZeroDay) + msecs / 86400000.0;
}

std::optional<double> storedDateText(const unsigned char* s, int n) {
  if (n == 19)
    if (auto serial = canonicalSerial(s)) return serial;
  auto serial = rt::parseDate(QString::fromUtf8(reinterpret_cast<const char*>(s), n));
  if (serial && !isDateSerial(*serial)) return std::nullopt;
  return serial;
}

bool isDateSerial(double serial) {
  // 01/01/100 00:00:00 to 31/12/9999 23:59:59, the range of the date-time type.
  return std::isfinite(serial) && serial >= -657434.0 && serial < 2958466.0;
}

namespace {

// A column of a result row being stepped.
struct ColumnOf {
  sqlite3_stmt* st;
  int col;
  int type() const { return sqlite3_column_type(st, col); }
  qint64 int64() const { return sqlite3_column_int64(st, col); }
  double real() const { return sqlite3_column_double(st, col); }
  const unsigned char* utf8() const { return sqlite3_column_text(st, col); }
  int utf8Bytes() const { return sqlite3_column_bytes(st, col); }
  QString text() const {
    const void* p = sqlite3_column_text16(st, col);
    const int bytes = sqlite3_column_bytes16(st, col);
    return QString(reinterpret_cast<const QChar*>(p), bytes / 2);
  }
};

// A column of a row kept in a StoredRow.
struct StoredColumn {
  const StoredRow::Cell& cell;
  const char* base;
  int type() const { return cell.type; }
  qint64 int64() const { return cell.integer; }
  double real() const { return cell.real; }
  const unsigned char* utf8() const {
    return reinterpret_cast<const unsigned char*>(base + cell.offset);
  }
  int utf8Bytes() const { return cell.bytes; }
  QString text() const { return QString::fromUtf8(base + cell.offset, cell.bytes); }
};

template <class Source>
Value textOf(const Source& src) {
  return Value(src.text());
}

// An amount as the column holds it; one too large for the currency type stays a number,
// so that a single odd row cannot keep the whole set from opening.
Value amountOf(double amount) {
  try {
    return Value::currency(amount);
  } catch (const RuntimeError&) {
    return Value(amount);
  }
}

// A text that another program left in a column of another kind, read as the kind when it
// reads as one under the pt-BR settings ("12,5", "R$ 10,50", "Sim"); none otherwise, and
// the text is then given as it is stored.
std::optional<Value> textAsKind(const QString& text, FieldKind kind) {
  switch (kind) {
    case FieldKind::Long:
    case FieldKind::Double:
    case FieldKind::Currency: {
      auto n = rt::parseNumber(text);
      if (!n) return std::nullopt;
      if (kind == FieldKind::Currency) return amountOf(*n);
      if (kind == FieldKind::Long && std::nearbyint(*n) == *n && std::fabs(*n) < 9.0e18)
        return Value(static_cast<qint64>(*n));
      return Value(*n);
    }
    case FieldKind::YesNo:
      if (auto b = yesNoText(text)) return Value(*b);
      return std::nullopt;
    default:
      return std::nullopt;
  }
}

template <class Source>
Value readAs(const Source& src, FieldKind kind) {
  const int type = src.type();
  if (type == SQLITE_NULL) return Value::null();
  switch (kind) {
    case FieldKind::Text:
      return textOf(src);
    case FieldKind::Long:
      if (type == SQLITE_INTEGER) return Value(static_cast<qint64>(src.int64()));
      if (type == SQLITE_FLOAT) return Value(src.real());
      break;
    case FieldKind::Double:
      if (type == SQLITE_INTEGER || type == SQLITE_FLOAT) return Value(src.real());
      break;
    case FieldKind::Currency:
      if (type == SQLITE_INTEGER || type == SQLITE_FLOAT) return amountOf(src.real());
      break;
    case FieldKind::DateTime:
      if (type == SQLITE_TEXT) {
        const unsigned char* text = src.utf8();
        auto d = storedDateText(text, src.utf8Bytes());
        if (d) return Value::dateSerial(*d);
        return textOf(src);  // a text that is no date is shown as it is
      }
      if (type == SQLITE_INTEGER || type == SQLITE_FLOAT) {
        // A number far outside the date range (a count of seconds, say) is no date.
        const double serial = src.real();
        if (isDateSerial(serial)) return Value::dateSerial(serial);
      }
      break;
    case FieldKind::YesNo:
      if (type == SQLITE_INTEGER || type == SQLITE_FLOAT) return Value(src.real() != 0);
      break;
    case FieldKind::Unknown:
      break;
  }
  if (type == SQLITE_TEXT && kind != FieldKind::Text && kind != FieldKind::Unknown) {
    Value text = textOf(src);
    if (auto v = textAsKind(text.text(), kind)) return *v;
    return text;
  }
  switch (type) {
    case SQLITE_INTEGER:
      return Value(static_cast<qint64>(src.int64()));
    case SQLITE_FLOAT:
      return Value(src.real());
    default:
      return textOf(src);
  }
}
}  // namespace

Value readColumn(sqlite3_stmt* st, int col, FieldKind kind) {
  return readAs(ColumnOf{st, col}, kind);
}

void StoredRow::read(sqlite3_stmt* st, int columns, int first) {
  cells_.resize(columns);
  text_.clear();
  for (int c = first; c < first + columns; ++c) {
    Cell& cell = cells_[c - first];
    cell.type = sqlite3_column_type(st, c);
    switch (cell.type) {
      case SQLITE_INTEGER:
        cell.integer = sqlite3_column_int64(st, c);
        cell.real = double(cell.integer);
        break;
      case SQLITE_FLOAT:
        cell.real = sqlite3_column_double(st, c);
        cell.integer = qint64(cell.real);
        break;
      case SQLITE_TEXT:
      case SQLITE_BLOB: {
        const char* p = reinterpret_cast<const char*>(sqlite3_column_text(st, c));
        cell.bytes = sqlite3_column_bytes(st, c);
        cell.offset = int(text_.size());
        if (cell.bytes > 0) text_.append(p, size_t(cell.bytes));
        break;
      }
      default:
        break;
    }
  }
}

Value StoredRow::value(int col, FieldKind kind) const {
  return readAs(StoredColumn{cells_[col], text_.data()}, kind);
}

QString identifier(const QString& name) {
  static const QRegularExpression plain(
      QStringLiteral("^[A-Za-z_\\x{00C0}-\\x{FFFF}][\\w\\x{00C0}-\\x{FFFF}]*$"),
      QRegularExpression::UseUnicodePropertiesOption);
  const QByteArray utf8 = name.toUtf8();
  // A field named like a keyword ("order", "default") is written quoted, as any other name.
  if (plain.match(name).hasMatch() && !sqlite3_keyword_check(utf8.constData(), utf8.size()))
    return name;
  QString q = name;
  q.replace(QLatin1Char('"'), QStringLiteral("\"\""));
  return QLatin1Char('"') + q + QLatin1Char('"');
}

RuntimeError itemNotFound(const QString& field, const QString& context) {
  return RuntimeError(
      3265,
      QStringLiteral("Item não encontrado nesta coleção: campo '%1' (%2)").arg(field, context));
}

RuntimeError readOnly(const QString& context) {
  return RuntimeError(3027,
                      QStringLiteral("Não é possível atualizar: o conjunto de registros é somente "
                                     "leitura (%1)")
                          .arg(context));
}

RuntimeError noEditInProgress(const QString& context) {
  return RuntimeError(
      3020, QStringLiteral("Update ou CancelUpdate sem AddNew ou Edit (%1)").arg(context));
}

}  // namespace detail
}  // namespace ark::db
