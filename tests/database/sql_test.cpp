// The dialect translation, quoting and the date functions registered on the connection.
#include <gtest/gtest.h>

#include "db_fixture.h"
#include "platform/core/runtime_error.h"
#include "platform/database/database.h"

namespace ark::db {
namespace {

TEST(TranslateSql, RewritesTheDesktopConstructsAndComparesWithDateLiteralsAsDates) {
  struct Case {
    const char* jet;
    const char* sqlite;
  } cases[] = {
      {"Delete * from agenda where nome is null and data < #12/10/2026#",
       "DELETE FROM agenda where nome is null and ark_data(data) < '2026-12-10 00:00:00'"},
      {"delete * from treinamentos_presenca where nota = 0",
       "DELETE FROM treinamentos_presenca where nota = 0"},
      {"  Delete *from aso where controle is null", "  DELETE FROM aso where controle is null"},
      {"codcliente=12 And numnota = 5 And data_vencimento = #12/01/2026#",
       "codcliente=12 And numnota = 5 And ark_data(data_vencimento) = '2026-12-01 00:00:00'"},
      {"data between #1/2/2026# and #12/31/2026#",
       "ark_data(data) between '2026-01-02 00:00:00' and '2026-12-31 00:00:00'"},
      {"#12/31/2026# >= t.data or data not in (#1/2/2026#, 46400)",
       "'2026-12-31 00:00:00' >= ark_data(t.data) or ark_data(data) not in "
       "('2026-01-02 00:00:00', ark_data(46400))"},
      // Text inside quotes is data, never rewritten.
      {"select * from t where obs = '#12/10/2026#' and x = 'Delete * from t'",
       "select * from t where obs = '#12/10/2026#' and x = 'Delete * from t'"},
      {"select * from t where obs = 'it''s #12/10/2026#' or d = #12/10/2026#",
       "select * from t where obs = 'it''s #12/10/2026#' or ark_data(d) = '2026-12-10 00:00:00'"},
      // An assignment is no comparison; an operand of a sum is not the sum.
      {"update t set d = #12/10/2026#, n = 1 where d < #12/10/2026#",
       "update t set d = '2026-12-10 00:00:00', n = 1 where ark_data(d) < '2026-12-10 00:00:00'"},
      {"select * from t where d + 1 < #12/10/2026#",
       "select * from t where d + 1 < '2026-12-10 00:00:00'"},
      // An impossible date is left for the engine to refuse.
      {"select * from t where d = #13/45/2026#", "select * from t where d = #13/45/2026#"},
      {"Select distinct dtemissao,codcli from saida where codcli = 5 order by dtemissao",
       "Select distinct dtemissao,codcli from saida where codcli = 5 order by dtemissao"},
      {"Select * from backup where hour(horabkp) = 22 order by horabkp",
       "Select * from backup where hour(horabkp) = 22 order by horabkp"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(translateSql(QString::fromUtf8(c.jet)), QString::fromUtf8(c.sqlite)) << c.jet;
}

TEST(Quoted, DoublesQuotesSoAValueCannotEndTheLiteral) {
  EXPECT_EQ(quoted(QStringLiteral("D'Ávila")), QStringLiteral("'D''Ávila'"));
  EXPECT_EQ(quoted(Value::null()), QStringLiteral("''"));
  EXPECT_EQ(quoted(Value(12)), QStringLiteral("'12'"));

  test::DbFile f(
      QStringLiteral("CREATE TABLE cliente (nome VARCHAR(50), codigo LONG);"
                     "INSERT INTO cliente VALUES ('Ana', 1), ('D''Ávila', 2);"));
  Recordset rs(Database::open(f.path()), QStringLiteral("cliente"), QStringLiteral("Tcliente"));
  rs.FindFirst(QStringLiteral("nome = ") + quoted(QStringLiteral("D'Ávila")));
  ASSERT_FALSE(rs.NoMatch());
  EXPECT_EQ(rs.field(QStringLiteral("codigo")), Value(qint64(2)));
  // A value trying to widen the condition matches nothing.
  rs.FindFirst(QStringLiteral("nome = ") + quoted(QStringLiteral("x' or '1'='1")));
  EXPECT_TRUE(rs.NoMatch());
}

TEST(DateFunctions, ReadCanonicalAndDayFirstTextsAndGiveNullOtherwise) {
  test::DbFile f(
      QStringLiteral("CREATE TABLE d (id LONG, quando DATETIME, texto VARCHAR(20));"
                     "INSERT INTO d VALUES (1, '2026-12-07 22:05:00', '10/05/2024'),"
                     " (2, NULL, NULL), (3, '1899-12-30 03:00:00', 'abc'),"
                     " (4, 1700000000, '25/01/2027 08:15:00');"));
  Recordset rs(Database::open(f.path()),
               QStringLiteral("select id, hour(quando) as h, year(quando) as y, month(quando) as m,"
                              " day(quando) as dd, day(texto) as td, month(texto) as tm,"
                              " year(texto) as ty, hour(texto) as th from d order by id"),
               QStringLiteral("t"));
  struct Row {
    Value h, y, m, dd, td, tm, ty, th;
  };
  const Value N = Value::null();
  const Row expected[] = {
      {Value(qint64(22)), Value(qint64(2026)), Value(qint64(12)), Value(qint64(7)),
       Value(qint64(10)), Value(qint64(5)), Value(qint64(2024)), Value(qint64(0))},
      {N, N, N, N, N, N, N, N},
      {Value(qint64(3)), Value(qint64(1899)), Value(qint64(12)), Value(qint64(30)), N, N, N, N},
      // A number far outside the date range is no date.
      {N, N, N, N, Value(qint64(25)), Value(qint64(1)), Value(qint64(2027)), Value(qint64(8))},
  };
  for (const Row& e : expected) {
    ASSERT_FALSE(rs.Eof());
    EXPECT_EQ(rs.field("h"), e.h);
    EXPECT_EQ(rs.field("y"), e.y);
    EXPECT_EQ(rs.field("m"), e.m);
    EXPECT_EQ(rs.field("dd"), e.dd);
    EXPECT_EQ(rs.field("td"), e.td);
    EXPECT_EQ(rs.field("tm"), e.tm);
    EXPECT_EQ(rs.field("ty"), e.ty);
    EXPECT_EQ(rs.field("th"), e.th);
    rs.MoveNext();
  }
}

TEST(Execute, RunsDialectStatementsAndNamesFileAndTableOnFailure) {
  test::DbFile f(QStringLiteral(
      "CREATE TABLE agenda (nome VARCHAR(50), data DATETIME);"
      "INSERT INTO agenda VALUES (NULL, '2026-12-09 00:00:00'), (NULL, '2026-12-10 00:00:00'),"
      " ('Ana', '2026-12-01 00:00:00');"));
  auto db = Database::open(f.path());
  db->Execute(QStringLiteral("Delete * from agenda where nome is null and data < #12/10/2026#"));
  EXPECT_EQ(f.query("select count(*) from agenda"), "2");
  EXPECT_EQ(f.query("select count(*) from agenda where nome is null"), "1");

  try {
    db->Execute(QStringLiteral("update agenda set nenhum = 1"));
    FAIL() << "no error";
  } catch (const RuntimeError& e) {
    EXPECT_TRUE(e.message().contains(QStringLiteral("nenhum"))) << e.what();
    EXPECT_TRUE(e.message().contains(f.path())) << e.what();
    EXPECT_TRUE(e.message().contains(QStringLiteral("agenda"))) << e.what();
  }

  // The engine would run the first statement alone and drop the rest without a word.
  struct Refused {
    const char* sql;
    int error;
  } refused[] = {
      {"update agenda set nome = 'x'; Delete * from agenda", 3142},
      {"   ", 3129},
  };
  for (const Refused& r : refused) {
    try {
      db->Execute(QString::fromUtf8(r.sql));
      ADD_FAILURE() << "accepted: " << r.sql;
    } catch (const RuntimeError& e) {
      EXPECT_EQ(e.number(), r.error) << e.what();
    }
  }
  EXPECT_EQ(f.query("select count(*) || '/' || count(nome) from agenda"), "2/1");
  db->Execute(QStringLiteral("update agenda set nome = 'y' where nome is null;  "));
  EXPECT_EQ(f.query("select count(*) from agenda where nome = 'y'"), "1");
  try {
    Recordset rs(db, QString(), QStringLiteral("Tagenda"));
    FAIL() << "opened an empty record source";
  } catch (const RuntimeError& e) {
    EXPECT_EQ(e.number(), 3129) << e.what();
    EXPECT_TRUE(e.message().contains(QStringLiteral("Tagenda"))) << e.what();
  }
}

}  // namespace
}  // namespace ark::db
