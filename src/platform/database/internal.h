#pragma once
// Pieces shared by the database layer's sources: the stored form of a value, reading a
// stored value back by its column kind, SQLite errors as run-time errors.
#include <sqlite3.h>

#include <QString>
#include <optional>
#include <string>
#include <vector>

#include "platform/core/runtime_error.h"
#include "platform/core/value.h"
#include "platform/database/database.h"

namespace ark::db::detail {

// A column of a table: its kind and, for VARCHAR(n)/CHAR(n)/TEXT(n), its length.
struct ColumnInfo {
  FieldKind kind = FieldKind::Unknown;
  int maxLength = 0;  // 0: no limit
};

// What the connection registers for the translated SQL: the date-time a value stands for,
// as canonical text (Null when it reads as no date), and the order of texts without
// regard to letter case or accents, which LIKE follows too.
inline constexpr char kDateFunction[] = "ark_data";
inline constexpr char kTextCollation[] = "ark_ptbr";
void registerTextOrder(sqlite3* db);

// Orders two UTF-8 texts as the text collation does.
int compareTexts(const char* a, int aBytes, const char* b, int bBytes);

// convertForColumn without naming anything in its errors.
Value convertValue(const Value& v, FieldKind kind, int maxLength);

// convertForColumn, with the name of what is written made only for an error.
template <class Context>
Value convertNamed(const Value& v, FieldKind kind, int maxLength, Context&& context) {
  try {
    return convertValue(v, kind, maxLength);
  } catch (const RuntimeError& e) {
    throw RuntimeError(e.number(),
                       e.message() + QStringLiteral(" (") + context() + QLatin1Char(')'));
  }
}

// The length in a declared type such as "VARCHAR(15)"; 0 when none.
int declaredLength(const QString& declaredType);

// Whether a serial lies in the date-time range (the years 100 to 9999).
bool isDateSerial(double serial);

// "YYYY-MM-DD HH:MM:SS" of a date-time value.
QString canonicalDateTime(const Value& date);
// The same 19 characters into `out`, written by hand for the values of every row; the year
// has four digits.
void writeCanonical(char* out, int year, int month, int day, int hour, int minute,
                    int second);

// The serial of the 19 bytes at `utf8` when they are a valid "YYYY-MM-DD HH:MM:SS" within
// the date-time range; none otherwise.
std::optional<double> canonicalSerial(const unsigned char* utf8);

// The date-time of a stored text: the canonical form, or any text the runtime reads as
// a date or a time ("10/05/2024"); none for a text that is no date or lies outside the
// date-time range.
std::optional<double> storedDateText(const unsigned char* utf8, int bytes);

// Binds a value in its stored form (dates as canonical text, Yes/No as 1/0, currency as
// a real number).
void bindValue(sqlite3_stmt* st, int index, const Value& v);

// Reads column `col` of the current result row as a value of the given kind; Unknown
// follows SQLite's storage class. A value another program stored in another form (a
// "12,5" text in a number column, "Sim" in a Yes/No one) reads as the kind when it
// converts, and as it is stored otherwise (a number outside the date range is no date).
Value readColumn(sqlite3_stmt* st, int col, FieldKind kind);
// The values of a result row copied out of its statement, so that the statement can be
// reset at once; each is read as a value of its kind when asked for, as readColumn does.
class StoredRow {
 public:
  // Columns first .. first + columns - 1 of the statement's row.
  void read(sqlite3_stmt* st, int columns, int first = 0);
  Value value(int col, FieldKind kind) const;

  struct Cell {
    int type = SQLITE_NULL;
    qint64 integer = 0;
    double real = 0;
    int offset = 0;  // text and blob: where its bytes are kept
    int bytes = 0;
  };

 private:
  std::vector<Cell> cells_;
  std::string text_;  // plain appends: a row's texts are copied for every row read
};

// A translated SELECT with the texts and numbers written after its outer FROM (before an
// ORDER BY or GROUP BY) turned into parameters, and their values in order; a text that
// has parameters or comments of its own comes back as it is.
struct Parameterized {
  QString sql;
  std::vector<Value> values;
};
Parameterized parameterize(const QString& sql);
void bindAll(sqlite3_stmt* st, const std::vector<Value>& values);

// The form of a SELECT in the desktop engine's dialect with the values parameterize takes
// out of its translation replaced by what the translation asks of them, and those values
// as the translation writes them (a date literal as its canonical text); false for a text
// whose values cannot be told apart so (parameters or comments of its own).
bool literalForm(const QString& jetSql, QString& form, std::vector<Value>& values);

// The user's text for an engine failure: by its result code, or for a missing table or
// column by the engine's message, keeping the name; any other message as it is.
QString engineMessage(int code, const QString& message);

// The engine's last failure on `db` as a run-time error naming `context`.
RuntimeError engineError(sqlite3* db, const QString& context);

// A statement prepared on `db`; raises with the engine's message.
sqlite3_stmt* prepare(sqlite3* db, const QString& sql, const QString& context);

// Finalises a statement when it goes out of scope.
class Statement {
 public:
  explicit Statement(sqlite3_stmt* st = nullptr) : st_(st) {}
  ~Statement() { sqlite3_finalize(st_); }
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;
  sqlite3_stmt* get() const { return st_; }

 private:
  sqlite3_stmt* st_;
};

// An identifier as SQL text, between double quotes when it needs them.
QString identifier(const QString& name);

// Run-time errors of the data views, with the engine's numbers.
RuntimeError itemNotFound(const QString& field, const QString& context);
RuntimeError readOnly(const QString& context);
RuntimeError noEditInProgress(const QString& context);

}  // namespace ark::db::detail
