// Conditions, criteria and sorts on data as other programs store it: dates in any form the
// views read, texts in any letter case and with accents.
#include <gtest/gtest.h>
#include <QRandomGenerator>
#include <sqlite3.h>

#include <cstdio>

#include "db_fixture.h"
#include "platform/core/runtime.h"
#include "platform/database/database.h"
#include "platform/database/internal.h"

namespace ark::db {
namespace {

// Every stored form of the days around 10/12/2026, and cells that hold no date.
const char* const kAgenda =
    "CREATE TABLE agenda (id LONG, nome VARCHAR(20), data DATETIME);"
    "INSERT INTO agenda (id, data) VALUES"
    " (1, '2026-12-09 00:00:00'), (2, '09/12/2026'), (3, '2026-12-09'), (4, 46365),"
    " (5, '2026-12-10 00:00:00'), (6, '10/12/2026'), (7, '2026-12-10'), (8, 46366),"
    " (9, '20/12/2026'), (10, 46376), (11, '2026-12-20'), (15, '2026-12-10 14:30:00'),"
    " (12, NULL), (13, '__/__/____'), (14, '');";

QString ids(Recordset& rs) {
  QStringList out;
  for (; !rs.Eof(); rs.MoveNext()) out << rt::Text(rs.field(QStringLiteral("id")));
  return out.join(QLatin1Char(','));
}

struct Case {
  const char* criteria;
  const char* matching;  // ids in id order
};

// Each criteria as a record source's condition, as FindFirst criteria on an updatable and
// on a read-only set, and as the condition of a purge.
void checkCases(const char* schema, const Case* begin, const Case* end) {
  for (const Case* c = begin; c != end; ++c) {
    SCOPED_TRACE(c->criteria);
    const QString criteria = QString::fromUtf8(c->criteria);
    const QString matching = QString::fromUtf8(c->matching);
    const QString first = matching.section(QLatin1Char(','), 0, 0);
    test::DbFile f(QString::fromUtf8(schema));
    const QString table = f.query("select name from sqlite_master where type = 'table'");
    auto db = Database::open(f.path());
    {
      Recordset rs(db,
                   QStringLiteral("select id from %1 where %2 order by id").arg(table, criteria),
                   QStringLiteral("t"));
      EXPECT_EQ(ids(rs), matching);
    }
    for (const char* source :
         {"select * from %1 order by id", "select distinct * from %1 order by id"}) {
      Recordset rs(db, QString::fromUtf8(source).arg(table), QStringLiteral("t"));
      rs.FindFirst(criteria);
      EXPECT_EQ(rs.NoMatch(), first.isEmpty()) << source;
      if (!rs.NoMatch()) EXPECT_EQ(rt::Text(rs.field(QStringLiteral("id"))), first) << source;
    }
    const int before = f.query(QStringLiteral("select count(*) from %1").arg(table)).toInt();
    db->Execute(QStringLiteral("Delete * from %1 where %2").arg(table, criteria));
    const QString left =
        f.query(QStringLiteral("select count(*) || '/' || count(id in (%2)) "
                               "filter (where id in (%2)) from %1")
                    .arg(table, matching.isEmpty() ? QStringLiteral("0") : matching));
    const int deleted = matching.isEmpty() ? 0 : int(matching.count(QLatin1Char(','))) + 1;
    EXPECT_EQ(left, QStringLiteral("%1/0").arg(before - deleted));
  }
}

TEST(DateComparisons, ReadEveryStoredFormAsItsDateAndNoDateMatchesNothing) {
  const Case cases[] = {
      {"data < #12/10/2026#", "1,2,3,4"},
      {"#12/10/2026# > data", "1,2,3,4"},
      {"data <= #12/10/2026#", "1,2,3,4,5,6,7,8"},
      {"data = #12/10/2026#", "5,6,7,8"},
      {"data <> #12/10/2026#", "1,2,3,4,9,10,11,15"},
      {"data > #12/10/2026#", "9,10,11,15"},
      {"data >= #12/10/2026#", "5,6,7,8,9,10,11,15"},
      {"data Between #12/10/2026# And #12/20/2026#", "5,6,7,8,9,10,11,15"},
      {"data not between #12/10/2026# and #12/20/2026#", "1,2,3,4"},
      {"data In (#12/9/2026#, #12/20/2026#)", "1,2,3,4,9,10,11"},
      {"nome is null and data < #12/10/2026#", "1,2,3,4"},
      // A day-first text is a date too; a text that is none is looked for as it is.
      {"data < '15/12/2026'", "1,2,3,4,5,6,7,8,15"},
      {"data = '__/__/____'", "13"},
      {"data is null", "12"},
      {"data < #1/1/2000#", ""},
  };
  checkCases(kAgenda, std::begin(cases), std::end(cases));
}

TEST(DateComparisons, OrderByDateSortsByValueWithNoDateFirst) {
  test::DbFile f(QStringLiteral(
      "CREATE TABLE agenda (id LONG, codmedico LONG, data DATETIME, hora DATETIME);"
      "INSERT INTO agenda VALUES (1, 1, '20/12/2026', '08:00:00'), (2, 1, 46370, NULL),"
      " (3, 1, '2026-12-01', '1899-12-30 09:00:00'), (4, 1, NULL, NULL),"
      " (5, 1, '2026-12-05 08:00:00', NULL), (6, 1, '__/__/____', NULL),"
      " (7, 1, '03/12/2026 10:00:00', NULL), (8, 2, '2026-12-01', '10:30'),"
      " (9, 2, '01/12/2026', '1899-12-30 08:15:00'), (10, 2, '2026-12-01 00:00:00', '');"));
  auto db = Database::open(f.path());
  const struct {
    const char* source;
    const char* order;
  } sorts[] = {
      {"select * from agenda where codmedico = 1 order by data, id", "4,6,3,7,5,2,1"},
      {"select * from agenda where codmedico = 1 order by data desc, id", "1,2,5,7,3,4,6"},
      {"select id from agenda order by codmedico,data,hora", "4,6,3,7,5,2,1,10,9,8"},
      {"select distinct id, data from agenda where codmedico = 2 order by data, hora", "10,9,8"},
  };
  for (const auto& s : sorts) {
    Recordset rs(db, QString::fromUtf8(s.source), QStringLiteral("Tagenda"));
    EXPECT_EQ(ids(rs), QString::fromUtf8(s.order)) << s.source;
  }
}

// The form the database writes is read without the calendar classes: it must give the
// calendar's day and time for every day of the range, and no date for what is out of it.
TEST(DateComparisons, TheCanonicalFormIsTheCalendarsDayAndTime) {
  int n = 0;
  for (QDate d(100, 1, 1); d.year() < 10000; d = d.addDays(1), ++n) {
    const QTime t(n % 24, n * 7 % 60, n * 13 % 60);
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", d.year(), d.month(),
                  d.day(), t.hour(), t.minute(), t.second());
    const auto serial = detail::canonicalSerial(reinterpret_cast<const unsigned char*>(text));
    ASSERT_TRUE(serial) << text;
    ASSERT_EQ(*serial, toSerial(d, t)) << text;
  }
  for (const char* text : {"1900-02-29 00:00:00", "2023-02-29 00:00:00", "2024-02-30 00:00:00",
                           "2024-04-31 00:00:00", "2024-13-01 00:00:00", "2024-00-10 00:00:00",
                           "2024-01-00 00:00:00", "0099-12-31 23:59:59", "2024-01-01 24:00:00",
                           "2024-01-01 23:60:00", "2024-01-01 23:59:60", "2024-01-01T00:00:00",
                           "2024-01-1  00:00:00"})
    EXPECT_FALSE(detail::canonicalSerial(reinterpret_cast<const unsigned char*>(text))) << text;

