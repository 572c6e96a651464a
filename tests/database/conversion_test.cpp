// Values written into columns are converted by the column's declared kind; what cannot
// be converted is refused and nothing is written.
#include <gtest/gtest.h>

#include "db_fixture.h"
#include "platform/core/runtime_error.h"
#include "platform/database/database.h"

namespace ark::db {
namespace {

const char* const kTable =
    "CREATE TABLE t (id LONG, texto VARCHAR(15), memo MEMO, l LONG, i INTEGER, d DOUBLE,"
    " c CURRENCY, dt DATETIME, yn YESNO);";

TEST(KindOfDeclaredType, FollowsTheTypeName) {
  struct Case {
    const char* type;
    FieldKind kind;
  } cases[] = {
      {"VARCHAR(15)", FieldKind::Text}, {"text", FieldKind::Text},
      {"MEMO", FieldKind::Text},        {"CHAR(2)", FieldKind::Text},
      {"COUNTER", FieldKind::Long},     {"short", FieldKind::Long},
      {"DOUBLE", FieldKind::Double},    {"numeric(10,2)", FieldKind::Double},
      {"MONEY", FieldKind::Currency},   {"DATETIME", FieldKind::DateTime},
      {"time", FieldKind::DateTime},    {"BIT", FieldKind::YesNo},
      {"YESNO", FieldKind::YesNo},      {"", FieldKind::Unknown},
      {"BLOB", FieldKind::Unknown},
  };
  for (const Case& c : cases)
    EXPECT_EQ(kindOfDeclaredType(QString::fromUtf8(c.type)), c.kind) << c.type;
}

TEST(ConversionOnWrite, StoresEachKindInItsFormAndReadsItBack) {
  struct Case {
    const char* column;
    Value written;
    const char* stored;  // quote() of the stored value, as SQLite shows it
    Value read;
  } cases[] = {
      {"texto", Value("1.234,5"), "'1.234,5'", Value("1.234,5")},
      {"texto", Value(""), "''", Value("")},
      {"memo", Value(QString(300, QLatin1Char('x'))), nullptr,
       Value(QString(300, QLatin1Char('x')))},
      {"d", Value("1.234,5"), "1234.5", Value(1234.5)},
      {"d", Value("1.234,500"), "1234.5", Value(1234.5)},
      {"l", Value("1.234"), "1234", Value(qint64(1234))},
      {"l", Value("2,5"), "2", Value(qint64(2))},  // half to even
      {"i", Value(3.5), "4", Value(qint64(4))},
      {"l", Value(true), "-1", Value(qint64(-1))},
      {"c", Value("R$ 1.234,56"), "1234.56", Value::currency(1234.56)},
      {"c", Value(0.123456), "0.1235", Value::currency(0.1235)},
      {"dt", Value("25/01/2027"), "'2027-01-25 00:00:00'", Value::date(QDate(2027, 1, 25))},
      {"dt", Value("10:00:00"), "'1899-12-30 10:00:00'", Value::time(QTime(10, 0))},
      {"dt", Value("25/01/2027 08:30:15"), "'2027-01-25 08:30:15'",
       Value::date(QDate(2027, 1, 25), QTime(8, 30, 15))},
      {"dt", Value::date(QDate(2026, 12, 7), QTime(22, 0)), "'2026-12-07 22:00:00'",
       Value::date(QDate(2026, 12, 7), QTime(22, 0))},
      {"dt", Value("31/12/9999 23:59:59"), "'9999-12-31 23:59:59'",
       Value::date(QDate(9999, 12, 31), QTime(23, 59, 59))},
      {"dt", Value(46000.5), "'2025-12-09 12:00:00'",
       Value::date(QDate(2025, 12, 9), QTime(12, 0))},
      {"yn", Value("Sim"), "1", Value(true)},
      {"yn", Value("Verdadeiro"), "1", Value(true)},
      {"yn", Value("True"), "1", Value(true)},
      {"yn", Value("Falso"), "0", Value(false)},
      {"yn", Value(2), "1", Value(true)},
      {"yn", Value(0), "0", Value(false)},
      {"yn", Value(false), "0", Value(false)},
      {"d", Value::null(), "NULL", Value::null()},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.column) + " <- " + c.written.debugString().toStdString());
    test::DbFile f(QString::fromUtf8(kTable));
    {
      Recordset rs(Database::open(f.path()), QStringLiteral("t"), QStringLiteral("Tt"));
      rs.AddNew();
      rs.Fields(QString::fromUtf8(c.column)) = c.written;
      rs.Update();
      rs.setBookmark(rs.LastModified());
      EXPECT_EQ(rs.field(QString::fromUtf8(c.column)), c.read);
    }
    if (c.stored)
      EXPECT_EQ(f.query(QStringLiteral("select quote(%1) from t").arg(c.column)),
                QString::fromUtf8(c.stored));
    // Read again through a fresh set, as another view would.
    Recordset again(Database::open(f.path()), QStringLiteral("select * from t"),
                    QStringLiteral("Tt"));
    EXPECT_EQ(again.field(QString::fromUtf8(c.column)), c.read);
  }
}

