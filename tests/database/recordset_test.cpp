// The open set: current row, RecordCount as rows visited, changes written by rowid,
// searches in the set's order.
#include <gtest/gtest.h>

#include "db_fixture.h"
#include "platform/core/runtime.h"
#include "platform/core/runtime_error.h"
#include "platform/database/database.h"

namespace ark::db {
namespace {

class RecordsetTest : public ::testing::Test {
 protected:
  // Five products, inserted out of name order.
  test::DbFile file{QStringLiteral(
      "CREATE TABLE produto (codigo LONG, nome VARCHAR(30), preco CURRENCY, ativo YESNO);"
      "INSERT INTO produto VALUES (3, 'Cabo', 10, 1), (1, 'Alicate', 25.5, 1),"
      " (5, 'Martelo', 40, 0), (2, 'Broca', 7.25, 1), (4, 'Fita', 3, 1);")};
  std::shared_ptr<Database> db = Database::open(file.path());

  std::unique_ptr<Recordset> open(const QString& source) {
    return std::make_unique<Recordset>(db, source, QStringLiteral("Tprod"));
  }
  static QStringList walk(Recordset& rs, const char* field = "nome") {
    QStringList out;
    for (; !rs.Eof(); rs.MoveNext()) out << rs.field(QString::fromUtf8(field)).text();
    return out;
  }
};

TEST_F(RecordsetTest, EmptySetIsAtEofAtOnce) {
  auto rs = open(QStringLiteral("select * from produto where codigo > 99"));
  EXPECT_TRUE(rs->Eof());
  EXPECT_TRUE(rs->Bof());
  EXPECT_EQ(rs->RecordCount(), 0);
  for (auto op : {&Recordset::MoveNext, &Recordset::MoveFirst, &Recordset::MoveLast,
                  &Recordset::Edit, &Recordset::Delete}) {
    try {
      ((*rs).*op)();
      ADD_FAILURE() << "no error";
    } catch (const RuntimeError& e) {
      EXPECT_EQ(e.number(), errors::kNoCurrentRecord);
    }
  }
  EXPECT_THROW(rs->field("nome"), RuntimeError);
}

TEST_F(RecordsetTest, RecordCountCountsTheRowsVisited) {
  auto rs = open(QStringLiteral("select * from produto order by nome"));
  EXPECT_EQ(rs->RecordCount(), 1);
  rs->MoveNext();
  EXPECT_EQ(rs->RecordCount(), 2);
  rs->MoveLast();  // counted sizing: MoveLast, RecordCount, MoveFirst
  EXPECT_EQ(rs->RecordCount(), 5);
  rs->MoveFirst();
  EXPECT_EQ(rs->RecordCount(), 5);
  EXPECT_EQ(walk(*rs), (QStringList{"Alicate", "Broca", "Cabo", "Fita", "Martelo"}));
  EXPECT_TRUE(rs->Eof());
  try {
    rs->MoveNext();
    FAIL() << "MoveNext at EOF";
  } catch (const RuntimeError& e) {
    EXPECT_EQ(e.number(), errors::kNoCurrentRecord);
  }
}

TEST_F(RecordsetTest, EditWritesOnlyTheAssignedFieldsOfThatRow) {
  auto rs = open(QStringLiteral("select * from produto order by nome"));
  rs->MoveNext();  // Broca
  // Another program changes the same row after the set was read.
  file.exec("update produto set preco = 8 where codigo = 2");
  rs->Edit();
  rs->Fields("ativo") = Value(false);
  EXPECT_EQ(rs->field("ativo"), Value(false));
  rs->Update();
  EXPECT_EQ(file.query("select nome || '/' || preco || '/' || ativo from produto where codigo = 2"),
            "Broca/8/0");
  EXPECT_EQ(file.query("select count(*) from produto where ativo = 0"), "2");
  EXPECT_EQ(rs->field("nome"), Value("Broca"));  // still on the edited row
  EXPECT_EQ(rs->field("ativo"), Value(false));
}

TEST_F(RecordsetTest, AColumnSubsetOfOneTableIsUpdatable) {
  auto rs = open(QStringLiteral("Select nome,preco from produto where ativo = 1 order by nome"));
  ASSERT_TRUE(rs->updatable());
  EXPECT_EQ(rs->fieldNames(), (QStringList{"nome", "preco"}));
  for (; !rs->Eof(); rs->MoveNext()) {
    rs->Edit();
    rs->Fields("preco") = Value("1,5");
    rs->Update();
  }
  EXPECT_EQ(file.query("select group_concat(preco, ' ') from produto"), "1.5 1.5 40 1.5 1.5");
  EXPECT_THROW(rs->field("codigo"), RuntimeError);  // not in the set
}

TEST_F(RecordsetTest, AggregateDistinctAndJoinedSetsAreReadOnly) {
  const char* sources[] = {
      "select sum(preco) as soma, count(*) as n from produto where ativo = 1",
      "Select distinct ativo from produto order by ativo",
      "select p.nome from produto p, produto q where p.codigo = q.codigo",
  };
  for (const char* s : sources) {
    auto rs = open(QString::fromUtf8(s));
    EXPECT_FALSE(rs->updatable()) << s;
    try {
      rs->Edit();
      ADD_FAILURE() << s;
    } catch (const RuntimeError& e) {
      EXPECT_EQ(e.number(), 3027) << s;
      EXPECT_TRUE(e.message().contains(QStringLiteral("somente leitura"))) << e.what();
    }
    EXPECT_THROW(rs->AddNew(), RuntimeError);
    EXPECT_THROW(rs->Delete(), RuntimeError);
  }
  auto sums =
      open(QStringLiteral("select sum(preco) as soma, count(*) as n from produto where ativo = 1"));
  EXPECT_EQ(sums->field("soma"), Value(45.75));
  EXPECT_EQ(sums->field("n"), Value(qint64(4)));
  auto none = open(QStringLiteral("select sum(preco) as soma from produto where codigo = 99"));
  EXPECT_EQ(none->field("soma"), Value::null());
  // A distinct column keeps its declared kind.
  auto kinds = open(QStringLiteral("Select distinct ativo from produto order by ativo"));
  EXPECT_EQ(kinds->field("ativo"), Value(false));
}

TEST_F(RecordsetTest, AddedRowJoinsTheEndAndIsFoundLater) {
  auto rs = open(QStringLiteral("select * from produto order by nome"));
  rs->MoveNext();  // Broca
  rs->AddNew();
  EXPECT_EQ(rs->field("nome"), Value::null());
  rs->Fields("codigo") = Value(6);
  rs->Fields("nome") = Value("Arruela");  // would sort first
  rs->Update();
  EXPECT_EQ(rs->field("nome"), Value("Broca"));  // back on the row current before AddNew
  rs->setBookmark(rs->LastModified());
  EXPECT_EQ(rs->field("nome"), Value("Arruela"));
  EXPECT_EQ(rs->field("preco"), Value::null());
  rs->MoveFirst();
  EXPECT_EQ(walk(*rs), (QStringList{"Alicate", "Broca", "Cabo", "Fita", "Martelo", "Arruela"}));
  EXPECT_EQ(rs->RecordCount(), 6);
  rs->FindFirst(QStringLiteral("codigo = 6"));
  ASSERT_FALSE(rs->NoMatch());
  EXPECT_EQ(rs->field("nome"), Value("Arruela"));
  EXPECT_EQ(file.query("select count(*) from produto"), "6");
}

TEST_F(RecordsetTest, AddNewOnAnEmptySetAndCancelUpdate) {
  auto rs = open(QStringLiteral("select * from produto where codigo > 99"));
  rs->AddNew();
  rs->Fields("codigo") = Value(100);
  rs->CancelUpdate();
  EXPECT_TRUE(rs->Eof());
  EXPECT_EQ(file.query("select count(*) from produto"), "5");
  rs->AddNew();
  rs->Fields("codigo") = Value(100);
  rs->Update();
  EXPECT_TRUE(rs->Eof());  // was at EOF before AddNew
  EXPECT_EQ(rs->RecordCount(), 1);
  rs->setBookmark(rs->LastModified());
  EXPECT_EQ(rs->field("codigo"), Value(qint64(100)));
}

TEST_F(RecordsetTest, FindFirstTakesTheFirstRowInTheSetsOrder) {
  auto rs = open(QStringLiteral("select * from produto order by codigo desc"));
  struct Case {
    const char* criteria;
    bool match;
    const char* nome;  // the row current afterwards
  } cases[] = {
      {"ativo = 1", true, "Fita"},  // codes 4, 3, 2, 1 are active: 4 comes first here
      {"preco > 5 and nome <> 'Martelo'", true, "Cabo"},
      {"nome = 'Nenhum'", false, "Cabo"},  // no match: the position stays
      {"codigo=2 And preco = 7.25", true, "Broca"},
  };
  for (const Case& c : cases) {
    rs->FindFirst(QString::fromUtf8(c.criteria));
    EXPECT_EQ(rs->NoMatch(), !c.match) << c.criteria;
    EXPECT_EQ(rs->field("nome"), Value(c.nome)) << c.criteria;
  }
  // The same on a read-only set, where the criteria are tried row by row.
  auto ro = open(QStringLiteral("select distinct codigo, nome from produto order by codigo desc"));
  ro->FindFirst(QStringLiteral("nome like 'B%' or codigo = 1"));
  EXPECT_EQ(ro->field("nome"), Value("Broca"));
  ro->FindFirst(QStringLiteral("codigo = 9"));
  EXPECT_TRUE(ro->NoMatch());
  EXPECT_THROW(rs->FindFirst(QStringLiteral("nada = 1")), RuntimeError);
}

TEST_F(RecordsetTest, ValuesWrittenIntoASourceSelectTheRowsTheySay) {
  const struct {
    const char* source;
    const char* field;
    const char* rows;  // the field of each row, in order
  } cases[] = {
      {"select 'fixo', nome from produto where nome = 'Broca'", "'fixo'", "fixo"},
      {"select * from produto where preco > 7.5 order by 2", "nome", "Alicate Cabo Martelo"},
      {"select nome from produto where nome = 'It''s' or codigo = -3 or codigo = 2", "nome",
       "Broca"},
      {"select nome from produto where codigo in (1, 2, 3) order by codigo desc", "nome",
       "Cabo Broca Alicate"},
      {"select ativo, count(*) as n from produto where preco >= 3 group by ativo order by 1", "n",
       "1 4"},
      {"select nome from produto where nome like 'B%' or [preco] = 3.0", "nome", "Broca Fita"},
      {"select nome from produto where preco = 2.55e1 or preco = .3e1 or codigo = 0x1",
       "nome", "Alicate Fita"},
      {"select nome from produto where codigo = 4", "nome", "Fita"},
      {"select nome from produto where codigo = 5", "nome", "Martelo"},
  };
  for (const auto& c : cases) {
    auto rs = open(QString::fromUtf8(c.source));
    QStringList got;
    for (; !rs->Eof(); rs->MoveNext()) got << rt::Text(rs->field(QString::fromUtf8(c.field)));
    EXPECT_EQ(got.join(' '), QString::fromUtf8(c.rows)) << c.source;
  }
}

TEST_F(RecordsetTest, FindFirstWithDateLiteralOnCanonicalDates) {
  file.exec(
      "CREATE TABLE bloqueio_cliente (codcliente LONG, numnota LONG, data_vencimento DATETIME);"
      "INSERT INTO bloqueio_cliente VALUES (12, 5, '2026-11-01 00:00:00'), (12, 5, '2026-12-01 "
      "00:00:00');");
  auto rs = open(QStringLiteral("bloqueio_cliente"));
  rs->FindFirst(QStringLiteral("codcliente=12 And numnota = 5 And data_vencimento = #12/01/2026#"));
  ASSERT_FALSE(rs->NoMatch());
  EXPECT_EQ(rs->field("data_vencimento"), Value::date(QDate(2026, 12, 1)));
}

TEST_F(RecordsetTest, DeleteRemovesTheRowAndMoveNextGoesOn) {
  auto rs = open(QStringLiteral("select * from produto order by nome"));
  rs->MoveNext();  // Broca
  rs->Delete();
  EXPECT_EQ(file.query("select count(*) from produto where nome = 'Broca'"), "0");
  EXPECT_FALSE(rs->Eof());
  EXPECT_THROW(rs->field("nome"), RuntimeError);  // on the deleted row until a move
  EXPECT_EQ(rs->RecordCount(), 1);
  rs->MoveNext();
  EXPECT_EQ(rs->field("nome"), Value("Cabo"));
  rs->MoveLast();
  EXPECT_EQ(rs->RecordCount(), 4);
  EXPECT_EQ(rs->size(), 4);
  rs->MoveFirst();
  EXPECT_EQ(walk(*rs), (QStringList{"Alicate", "Cabo", "Fita", "Martelo"}));
  rs->FindFirst(QStringLiteral("codigo = 2"));
  EXPECT_TRUE(rs->NoMatch());

  // A walk that deletes every row it visits.
  auto all = open(QStringLiteral("produto"));
  while (!all->Eof()) {
    all->Delete();
    all->MoveNext();
  }
  EXPECT_EQ(file.query("select count(*) from produto"), "0");
  EXPECT_EQ(all->RecordCount(), 0);
}

TEST(RecordsetNames, FieldsNeedingQuotesAreReadAndWritten) {
  test::DbFile f(QStringLiteral(
      "CREATE TABLE \"ação\" (\"1min\" DOUBLE, \"histórico\" VARCHAR(20), \"order\" LONG,"
      " \"default\" DATETIME);"
      "INSERT INTO \"ação\" VALUES (1, 'a', 2, NULL);"));
  const char* fields[] = {"1min", "histórico", "order", "default"};
  const Value written[] = {Value("3,5"), Value("b"), Value(7), Value("01/02/2026")};
  for (const char* source : {"ação", "select * from ação order by histórico"}) {
    SCOPED_TRACE(source);
    f.exec("DELETE FROM \"ação\" WHERE rowid > 1; UPDATE \"ação\" SET \"histórico\" = 'a'");
    Recordset rs(Database::open(f.path()), QString::fromUtf8(source), QStringLiteral("Tacao"));
    ASSERT_TRUE(rs.updatable());
    EXPECT_EQ(rs.field(QString::fromUtf8("Histórico")), Value("a"));
    rs.Edit();
    for (int i = 0; i < 4; ++i) rs.Fields(QString::fromUtf8(fields[i])) = written[i];
    rs.Update();
    rs.AddNew();
    for (int i = 0; i < 4; ++i) rs.Fields(QString::fromUtf8(fields[i])) = written[i];
    rs.Update();
    EXPECT_EQ(f.query("select group_concat(\"1min\" || '/' || \"histórico\" || '/' || \"order\""
                      " || '/' || \"default\", ' ') from \"ação\""),
              "3.5/b/7/2026-02-01 00:00:00 3.5/b/7/2026-02-01 00:00:00");
    rs.FindFirst(QStringLiteral("[1min] = 3.5 and \"order\" = 7"));
    EXPECT_FALSE(rs.NoMatch());
  }
}

TEST_F(RecordsetTest, ChangesNeedEditOrAddNew) {
  auto rs = open(QStringLiteral("produto"));
  try {
    rs->Fields("nome") = Value("x");
    FAIL();
  } catch (const RuntimeError& e) {
    EXPECT_EQ(e.number(), 3020);
  }
  EXPECT_THROW(rs->Update(), RuntimeError);
  rs->Edit();
  rs->Fields("nome") = Value("Outro");
  rs->MoveNext();  // a move drops the edit, as the engine does
  EXPECT_EQ(file.query("select count(*) from produto where nome = 'Outro'"), "0");
  EXPECT_THROW(rs->setBookmark(99), RuntimeError);
}

TEST_F(RecordsetTest, GridAccessSeesEveryRowAndFollowsTheCurrentOne) {
  auto rs = open(QStringLiteral("select * from produto order by nome"));
  int changes = 0;
  rs->setCurrentChanged([&] { ++changes; });
  ASSERT_EQ(rs->size(), 5);
  EXPECT_EQ(rs->valueAt(4, "nome"), Value("Martelo"));
  EXPECT_EQ(rs->currentIndex(), 0);
  rs->setCurrentIndex(3);
  EXPECT_EQ(rs->field("nome"), Value("Fita"));
  EXPECT_EQ(rs->currentIndex(), 3);
  EXPECT_EQ(changes, 1);
  rs->Delete();
  EXPECT_EQ(rs->currentIndex(), -1);
  EXPECT_EQ(rs->valueAt(3, "nome"), Value("Martelo"));
  EXPECT_EQ(changes, 2);
}

}  // namespace
}  // namespace ark::db