  // As a view reads and sorts them: the ends of the range and leap days are dates, a day
  // the calendar lacks is no date.
  test::DbFile f(QStringLiteral(
      "CREATE TABLE agenda (id LONG, data DATETIME);"
      "INSERT INTO agenda VALUES (1, '9999-12-31 23:59:59'), (2, '2000-02-29 12:00:00'),"
      " (3, '0100-01-01 00:00:00'), (4, '1900-02-29 00:00:00'), (5, '1900-02-28 23:59:59'),"
      " (6, '1899-12-30 00:00:00'), (7, '1899-12-29 18:00:00');"));
  auto db = Database::open(f.path());
  Recordset rs(db, QStringLiteral("select * from agenda order by data"), QStringLiteral("T"));
  EXPECT_EQ(ids(rs), QStringLiteral("4,3,7,6,5,2,1"));
  const struct {
    int id;
    Value value;
  } reads[] = {
      {1, Value::date(QDate(9999, 12, 31), QTime(23, 59, 59))},
      {2, Value::date(QDate(2000, 2, 29), QTime(12, 0))},
      {3, Value::date(QDate(100, 1, 1))},
      {4, Value(QStringLiteral("1900-02-29 00:00:00"))},
      {6, Value::dateSerial(0)},
      {7, Value::dateSerial(-0.25)},
  };
  for (const auto& r : reads) {
    rs.FindFirst(QStringLiteral("id = %1").arg(r.id));
    const Value v = rs.field(QStringLiteral("data"));
    EXPECT_EQ(v.kind(), r.value.kind()) << r.id;
    EXPECT_TRUE(rt::Eq(v, r.value)) << r.id << " " << qPrintable(rt::Text(v));
  }
}

// Names in every letter case and with accents.
const char* const kCliente =
    "CREATE TABLE cliente (id LONG, nome VARCHAR(20), situacao VARCHAR(10));"
    "INSERT INTO cliente VALUES (1, 'Zeca', 'ATIVO'), (2, 'ágata', 'Ativo'),"
    " (3, 'Bruno', 'ativo'), (4, 'Élcio', 'Bloqueado'), (5, 'edson', 'BLOQUEADO'),"
    " (6, NULL, 'Inativo'), (7, 'AÇÃO', NULL), (8, 'ação', 'ação'), (9, '123', '');";

TEST(TextComparisons, IgnoreLetterCaseAndAccents) {
  const Case cases[] = {
      {"situacao = 'Ativo'", "1,2,3"},
      {"situacao <> 'ATIVO'", "4,5,6,8,9"},
      {"situacao in ('bloqueado', 'AÇAO')", "4,5,8"},
      {"situacao not in ('bloqueado', 'ativo', '')", "6,8"},
      {"nome = 'acao'", "7,8"},
      {"'ÁGATA' = nome", "2"},
      {"nome > 'b' and nome < 'f'", "3,4,5"},
      {"nome between 'A' and 'AZ'", "2,7,8"},
      {"situacao like 'ati*'", "1,2,3"},
      {"situacao Like '%ATIVO'", "1,2,3,6"},
      {"nome like 'a?ao'", "7,8"},
      {"nome like '_LCIO'", "4"},
      // Texts without letters are compared as they are.
      {"nome = '123'", "9"},
      {"situacao = ''", "9"},
      {"id = 3", "3"},
  };
  checkCases(kCliente, std::begin(cases), std::end(cases));
}

TEST(TextComparisons, OrderByTextIsDictionaryOrder) {
  test::DbFile f(QString::fromUtf8(kCliente));
  Recordset rs(Database::open(f.path()), QStringLiteral("select * from cliente order by nome, id"),
               QStringLiteral("Tcliente"));
  QStringList names;
  for (; !rs.Eof(); rs.MoveNext()) names << rt::Text(rs.field(QStringLiteral("nome")));
  EXPECT_EQ(names,
            QStringList({"", "123", "AÇÃO", "ação", "ágata", "Bruno", "edson", "Élcio", "Zeca"}));
}

// The order of two texts as their characters read, each folded to its base letter in
// lower case, with accents and NUL passed over; a byte that starts no character stands
// for itself beyond Unicode. Slow and plain: what the collation must agree with.
std::vector<char32_t> referenceFold(const QByteArray& s) {
  std::vector<char32_t> out;
  for (int i = 0; i < s.size();) {
    const unsigned char b = static_cast<unsigned char>(s[i]);
    const int more = b < 0x80 ? 0 : b >= 0xF0 ? 3 : b >= 0xE0 ? 2 : b >= 0xC0 ? 1 : -1;
    bool whole = more >= 0 && i + 1 + more <= s.size();
    char32_t c = more > 0 ? b & (0x3F >> more) : b;
    for (int k = 1; whole && k <= more; ++k) {
      const unsigned char next = static_cast<unsigned char>(s[i + k]);
      whole = (next & 0xC0) == 0x80;
      c = (c << 6) | (next & 0x3F);
    }
    if (!whole) {
      out.push_back(0x110000 + b);
      ++i;
      continue;
    }
    i += more + 1;
    if (QChar::category(c) == QChar::Mark_NonSpacing) continue;
    while (QChar::decompositionTag(c) == QChar::Canonical) {
      const QString d = QChar::decomposition(c);
      c = d.at(0).isHighSurrogate() ? QChar::surrogateToUcs4(d.at(0), d.at(1)) : d.at(0).unicode();
    }
    c = QChar::toCaseFolded(c);
    if (c) out.push_back(c);
  }
  return out;
}

TEST(TextComparisons, TheCollationAgreesWithCharacterByCharacterFolding) {
  // Pieces that sorts meet: shared beginnings, case, accents precomposed and combining,
  // NUL, a character cut short and stray bytes.
  const QByteArray pieces[] = {"Paciente ", "paciente ", "A", "a", "z", "Z", "1", "9", " ",
                               "\xc3\xa1", "\xc3\x81", "\xc3\xa7", "e\xcc\x81", "\xcc\x81",
                               QByteArray(1, '\0'), "\xc3", "\x80", "\xe2\x82\xac", "~"};
  const int kinds = int(std::size(pieces));
  QRandomGenerator rng(20261210);
  auto text = [&] {
    QByteArray t;
    for (int n = int(rng.bounded(5)); n > 0; --n) t += pieces[rng.bounded(kinds)];
    return t;
  };
  auto sign = [](int v) { return v < 0 ? -1 : v > 0 ? 1 : 0; };
  for (int i = 0; i < 20000; ++i) {
    QByteArray a = text(), b = text();
    if (rng.bounded(2)) b.prepend(a.left(int(rng.bounded(a.size() + 1))));
    const auto fa = referenceFold(a), fb = referenceFold(b);
    const int expected = fa < fb ? -1 : fb < fa ? 1 : 0;
    ASSERT_EQ(sign(detail::compareTexts(a.constData(), int(a.size()), b.constData(),
                                        int(b.size()))),
              expected)
        << a.toHex(' ').constData() << " / " << b.toHex(' ').constData();
  }
}

// A day stored in two forms, or a text in two letter cases, is one row of a DISTINCT.
TEST(Distinct, RowsAreTheSameWhenTheirValuesAre) {
  test::DbFile f(QStringLiteral(
      "CREATE TABLE saida (codcli LONG, dtemissao DATETIME, situacao VARCHAR(10));"
      "INSERT INTO saida VALUES (5, '2026-12-20 00:00:00', 'ATIVO'), (5, '20/12/2026', 'Ativo'),"
      " (5, 46376, 'ativo'), (5, '2026-12-21', 'BLOQUEADO'), (5, NULL, 'Bloqueado'),"
      " (5, '__/__/____', 'INATIVO'), (6, '20/12/2026', 'ATIVO');"));
  auto db = Database::open(f.path());
  const struct {
    const char* source;
    int rows;
  } cases[] = {
      {"Select distinct dtemissao,codcli from saida where codcli = 5 order by dtemissao", 3},
      {"select distinct situacao from saida", 3},
      {"select distinct codcli, situacao from saida order by codcli", 4},
      {"select distinct codcli from saida;", 2},
  };
  for (const auto& c : cases) {
    Recordset rs(db, QString::fromUtf8(c.source), QStringLiteral("Tsaida"));
    EXPECT_EQ(rs.size(), c.rows) << c.source;
  }
  // The rows keep their kinds: a day reads as a date.
  Recordset rs(db,
               QStringLiteral("Select distinct dtemissao,codcli from saida where codcli = 5 "
                              "order by dtemissao"),
               QStringLiteral("Tsaida"));
  rs.MoveNext();
  EXPECT_EQ(rs.field(QStringLiteral("dtemissao")), Value::date(QDate(2026, 12, 20)));
}

// The look-ups a job makes for each row keep the business database's indexes.
TEST(IndexedLookups, CodesNumbersAndDigitTextsKeepTheirIndexes) {
  test::DbFile f(QStringLiteral(
      "CREATE TABLE paciente (cpf VARCHAR(14), nome VARCHAR(60), idade VARCHAR(50));"
      "CREATE INDEX paciente_cpf ON paciente (cpf);"
      "CREATE TABLE cliente (codigo LONG, nome VARCHAR(60), situacao VARCHAR(10));"
      "CREATE INDEX cliente_codigo ON cliente (codigo);"
      "CREATE TABLE bloqueio_cliente (codcliente LONG, numnota LONG, data_vencimento DATETIME);"
      "CREATE INDEX bloqueio_cliente_nota ON bloqueio_cliente (codcliente, numnota);"
      "CREATE TABLE estoque (codigomer VARCHAR(20), quantidade DOUBLE);"
      "CREATE INDEX estoque_codigomer ON estoque (codigomer);"));
  auto db = Database::open(f.path());
  const char* const lookups[] = {
      "select idade from paciente where cpf = '123.456.789-00'",
      "select * from paciente where cpf = ''",
      "SELECT rowid FROM cliente WHERE (codigo=12)",
      "SELECT rowid FROM bloqueio_cliente WHERE (codcliente=12 And numnota = 5 And "
      "data_vencimento = #10/31/2026#)",
      "select sum(quantidade) from estoque where codigomer = '7891234'",
  };
  for (const char* sql : lookups) {
    const QByteArray plan = "EXPLAIN QUERY PLAN " + db->translate(QString::fromUtf8(sql)).toUtf8();
    sqlite3_stmt* st = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(db->handle(), plan.constData(), -1, &st, nullptr), SQLITE_OK)
        << sql << ": " << sqlite3_errmsg(db->handle());
    QString detail;
    while (sqlite3_step(st) == SQLITE_ROW)
      detail += QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 3)));
    sqlite3_finalize(st);
    EXPECT_TRUE(detail.contains(QStringLiteral("USING INDEX")) ||
                detail.contains(QStringLiteral("USING COVERING INDEX")))
        << sql << ": " << detail.toStdString();
  }
}

}  // namespace
}  // namespace ark::db
