// The NEGOX job, steps 6 to 9 and the stamp: blocked customers, rating, debit, purchase
// interval; and a job that stops half-way.
#include <gtest/gtest.h>

#include "negox_fixture.h"
#include "platform/desktop/pointer.h"

namespace ark::maintenance::test {
namespace {

struct Cliente {
  QString codigo, nome, situacao = "ATIVO", conceito = "9", dtcad = "NULL", credito = "0",
                        ult = "NULL", prim = "NULL", dias = "77", prox = "NULL";
  QString sql() const {
    return QStringLiteral(
               "INSERT INTO cliente VALUES (%1, %2, '%3', %4, %5, 0, %6, 0, %7, %8, %9, %10);")
        .arg(codigo, nome, situacao, conceito, dtcad, credito, ult, prim, dias)
        .arg(prox);
  }
};

QString receber(const QString& codcli, const QString& numnota, const QString& hist, int days,
                const QString& valor) {
  return QStringLiteral("INSERT INTO contas_a_receber VALUES (%1, %2, %3, %4, %5, 0, 0, 0);")
      .arg(codcli, numnota, hist, day(days), valor);
}

QString recebida(int codcli, const QString& valor, int atraso) {
  return QStringLiteral("INSERT INTO contas_recebidas VALUES (%1, %2, %3);")
      .arg(codcli)
      .arg(valor)
      .arg(atraso);
}

const QString kConceitos =
    "INSERT INTO conceito VALUES (0, 100, 5, 100, 500, 10, 600, 1000, 10, 1000, 2000, 15,"
    " 2000, 5000, 20);";

TEST_F(NegoxJob, OverdueReceivablesBlockTheirCustomersWithOneEntryEach) {
  make(kParam + Cliente{"1", "'Ana'", "BLOQUEADO", "3"}.sql() +
       Cliente{"2", "'Bruno'", "ATIVO", "4"}.sql() + Cliente{"3", "'Carla'", "INATIVO", "2"}.sql() +
       Cliente{"4", "'Davi'", "INATIVO", "5"}.sql() + Cliente{"5", "'Eva'", "ATIVO", "5"}.sql() +
       Cliente{"6", "'Fábio'", "ATIVO", "4"}.sql() +
       receber("1", "101", "'Ana 101'", -30, "100") +  // within the tolerance
       receber("2", "5001", "'Bruno 5001'", -31, "150") +
       receber("4", "1234", "'Davi 1234'", -45, "150") + receber("5", "7", "'Eva 7'", -1200, "80") +
       receber("5", "8", "'Eva 8'", -40, "1234.5") +
       receber("6", "60", "'Fábio 60'", -60, "0") +  // nothing owed: no entry
       receber("99", "9", "NULL", -50, "10") +       // no such customer
       // Another due date of the same invoice is another entry.
       "INSERT INTO bloqueio_cliente VALUES (2, 'Bruno', '2026-01-01 00:00:00',"
       " '1899-12-30 08:00:00', 5001, " +
       day(-32) + ", 'antigo', 1);");
  runCompleted();
  EXPECT_EQ(col("SELECT codigo, situacao, conceito FROM cliente ORDER BY codigo"),
            QStringList({"1|ATIVO|3", "2|BLOQUEADO|0", "3|INATIVO|2", "4|BLOQUEADO|0",
                         "5|BLOQUEADO|0", "6|BLOQUEADO|0"}));
  const QString on = "|2026-12-10 00:00:00|1899-12-30 12:00:00|";
  EXPECT_EQ(
      col("SELECT codcliente, ifnull(nomecliente, 'NULL'), data_bloqueio, hora_bloqueio, "
          "numnota, data_vencimento, motivo, round(valor, 4) FROM bloqueio_cliente "
          "ORDER BY rowid"),
      QStringList({
          "2|Bruno|2026-01-01 00:00:00|1899-12-30 08:00:00|5001|" + stored(-32) + "|antigo|1.0",
          "5|Eva 7" + on + "7|" + stored(-1200) +
              "|Atraso de:1200 dia(s) referente a nota n.º: 7 de valor: R$ 80,00|80.0",
          "99|NULL" + on + "9|" + stored(-50) +
              "|Atraso de:050 dia(s) referente a nota n.º: 9 de valor: R$ 10,00|10.0",
          "4|Davi 1234" + on + "1234|" + stored(-45) +
              "|Atraso de:045 dia(s) referente a nota n.º: 1234 de valor: R$ 150,00|150.0",
          "5|Eva 8" + on + "8|" + stored(-40) +
              "|Atraso de:040 dia(s) referente a nota n.º: 8 de valor: R$ 1.234,50|1234.5",
          "2|Bruno 5001" + on + "5001|" + stored(-31) +
              "|Atraso de:031 dia(s) referente a nota n.º: 5001 de valor: R$ 150,00|150.0",
      }));
  EXPECT_EQ(records.mid(records.lastIndexOf("Eva 7")),
            QStringList({"Eva 7", "Fábio 60", "", "Davi 1234", "Eva 8", "Bruno 5001", "Ana",
                         "Bruno", "Carla", "Davi", "Eva", "Fábio"}));
}

TEST_F(NegoxJob, ASecondDayKeepsTheEntryAndRewritesItsReasonAndAmount) {
  make("INSERT INTO parametros VALUES (2, 1, 1, 30, NULL, NULL, NULL);" +
       Cliente{"1", "'Ana'"}.sql() + receber("1", "10", "'Ana 10'", -40, "100"));
  runCompleted();
  clock.set(QDateTime(kToday.addDays(1), QTime(9, 30)));
  runCompleted();
  EXPECT_EQ(col("SELECT data_bloqueio, hora_bloqueio, motivo, round(valor, 4) "
                "FROM bloqueio_cliente"),
            QStringList({"2026-12-10 00:00:00|1899-12-30 12:00:00|Atraso de:041 dia(s) "
                         "referente a nota n.º: 10 de valor: R$ 100,00|143.0"}));
  EXPECT_EQ(db->value("SELECT situacao || conceito FROM cliente"), "BLOQUEADO0");
}

TEST_F(NegoxJob, ActiveCustomersAreRatedByTheirMonthlyPaymentsAndDemotedByDelay) {
  const struct {
    QString nome;
    int dtcad;  // days from today; 1 stands for no date
    QStringList pagamentos;
    const char* conceito;
  } cases[] = {
      {"a lim", -300, {recebida(0, "1000", 0)}, "1"},  // 100: both levels, the lowest
      {"b dois", -300, {recebida(0, "2000", 5), recebida(0, "1000", 15)}, "2"},  // delay 10
      {"c rebaixa", -300, {recebida(0, "2000", 12), recebida(0, "1000", 0)}, "1"},
      {"d lacuna", -300, {recebida(0, "5500", 0)}, "9"},  // 550 between the levels
      {"e acima", -300, {recebida(0, "60000", 0)}, "9"},  // above 5max
      {"f quatro", -300, {recebida(0, "15000", 0)}, "4"},
      {"g hoje", 0, {recebida(0, "150", 0)}, "2"},     // no month yet: the plain sum
      {"h meio", -45, {recebida(0, "150", 0)}, "1"},   // 1,5 months: 100
      {"i zero", -300, {recebida(0, "500", 8)}, "0"},  // level 1 demoted, stays active
      {"j pontual", -300, {recebida(0, "300", 0), recebida(0, "200", -3)}, "1"},
      {"k sem", -300, {}, "9"},
      {"l sem data", 1, {recebida(0, "1000", 0)}, "9"},
      {"m nada", -300, {recebida(0, "0", 0)}, "9"},
      {"n liquido",
       -300,
       {recebida(0, "0.1", 0), recebida(0, "0.2", 0), recebida(0, "-0.3", 0)},
       "9"},  // nets to nothing
  };
  QString data = kParam + kConceitos;
  QStringList expected;
  int codigo = 0;
  for (const auto& c : cases) {
    ++codigo;
    Cliente k{QString::number(codigo), "'" + c.nome + "'"};
    k.dtcad = c.dtcad == 1 ? "NULL" : day(c.dtcad);
    data += k.sql();
    for (QString p : c.pagamentos) data += p.replace("VALUES (0,", "VALUES (" + k.codigo + ",");
    expected << c.nome + "|ATIVO|" + c.conceito;
  }
  data += Cliente{"50", "'n inativo'", "INATIVO", "9", day(-300)}.sql() + recebida(50, "1000", 0);
  make(data);
  runCompleted();
  expected << "n inativo|INATIVO|9";
  EXPECT_EQ(col("SELECT nome, situacao, conceito FROM cliente ORDER BY codigo"), expected);
  const int first = int(records.indexOf("a lim"));
  ASSERT_GE(first, 0);
  EXPECT_EQ(records.value(first + 12), "m nada");  // in order of name
  EXPECT_EQ(barAtStep.value("Etapa 08 de 09"), std::make_pair(14, 14));

  // A Null bound makes its level fail: 100 is then level 2.
  make(kParam + Cliente{"1", "'a'", "ATIVO", "9", day(-300)}.sql() + recebida(1, "1000", 0) +
       "INSERT INTO conceito VALUES (NULL, 100, 5, 100, 500, 10, 600, 1000, 10, 1000, 2000,"
       " 15, 2000, 5000, 20);");
  runCompleted();
  EXPECT_EQ(db->value("SELECT conceito FROM cliente"), "2");
}

TEST_F(NegoxJob, DebitBalanceAndDaysSinceTheLastPurchase) {
  const struct {
    const char* receivables;  // amounts, due in ten days
    const char* credito;
    const char *debito, *saldo;
  } cases[] = {
      {"100,200", "500", "300.0", "200.0"},
      {"300", "0", "300.0", "0.0"},
      {"", "500", "0.0", "0.0"},
      {"100", "NULL", "100.0", "0.0"},
      {"300", "200", "300.0", "-100.0"},
      // Amounts that net to nothing are no debit, whatever their sum's binary residue.
      {"0.1,0.2,-0.3", "500", "0.0", "0.0"},
  };
  QString data = kParam;
  QStringList expected;
  int codigo = 0;
  for (const auto& c : cases) {
    Cliente k{QString::number(++codigo), "'c'"};
    k.credito = c.credito;
    data += k.sql();
    for (const QString& v : QString(c.receivables).split(',', Qt::SkipEmptyParts))
      data += receber(k.codigo, QString::number(codigo * 10), "'r'", 10, v);
    expected << k.codigo + "|" + c.debito + "|" + c.saldo;
  }
  // Days since the last purchase stay where step 9 finds no purchase day.
  Cliente a{"60", "'dias'"};
  a.ult = day(-10);
  a.prim = day(-100);
  a.prox = day(5);
  Cliente b{"70", "'sem compra'"};
  b.prox = day(5);
  data += a.sql() + b.sql();
  make(data);
  runCompleted();
  expected << "60|0.0|0.0"
           << "70|0.0|0.0";
  EXPECT_EQ(col("SELECT codigo, round(debito, 4), round(saldo, 4) FROM cliente ORDER BY codigo"),
            expected);
  EXPECT_EQ(col("SELECT diassemcompra, dataproxcontato FROM cliente WHERE codigo >= 60"),
            QStringList({"10.0|" + stored(5), "77.0|" + stored(5)}));
}

TEST_F(NegoxJob, PurchaseIntervalIsTheSpanOverTheDistinctPurchaseDays) {
  const struct {
    int prim, ult;  // days from today; 1 stands for Null
    QList<int> saida, lancam, os;
    const char *dias, *prox;  // prox "" : unchanged
  } cases[] = {
      {-70, -10, {-70, -40, -10}, {}, {}, "20.0", "2026-12-20 00:00:00"},
      {-5, -5, {-5}, {}, {}, "0.0", "2026-12-05 00:00:00"},
      // Two sales of one day are one day; a sale and a closed order of a day are two.
      {-40, 0, {-20, -20, -15}, {-18, -18}, {-20}, "10.0", "2026-12-20 00:00:00"},
      {-100, -12, {}, {}, {}, "12.0", ""},  // no purchase day: step 8's days stay
      {1, -12, {-12}, {}, {}, "0.0", ""},   // no first purchase date
      {-10, -40, {-40, -30, -10}, {}, {}, "10.0", "2026-11-10 00:00:00"},  // first after last
      {-23, -13, {-23, -18, -13}, {}, {}, "3.33", "2026-11-30 07:55:12"},
      {-14, -13, {-1, -2, -3, -4, -5, -6, -7, -8}, {}, {}, "0.12", "2026-11-27 02:52:48"},
      {-14, 1, {-14}, {}, {}, "77.0", ""},  // no last purchase: not walked
  };
  QString data = kParam;
  QStringList expected;
  int codigo = 0;
  for (const auto& c : cases) {
    Cliente k{QString::number(++codigo), "'c'"};
    k.prim = c.prim == 1 ? "NULL" : day(c.prim);
    k.ult = c.ult == 1 ? "NULL" : day(c.ult);
    k.prox = "'2030-01-01 00:00:00'";
    data += k.sql();
    for (int d : c.saida)
      data += QStringLiteral("INSERT INTO saida VALUES (0, %1, %2);").arg(codigo).arg(day(d));
    for (int d : c.lancam)
      data +=
          QStringLiteral("INSERT INTO lancamento_servico VALUES (%1, %2);").arg(codigo).arg(day(d));
    for (int d : c.os)
      data += QStringLiteral("INSERT INTO fechamento_os VALUES (%1, %2);").arg(codigo).arg(day(d));
    expected << k.codigo + "|" + c.dias + "|" + (*c.prox ? c.prox : "2030-01-01 00:00:00");
  }
  make(data);
  runCompleted();
  EXPECT_EQ(col("SELECT codigo, diassemcompra, dataproxcontato FROM cliente ORDER BY codigo"),
            expected);
  EXPECT_EQ(barAtStep.isEmpty(), false);
}

TEST_F(NegoxJob, TheStampClearsTheUserAndTheWindowGoes) {
  make(kParam);
  clock.set(QDateTime(kToday, QTime(21, 59, 30)));
  runCompleted();
  EXPECT_EQ(col("SELECT data, hora, ifnull(usuario, 'NULL') FROM parametros"),
            QStringList({"2026-12-10 00:00:00|1899-12-30 21:59:30|NULL"}));
  EXPECT_EQ(MaintenanceRunner::loaded("frmatualizacao"), nullptr);
  EXPECT_EQ(desktop::mousePointer(), desktop::vbDefault);
}

TEST_F(NegoxJob, AFailureStopsAtItsStepKeepingEarlierWritesAndThePreviousStamp) {
  // Before any failure: a purged agenda row (step 1) and a receivable's days (step 5).
  const QString base = "INSERT INTO agenda_vendedor VALUES (1, " + day(-1) + ", NULL, NULL);" +
                       Cliente{"1", "'Ana'", "BLOQUEADO", "3"}.sql() +
                       receber("1", "10", "'Ana 10'", -40, "100");
  const struct {
    const char* name;
    QString schemaFrom, schemaTo, data;
    QStringList reason;  // parts of the report
  } cases[] = {
      {"tolerância nula",
       "",
       "",
       kParam.section("30,", 0, 0) + "NULL," + kParam.section("30,", 1),
       {"Etapa 06 de 09", "parametros.dias_tolerancia_bloqueio"}},
      {"tolerância não numérica",
       "dias_tolerancia_bloqueio LONG",
       "dias_tolerancia_bloqueio VARCHAR(20)",
       kParam.section("30,", 0, 0) + "'0 or 1=1'," + kParam.section("30,", 1),
       {"Etapa 06 de 09", "dias_tolerancia_bloqueio"}},
      {"codcli nulo",
       "",
       "",
       kParam + receber("NULL", "11", "'x'", -60, "5"),
       {"Etapa 06 de 09", "contas_a_receber.codcli"}},
      {"numnota nula",
       "",
       "",
       kParam + receber("1", "NULL", "'x'", -60, "5"),
       {"Etapa 06 de 09", "contas_a_receber.numnota"}},
      {"codcli não numérico",
       "codcli LONG, numnota",
       "codcli VARCHAR(20), numnota",
       kParam + Cliente{"2", "'Bia'"}.sql() + receber("'9 or codigo=2'", "11", "'x'", -60, "0"),
       {"Etapa 06 de 09", "contas_a_receber.codcli", "9 or codigo=2"}},
      {"conceito vazio",
       "",
       "",
       kParam + Cliente{"3", "'Caio'", "ATIVO", "9", day(-300)}.sql() + recebida(3, "100", 0),
       {"Etapa 07 de 09", "conceito"}},
      {"última compra ilegível",
       "",
       "",
       kParam + Cliente{"5", "'Eli'", "INATIVO", "9", "NULL", "0", "'ontem'", day(-30)}.sql(),
       {"Etapa 09 de 09", "cliente.dtultcompra"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    QString schema = QString::fromUtf8(kNegoxSchema);
    if (!c.schemaFrom.isEmpty()) schema.replace(c.schemaFrom, c.schemaTo);
    make(base + c.data, schema);
    const JobOutcome out = run();
    EXPECT_FALSE(out.completed);
    for (const QString& part : c.reason)
      EXPECT_TRUE(out.reason.contains(part)) << out.reason.toStdString();
    EXPECT_EQ(db->value("SELECT count(*) FROM agenda_vendedor"), "0");
    EXPECT_EQ(db->value("SELECT diasatraso FROM contas_a_receber WHERE numnota = 10"), "40");
    EXPECT_EQ(col("SELECT data, usuario FROM parametros"),
              QStringList({"2026-12-01 00:00:00|fulano"}));
    // No value joined into a statement blocked anyone it should not.
    EXPECT_EQ(
        db->value("SELECT count(*) FROM cliente WHERE situacao = 'BLOQUEADO' AND codigo <> 1"),
        "0");
    EXPECT_EQ(MaintenanceRunner::loaded("frmatualizacao"), nullptr);
  }
}

// Without the parametros row the overdue walk has nothing to correct by: the job stops
// before it, and the last run's corrections, which the customers' debits come from, stay.
TEST_F(NegoxJob, WithoutTheParametersRowNoReceivableChanges) {
  make("INSERT INTO agenda_vendedor VALUES (1, " + day(-1) + ", NULL, NULL);" +
       Cliente{"1", "'Ana'", "BLOQUEADO", "3"}.sql() +
       "INSERT INTO contas_a_receber VALUES (1, 10, 'Ana 10', " + day(-10) +
       ", 1000, 9, 23.3, 1023.3);"
       "INSERT INTO contas_a_receber VALUES (1, 11, NULL, " +
       day(5) + ", 50, -6, 0, 50);");
  const QStringList before =
      col("SELECT numnota, diasatraso, vrcorrecao, vrcorrigido FROM contas_a_receber");
  const JobOutcome out = run();
  EXPECT_FALSE(out.completed);
  EXPECT_TRUE(out.reason.startsWith("Etapa 05 de 09: ")) << out.reason.toStdString();
  EXPECT_TRUE(out.reason.contains("parametros")) << out.reason.toStdString();
  EXPECT_EQ(col("SELECT numnota, diasatraso, vrcorrecao, vrcorrigido FROM contas_a_receber"),
            before);
  EXPECT_EQ(col("SELECT situacao, conceito, debito FROM cliente"), QStringList{"BLOQUEADO|3|0"});
  EXPECT_EQ(db->value("SELECT count(*) FROM agenda_vendedor"), "0");  // step 1 needs none
  EXPECT_EQ(steps.last(), "Etapa 05 de 09");
  EXPECT_EQ(MaintenanceRunner::loaded("frmatualizacao"), nullptr);
}

// A customer without a name is rated, charged and dated like any other; the record label
// shows "" for it, and the next customer's name after it.
TEST_F(NegoxJob, CustomersWithoutANameGoThroughStepsSevenToNine) {
  make(kParam + kConceitos +
       Cliente{"1", "NULL", "ATIVO", "9", day(-300), "500", day(-5), day(-65)}.sql() +
       Cliente{"2", "'Bia'", "ATIVO", "9", day(-300)}.sql() +
       Cliente{"3", "NULL", "INATIVO", "4", "NULL", "0", day(-2), "NULL"}.sql() +
       recebida(1, "300", 0) + recebida(2, "300", 0) + receber("1", "10", "'Nota 10'", 5, "120") +
       "INSERT INTO saida VALUES (1, 1, " + day(-65) + ");" + "INSERT INTO saida VALUES (2, 1, " +
       day(-35) + ");" + "INSERT INTO saida VALUES (3, 1, " + day(-5) + ");");
  const JobOutcome out = run();
  ASSERT_TRUE(out.completed) << out.reason.toStdString();
  // Rated on 300 over 10 months: level 1; debit and balance; interval of 60 days over 3 sales.
  EXPECT_EQ(col("SELECT codigo, situacao, conceito, debito, saldo, diassemcompra, "
                "ifnull(dataproxcontato, 'NULL') FROM cliente ORDER BY codigo"),
            QStringList({"1|ATIVO|1|120|380|20.0|" + stored(15), "2|ATIVO|1|0|0|77.0|NULL",
                         "3|INATIVO|4|0|0|0.0|NULL"}));
  EXPECT_TRUE(records.contains(QString())) << records.join(" | ").toStdString();
  EXPECT_TRUE(records.contains("Bia"));
  EXPECT_EQ(db->value("SELECT data FROM parametros"), stored(0));
}

}  // namespace
}  // namespace ark::maintenance::test
