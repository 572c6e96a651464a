// The NEGOX job on data another program stored: dates in every form the views read, states
// in another letter case.
#include <gtest/gtest.h>

#include "negox_fixture.h"

namespace ark::maintenance::test {
namespace {

TEST_F(NegoxJob, PastFreeAgendaRowsArePurgedWhateverFormTheirDateHas) {
  // codvendedor: form * 10 + 1 for yesterday, + 2 for today, + 3 for tomorrow.
  QString data = kParam;
  QStringList kept;
  for (int f = 0; f < 4; ++f)
    for (int d = -1; d <= 1; ++d) {
      const int code = f * 10 + d + 2;
      data += QStringLiteral("INSERT INTO agenda_vendedor VALUES (%1, %2, NULL, NULL);")
                  .arg(code)
                  .arg(storedForms(kToday.addDays(d))[f]);
      if (d >= 0) kept << QString::number(code);
    }
  data +=
      "INSERT INTO agenda_vendedor VALUES (90, '__/__/____', NULL, NULL);"
      "INSERT INTO agenda_vendedor VALUES (91, '', NULL, NULL);";
  kept << "90"
       << "91";
  make(data);
  runCompleted();
  EXPECT_EQ(col("SELECT codvendedor FROM agenda_vendedor ORDER BY codvendedor"), kept);
}

TEST_F(NegoxJob, ActiveAssetsInAnyLetterCaseAreDepreciated) {
  const struct {
    const char* situacao;
    const char* expected;
  } cases[] = {{"Ativo", "8000.0"},
               {"ATIVO", "8000.0"},
               {"ativo", "8000.0"},
               {"Inativo", "55.0"},
               {"ATIVA", "55.0"}};
  for (int f = 0; f < 4; ++f) {
    SCOPED_TRACE(f);
    QString data = kParam;
    QStringList expected;
    int id = 0;
    for (const auto& c : cases) {
      data += QStringLiteral("INSERT INTO patrimonio VALUES (%1, 'bem', '%2', %3, 10000, 10, 55);")
                  .arg(++id)
                  .arg(c.situacao, storedForms(kToday.addDays(-800))[f]);
      expected << QString::number(id) + "|" + c.expected;
    }
    make(data);
    runCompleted();
    EXPECT_EQ(col("SELECT identificacao, round(vrdepreciado, 4) FROM patrimonio "
                  "ORDER BY identificacao"),
              expected);
  }
}

// The entry a blocked invoice already has is found whatever form its due date was stored
// in, so it is rewritten and no second one is added.
TEST_F(NegoxJob, AnInvoiceKeepsItsOneBlockingEntryWhateverFormItsDueDateHas) {
  for (int f = 0; f < 4; ++f) {
    SCOPED_TRACE(f);
    const QString due = storedForms(kToday.addDays(-40))[f];
    make(kParam +
         "INSERT INTO cliente (codigo, nome, situacao, conceito) VALUES"
         " (1, 'Ana', 'Bloqueado', 3), (2, 'Bia', 'bloqueado', 3), (3, 'Caio', 'Ativo', 3);"
         "INSERT INTO contas_a_receber VALUES (1, 10, 'Ana 10', " +
         due +
         ", 100, 0, 0, 0);"
         "INSERT INTO bloqueio_cliente VALUES (1, 'Ana', '2026-11-01 00:00:00',"
         " '1899-12-30 08:00:00', 10, " +
         due + ", 'antigo', 1);");
    runCompleted();
    EXPECT_EQ(col("SELECT codcliente, numnota, data_bloqueio, motivo, round(valor, 4) "
                  "FROM bloqueio_cliente"),
              QStringList({"1|10|2026-11-01 00:00:00|Atraso de:040 dia(s) referente a nota "
                           "n.º: 10 de valor: R$ 100,00|100.0"}));
    // Blocked customers without an overdue invoice are active again, in any letter case.
    EXPECT_EQ(col("SELECT codigo, situacao, conceito FROM cliente ORDER BY codigo"),
              QStringList({"1|BLOQUEADO|0", "2|ATIVO|3", "3|Ativo|3"}));
  }
}

TEST_F(NegoxJob, ActiveCustomersInAnyLetterCaseAreRatedInDictionaryOrder) {
  QString data = kParam +
                 "INSERT INTO conceito VALUES (0, 100, 5, 100, 500, 10, 600, 1000, 10,"
                 " 1000, 2000, 15, 2000, 5000, 20);";
  const char* const clientes[] = {"'zeca', 'Ativo'", "'Bruno', 'ativo'", "'ágata', 'ATIVO'",
                                  "'Élcio', 'ATIVO'", "'Dora', 'Inativo'"};
  int codigo = 0;
  for (const char* c : clientes) {
    ++codigo;
    data += QStringLiteral(
                "INSERT INTO cliente (codigo, nome, situacao, conceito, dtcad) "
                "VALUES (%1, %2, 9, %3);"
                "INSERT INTO contas_recebidas VALUES (%1, 1000, 0);")
                .arg(codigo)
                .arg(QString::fromUtf8(c), storedForms(kToday.addDays(-300))[codigo % 4]);
  }
  make(data);
  runCompleted();
  EXPECT_EQ(col("SELECT nome, conceito FROM cliente ORDER BY codigo"),
            QStringList({"zeca|1", "Bruno|1", "ágata|1", "Élcio|1", "Dora|9"}));
  const int first = int(records.indexOf("ágata"));
  ASSERT_GE(first, 0);
  EXPECT_EQ(records.mid(first, 4), QStringList({"ágata", "Bruno", "Élcio", "zeca"}));
}

// A purchase day stored in two forms is one day of the interval.
TEST_F(NegoxJob, PurchaseDaysCountOnceWhateverFormTheyHave) {
  QString data = kParam +
                 "INSERT INTO cliente (codigo, nome, situacao, conceito, dtultcompra,"
                 " dataprimeiracompra) VALUES (1, 'Ana', 'ATIVO', 9, " +
                 day(-10) + ", " + day(-100) + ");";
  for (int f = 0; f < 4; ++f)
    data += QStringLiteral(
                "INSERT INTO saida VALUES (%1, 1, %2);"
                "INSERT INTO lancamento_servico VALUES (1, %3);"
                "INSERT INTO fechamento_os VALUES (1, %4);")
                .arg(f)
                .arg(storedForms(kToday.addDays(-100))[f], storedForms(kToday.addDays(-50))[f],
                     storedForms(kToday.addDays(-10))[f]);
  make(data);
  runCompleted();
  // 90 days over three purchase days.
  EXPECT_EQ(col("SELECT diassemcompra, dataproxcontato FROM cliente"),
            QStringList({"30.0|" + stored(20)}));
}

}  // namespace
}  // namespace ark::maintenance::test