TEST(ConversionOnWrite, RefusesWhatDoesNotFitAndWritesNothing) {
  struct Case {
    const char* column;
    Value written;
    int error;
  } cases[] = {
      {"d", Value("abc"), errors::kTypeMismatch},
      {"l", Value("doze"), errors::kTypeMismatch},
      {"dt", Value("31/02/2026"), errors::kTypeMismatch},
      {"dt", Value("22:0_:__"), errors::kTypeMismatch},
      {"yn", Value("talvez"), errors::kTypeMismatch},
      {"texto", Value("dezesseis letras"), 3163},
      {"l", Value(3e10), errors::kOverflow},
      // No canonical text exists past the year 9999 (a count of seconds, say).
      {"dt", Value(1700000000), errors::kOverflow},
      {"dt", Value(-1e10), errors::kOverflow},
      {"dt", Value::dateSerial(2958466.0), errors::kOverflow},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.column) + " <- " + c.written.debugString().toStdString());
    test::DbFile f(QString::fromUtf8(kTable) + "INSERT INTO t (id, d) VALUES (1, 7);");
    Recordset rs(Database::open(f.path()), QStringLiteral("t"), QStringLiteral("Tt"));
    // Into a new row and into an existing one: neither reaches the file.
    rs.AddNew();
    rs.Fields("id") = Value(2);
    try {
      rs.Fields(QString::fromUtf8(c.column)) = c.written;
      rs.Update();
      ADD_FAILURE() << "accepted";
    } catch (const RuntimeError& e) {
      EXPECT_EQ(e.number(), c.error) << e.what();
      EXPECT_TRUE(e.message().contains(QString::fromUtf8(c.column))) << e.what();
    }
    rs.CancelUpdate();
    rs.Edit();
    rs.Fields("id") = Value(5);
    EXPECT_THROW(rs.Fields(QString::fromUtf8(c.column)) = c.written, RuntimeError);
    rs.CancelUpdate();
    EXPECT_EQ(f.query("select count(*) || '/' || id || '/' || d from t"), "1/1/7.0");
  }
}

// Rows written by other programs may hold a value in another form than the one the views
// write; each reads as its column's kind when it can, and as it is stored otherwise.
TEST(ReadingForeignForms, GivesTheColumnsKindWhenTheStoredValueReadsAsOne) {
  struct Case {
    const char* column;
    const char* stored;  // SQL literal
    Value read;
  } cases[] = {
      {"dt", "'25/01/2027'", Value::date(QDate(2027, 1, 25))},
      {"dt", "'25/01/2027 08:30'", Value::date(QDate(2027, 1, 25), QTime(8, 30))},
      {"dt", "'2027-01-25'", Value::date(QDate(2027, 1, 25))},
      {"dt", "'2027-01-25T10:00:00.000'", Value::date(QDate(2027, 1, 25), QTime(10, 0))},
      {"dt", "46000.5", Value::date(QDate(2025, 12, 9), QTime(12, 0))},
      {"dt", "1700000000", Value(qint64(1700000000))},  // far outside the date range
      {"dt", "1e300", Value(1e300)},
      {"dt", "'__/__/____'", Value("__/__/____")},
      {"dt", "''", Value("")},
      {"l", "'12,5'", Value(12.5)},
      {"l", "'1.234'", Value(1.234)},  // a plain number literal, which SQLite keeps as a number
      {"l", "'1.234,0'", Value(qint64(1234))},
      {"l", "'abc'", Value("abc")},
      {"l", "''", Value("")},
      {"d", "'1.234,5'", Value(1234.5)},
      {"c", "'R$ 1.234,56'", Value::currency(1234.56)},
      {"c", "1e300", Value(1e300)},  // too large for an amount: the set still opens
      {"yn", "'Sim'", Value(true)},
      {"yn", "'True'", Value(true)},
      {"yn", "'Não'", Value(false)},
      {"yn", "-1", Value(true)},
      {"yn", "'talvez'", Value("talvez")},
      {"texto", "12", Value("12")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.column) + " holding " + c.stored);
    test::DbFile f(QString::fromUtf8(kTable) +
                   QStringLiteral("INSERT INTO t (id, %1) VALUES (1, %2);")
                       .arg(QString::fromUtf8(c.column), QString::fromUtf8(c.stored)));
    Recordset rs(Database::open(f.path()), QStringLiteral("t"), QStringLiteral("Tt"));
    EXPECT_EQ(rs.field(QString::fromUtf8(c.column)), c.read);
  }
}

}  // namespace
}  // namespace ark::db
