// Sets far larger than anything the views keep of them: what a caller sees of the rows,
// their order, their count and their values, while other views and statements change
// the table between two reads.
#include <gtest/gtest.h>

#include "db_fixture.h"
#include "platform/core/runtime.h"
#include "platform/core/runtime_error.h"
#include "platform/database/database.h"

namespace ark::db {
namespace {

constexpr int kRows = 600;

// kRows appointments whose codes 1..kRows are stored out of order, so that the set's
// order is not the table's.
QString agendaSql() {
  return QStringLiteral(
             "CREATE TABLE agenda (codigo LONG, nome VARCHAR(30), data DATETIME, valor CURRENCY);"
             "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < ") +
         QString::number(kRows - 1) +
         QStringLiteral(
             ") INSERT INTO agenda SELECT c, 'Nome ' || c,"
             " printf('2026-%02d-%02d 00:00:00', c % 12 + 1, c % 28 + 1), c * 1.25"
             " FROM (SELECT (i * 7919) % ") +
         QString::number(kRows) + QStringLiteral(" + 1 AS c FROM n);");
}

class LargeSet : public ::testing::Test {
 protected:
  test::DbFile file{agendaSql()};

  std::unique_ptr<View> view(const QString& source, const QString& name = QStringLiteral("Tagenda")) {
    auto v = std::make_unique<View>(name, QStringLiteral("Access 2000;"), source);
    v->setDatabaseName(file.path());
    v->Refresh();
    return v;
  }
  std::unique_ptr<View> ordered() { return view(QStringLiteral("select * from agenda order by codigo")); }

  static qint64 code(Recordset& rs) { return rs.field("codigo").longValue(); }
  // The codes from the current row to the end.
  static QVector<qint64> rest(Recordset& rs) {
    QVector<qint64> out;
    for (; !rs.Eof(); rs.MoveNext()) out << code(rs);
    return out;
  }
  static QVector<qint64> range(qint64 from, qint64 to) {
    QVector<qint64> out;
    for (qint64 c = from; c <= to; ++c) out << c;
    return out;
  }
};

TEST_F(LargeSet, RowsComeInTheSetsOrderAndRecordCountCountsThoseVisited) {
  auto v = ordered();
  Recordset& rs = v->recordset();
  EXPECT_EQ(rs.RecordCount(), 1);
  for (int visited = 2; visited <= 40; ++visited) {
    rs.MoveNext();
    ASSERT_EQ(rs.RecordCount(), visited);
  }
  EXPECT_EQ(code(rs), 40);
  rs.MoveLast();
  EXPECT_EQ(rs.RecordCount(), kRows);
  EXPECT_EQ(code(rs), kRows);
  rs.MoveFirst();
  EXPECT_EQ(rs.RecordCount(), kRows);
  // Every row, with its values in their kinds.
  for (qint64 c = 1; c <= kRows; ++c, rs.MoveNext()) {
    ASSERT_FALSE(rs.Eof()) << c;
    ASSERT_EQ(code(rs), c);
    ASSERT_EQ(rs.field("nome"), Value(QStringLiteral("Nome %1").arg(c)));
    ASSERT_EQ(rs.field("valor"), Value::currencyScaled(c * 12500));
    ASSERT_EQ(rs.field("data"), Value::date(QDate(2026, int(c % 12) + 1, int(c % 28) + 1)));
  }
  EXPECT_TRUE(rs.Eof());
  EXPECT_EQ(rs.RecordCount(), kRows);
}

TEST_F(LargeSet, AnAddedRowJoinsTheEndOfTheSet) {
  auto v = view(QStringLiteral("select * from agenda where codigo > 0 order by codigo"));
  Recordset& rs = v->recordset();
  for (int i = 1; i < 300; ++i) rs.MoveNext();
  rs.AddNew();
  rs.Fields("codigo") = Value(-1);  // sorts first and fails the WHERE: it joins all the same
  rs.Fields("nome") = Value("Novo");
  rs.Update();
  EXPECT_EQ(code(rs), 300);  // back on the row current before AddNew
  EXPECT_EQ(rs.RecordCount(), 301);
  QVector<qint64> expected = range(300, kRows);
  expected << -1;
  EXPECT_EQ(rest(rs), expected);
  rs.MoveLast();
  EXPECT_EQ(rs.RecordCount(), kRows + 1);
  EXPECT_EQ(rs.field("nome"), Value("Novo"));
  rs.setBookmark(rs.LastModified());
  EXPECT_EQ(code(rs), -1);
  rs.MoveFirst();
  rs.FindFirst(QStringLiteral("nome = 'Novo'"));
  ASSERT_FALSE(rs.NoMatch());
  EXPECT_EQ(code(rs), -1);
  EXPECT_EQ(file.query("select count(*) from agenda"), QString::number(kRows + 1));
}

TEST_F(LargeSet, RowsDeletedByAStatementBetweenTwoReadsArePassedOver) {
  auto v = ordered();
  Recordset& rs = v->recordset();
  EXPECT_EQ(code(rs), 1);
  v->database().Execute(
      QStringLiteral("Delete * from agenda where codigo between 100 and 199 or codigo = %1")
          .arg(kRows));
  QVector<qint64> expected = range(1, 99) + range(200, kRows - 1);
  EXPECT_EQ(rest(rs), expected);
  EXPECT_EQ(rs.RecordCount(), kRows - 101);
  rs.MoveLast();
  EXPECT_EQ(code(rs), kRows - 1);
  EXPECT_EQ(rs.RecordCount(), kRows - 101);

  // The current row deleted by a statement: read as it was, and never written back.
  rs.MoveFirst();
  v->database().Execute(QStringLiteral("Delete * from agenda where codigo = 1"));
  EXPECT_EQ(rs.field("nome"), Value("Nome 1"));
  rs.Edit();
  rs.Fields("nome") = Value("De volta");
  try {
    rs.Update();
    ADD_FAILURE() << "a deleted row was written";
  } catch (const RuntimeError& e) {
    EXPECT_EQ(e.number(), 3167);
  }
  EXPECT_EQ(file.query("select count(*) from agenda where codigo = 1 or nome = 'De volta'"), "0");
  rs.MoveNext();
  EXPECT_EQ(code(rs), 2);
  rs.MoveFirst();
  EXPECT_EQ(code(rs), 2);
}

TEST_F(LargeSet, ARowChangedThroughAnotherViewIsReadAsItIsWhenReached) {
  auto reader = view(QStringLiteral("select * from agenda where nome <> 'Fora' order by codigo"));
  Recordset& rs = reader->recordset();
  EXPECT_EQ(code(rs), 1);
  auto writer = view(QStringLiteral("agenda"), QStringLiteral("Tescrita"));
  Recordset& w = writer->recordset();
  const struct {
    int codigo;
    const char* nome;
  } changes[] = {{1, "Primeiro"}, {300, "Mudado"}, {450, "Fora"}};
  for (const auto& c : changes) {
    w.FindFirst(QStringLiteral("codigo = %1").arg(c.codigo));
    ASSERT_FALSE(w.NoMatch());
    w.Edit();
    w.Fields("nome") = Value(c.nome);
    w.Update();
  }
  // The current row stays as it was read until the set moves.
  EXPECT_EQ(rs.field("nome"), Value("Nome 1"));
  QStringList names;
  for (rs.MoveNext(); !rs.Eof(); rs.MoveNext()) names << rs.field("nome").text();
  ASSERT_EQ(names.size(), kRows - 1);  // the row that no longer meets the WHERE stays in
  EXPECT_EQ(names[298], "Mudado");
  EXPECT_EQ(names[448], "Fora");
  rs.MoveFirst();
  EXPECT_EQ(rs.field("nome"), Value("Primeiro"));

  // The rows are those of the record source when the set is first read after a Refresh.
  reader->Refresh();
  w.AddNew();
  w.Fields("codigo") = Value(kRows + 1);
  w.Fields("nome") = Value("Depois");
  w.Update();
  Recordset& again = reader->recordset();
  again.MoveLast();
  EXPECT_EQ(again.RecordCount(), kRows);  // 450 left, the new row came in
  EXPECT_EQ(again.field("nome"), Value("Depois"));
}

TEST_F(LargeSet, ManyRecordSourcesOnOneFileLeaveEveryOpenSetReadable) {
  auto walker = ordered();
  Recordset& rs = walker->recordset();
  auto lookup = view(QStringLiteral("agenda"), QStringLiteral("Tbusca"));
  // Each row reopens the look-up on a source of its own, as the jobs do per row.
  for (qint64 c = 1; c <= kRows; ++c, rs.MoveNext()) {
    ASSERT_EQ(code(rs), c);
    lookup->setRecordSource(QStringLiteral("select codigo, data from agenda where nome = 'Nome %1'")
                                .arg(kRows + 1 - c));
    lookup->Refresh();
    ASSERT_EQ(lookup->recordset().field("codigo"), Value(kRows + 1 - c));
    rs.Edit();
    rs.Fields("valor") = rt::Mul(lookup->recordset().field("codigo"), Value(2));
    rs.Update();
  }
  EXPECT_TRUE(rs.Eof());
  EXPECT_EQ(file.query(QStringLiteral("select count(*) from agenda where valor = (%1 - codigo) * 2")
                           .arg(kRows + 1)),
            QString::number(kRows));
}

TEST_F(LargeSet, SourcesDifferingOnlyInTheirValuesSelectWhatEachSays) {
  auto v = view(QStringLiteral("agenda"));
  auto count = [&](const QString& source) {
    v->setRecordSource(source);
    v->Refresh();
    Recordset& rs = v->recordset();
    if (rs.Eof()) return 0L;
    rs.MoveLast();
    return rs.RecordCount();
  };
  auto stored = [&](const char* where) {
    return file.query(QStringLiteral("select count(*) from agenda where ") + QString::fromUtf8(where))
        .toLong();
  };
  const struct {
    const char* source;
    long rows;
  } cases[] = {
      {"select codigo from agenda where nome = '123'", 0},
      {"select codigo from agenda where nome = 'NOME 5'", 1},  // case does not count
      {"select codigo from agenda where nome = 'nome 7'", 1},
      {"select codigo from agenda where nome = '1'", 0},
      {"select codigo from agenda where data = '02/02/2026' order by codigo",
       stored("data = '2026-02-02 00:00:00'")},
      {"select codigo from agenda where data = '__/__/____'", 0},
      {"select codigo from agenda where data = '03/03/2026' order by codigo",
       stored("data = '2026-03-03 00:00:00'")},
      {"select codigo from agenda where data = #04/04/2026# and codigo < 300",
       stored("data = '2026-04-04 00:00:00' and codigo < 300")},
      {"select codigo from agenda where data = #05/05/2026# and codigo < 30",
       stored("data = '2026-05-05 00:00:00' and codigo < 30")},
  };
  for (const auto& c : cases) EXPECT_EQ(count(QString::fromUtf8(c.source)), c.rows) << c.source;
  // The same criteria searched for on the whole table.
  Recordset& all = v->recordset();
  v->setRecordSource(QStringLiteral("agenda"));
  v->Refresh();
  for (const char* nome : {"nome 9", "NOME 10", "123", "Nome 11"}) {
    all.FindFirst(QStringLiteral("nome = '%1'").arg(QString::fromUtf8(nome)));
    EXPECT_EQ(all.NoMatch(), QByteArray(nome) == "123") << nome;
  }
}

TEST_F(LargeSet, FindFirstMakesCurrentTheFirstMatchInTheSetsOrderWithItsValuesNow) {
  // Matches spread over the table out of the set's order; the first in the set's order
  // was changed by a statement after the set was read.
  file.exec("UPDATE agenda SET nome = 'Alvo' WHERE codigo IN (7, 250, 499, 3)");
  auto v = view(QStringLiteral("select * from agenda order by codigo desc"));
  Recordset& rs = v->recordset();
  v->database().Execute(QStringLiteral("Update agenda set valor = 99 where codigo = 499"));
  rs.FindFirst(QStringLiteral("nome = 'alvo'"));
  ASSERT_FALSE(rs.NoMatch());
  EXPECT_EQ(code(rs), 499);
  EXPECT_EQ(rs.field("valor"), Value::currencyScaled(990000));
  EXPECT_EQ(rs.field("nome"), Value("Alvo"));
  rs.MoveNext();
  EXPECT_EQ(code(rs), 498);
  // Written through the match, the row the table holds changes.
  rs.FindFirst(QStringLiteral("codigo = 250"));
  rs.Edit();
  rs.Fields("nome") = Value("Achado");
  rs.Update();
  EXPECT_EQ(file.query("select nome from agenda where codigo = 250"), "Achado");
  rs.FindFirst(QStringLiteral("nome = 'Nenhum'"));
  EXPECT_TRUE(rs.NoMatch());
}

TEST_F(LargeSet, ATableChangedBetweenRefreshesIsMetAsItIsNow) {
  // A plain refresh, and the one of a look-up read at once, which looks at the tables in
  // that read: both meet the table as it is now.
  for (const bool toRead : {false, true}) {
    SCOPED_TRACE(toRead ? "read at once" : "refresh");
    test::DbFile f{agendaSql()};
    auto v = std::make_unique<View>(QStringLiteral("Tagenda"), QStringLiteral("Access 2000;"),
                                    QStringLiteral("select * from agenda where codigo = 1"));
    v->setDatabaseName(f.path());
    v->Refresh();
    auto refresh = [&] { toRead ? v->RefreshToRead() : v->Refresh(); };
    refresh();
    EXPECT_EQ(code(v->recordset()), 1);
    f.exec("ALTER TABLE agenda ADD COLUMN obs VARCHAR(10); UPDATE agenda SET obs = 'x' || codigo");
    refresh();
    EXPECT_EQ(v->recordset().field("obs"), Value("x1"));
    v->recordset().Edit();
    v->recordset().Fields("obs") = Value("y");
    v->recordset().Update();
    EXPECT_EQ(f.query("select obs from agenda where codigo = 1"), "y");

    // A column dropped before the walk: the names and their places are the table's now.
    f.exec("ALTER TABLE agenda DROP COLUMN nome");
    refresh();
    EXPECT_EQ(v->recordset().field("obs"), Value("y"));
    EXPECT_EQ(v->recordset().fieldNames().size(), 4);

    f.exec("DROP TABLE agenda");
    try {
      refresh();
      v->recordset().Eof();
      FAIL() << "a dropped table was read";
    } catch (const RuntimeError& e) {
      EXPECT_TRUE(e.message().contains(QStringLiteral("tabela não encontrada"))) << e.what();
    }
  }
}

}  // namespace
}  // namespace ark::db
