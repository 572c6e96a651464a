// The NEGOX job, steps 1 to 5: agenda purge, depreciation, dependants' ages, product
// costs and overdue receivables, each checked in the database the job wrote.
#include <gtest/gtest.h>

#include "negox_fixture.h"

namespace ark::maintenance::test {
namespace {

TEST_F(NegoxJob, StepTextsRunInOrderAndPastNamelessAgendaRowsArePurged) {
  make(kParam + "INSERT INTO agenda_vendedor VALUES (1, " + day(-1) +
       ", NULL, NULL);"  // purged
       "INSERT INTO agenda_vendedor VALUES (2, " +
       day(0) +
       ", NULL, NULL);"  // today
       "INSERT INTO agenda_vendedor VALUES (3, " +
       day(-1) +
       ", NULL, '');"                                               // empty text
       "INSERT INTO agenda_vendedor VALUES (4, NULL, NULL, NULL);"  // no date
       "INSERT INTO agenda_vendedor VALUES (5, " +
       day(-90) +
       ", NULL, 'Ana');"
       "INSERT INTO agenda_vendedor VALUES (6, " +
       day(-400) + ", NULL, NULL);");  // purged
  runCompleted();
  EXPECT_EQ(col("SELECT codvendedor FROM agenda_vendedor ORDER BY codvendedor"),
            QStringList({"2", "3", "4", "5"}));
  QStringList expected;
  for (int i = 1; i <= 9; ++i)
    expected << QStringLiteral("Etapa %1 de 09").arg(i, 2, 10, QLatin1Char('0'));
  EXPECT_EQ(steps, expected);
  // lblstatus is empty at design, when the first step label is pumped.
  EXPECT_EQ(statuses.mid(0, 2), QStringList({"", "Aguarde... Atualizando Agenda Vendedor"}));
  // Without products step 4 sets no status: step 3's text stays until step 5.
  EXPECT_EQ(statuses.mid(2, 3),
            QStringList({"Aguarde... Atualizando Patrimônios",
                         "Aguarde... Atualizando idade de Dependentes de CLientes",
                         "Aguarde... Atualizando Clientes em Atraso."}));
  EXPECT_EQ(statuses.mid(5), QStringList({"Aguarde... Atualizando Clientes Bloqueados",
                                          "Aguarde... Definindo Conceito de Clientes.",
                                          "Aguarde... Atualizando Débito de Clientes",
                                          "Aguarde... Atualizando Dias de Compra"}));
  EXPECT_EQ(records, QStringList({"Aguarde..."}));
}

TEST_F(NegoxJob, ActiveAssetsAreDepreciatedByWholeYearsUnderTheDecimalComma) {
  const struct {
    const char* situacao;
    QString acquired;  // SQL value
    const char *valor, *depreciacao, *expected;
  } cases[] = {
      {"Ativo", day(-365), "10000", "10", "10000.0"},  // a year or less: the value itself
      {"Ativo", day(-366), "10000", "10", "9000.0"},   // 366 days: one year
      {"Ativo", day(-729), "10000", "10", "9000.0"},   // the fraction is lost
      {"Ativo", day(-730), "10000", "10", "8000.0"},
      {"Ativo", day(-800), "10000", "10", "8000.0"},
      {"Ativo", day(-800), "10000", "-10", "8000.0"},       // the sign of the rate is ignored
      {"Ativo", day(-365 * 11), "10000", "10", "-1000.0"},  // no floor
      {"Ativo", day(-800), "1234.56", "7.5", "1049.376"},
      {"Ativo", day(30), "10000", "10", "10000.0"},  // acquired in the future
      {"Ativo", day(-800), "NULL", "10", "NULL"},
      {"Ativo", day(-800), "10000", "NULL", "NULL"},
      {"Ativo", day(-100), "NULL", "10", "NULL"},
      {"Ativo", "NULL", "10000", "10", "55.0"},  // no date: left as it was
      {"Ativo", "'sem data'", "10000", "10", "55.0"},
      {"Baixado", day(-800), "10000", "10", "55.0"},  // not active: untouched
  };
  QString data = kParam;
  QStringList expected;
  int id = 0;
  for (const auto& c : cases) {
    data += QStringLiteral("INSERT INTO patrimonio VALUES (%1, 'bem', '%2', %3, %4, %5, 55);")
                .arg(++id)
                .arg(c.situacao, c.acquired, c.valor, c.depreciacao);
    expected << QString::number(id) + "|" + c.expected;
  }
  make(data);
  runCompleted();
  EXPECT_EQ(col("SELECT identificacao, ifnull(round(vrdepreciado, 4), 'NULL') FROM patrimonio "
                "ORDER BY identificacao"),
            expected);
  // Sized to the active assets, full with the last one; step 3 leaves the bar alone.
  EXPECT_EQ(barAtStep.value("Etapa 03 de 09"), std::make_pair(14, 14));
  EXPECT_EQ(barAtStep.value("Etapa 04 de 09"), std::make_pair(14, 14));
}

TEST_F(NegoxJob, DependantsAgesAreWholeYearsOf365Days) {
  const struct {
    QString dtnasc, nome;
    const char* idade;
  } cases[] = {
      {"'2022-12-11 00:00:00'", "'Quatro'", "4"},  // 1460 days, 29/02/2024 in between
      {day(-364), "'Bebê'", "0"},
      {day(-365), "'Um'", "1"},
      {day(365), "'Futuro'", "-1"},
      {day(1), "'Amanhã'", "-1"},
      {"'1990-03-15 08:30:00'", "'Com hora'", "36"},
      {day(-800), "NULL", "2"},     // a nameless dependant still gets its age
      {"NULL", "'Sem data'", "7"},  // kept
      {"'ontem'", "'Texto'", "7"},
  };
  QString data = kParam;
  QStringList expected;
  int id = 0;
  for (const auto& c : cases) {
    data += QStringLiteral("INSERT INTO dependentes VALUES (%1, %2, %3, 7);")
                .arg(++id)
                .arg(c.nome, c.dtnasc);
    expected << QString::number(id) + "|" + c.idade;
  }
  make(data);
  runCompleted();
  EXPECT_EQ(col("SELECT codcli, idade FROM dependentes ORDER BY codcli"), expected);
  EXPECT_EQ(records.mid(0, 7),
            QStringList({"Aguarde...", "Quatro", "Bebê", "Um", "Futuro", "Amanhã", "Com hora"}));
  EXPECT_EQ(records.value(7), "");
  EXPECT_FALSE(records.contains("Sem data"));
  EXPECT_FALSE(records.contains("Texto"));
}

TEST_F(NegoxJob, ProductCostsComeFromBothCodesAndTheFormattedTextsConvert) {
  // codigo, codbarra, nome, precusto, prevenda, plucrobruto, precompra, premcusto, dtcompra
  make(kParam + "INSERT INTO produto VALUES (1, '789', 'A', 10, 15, 1, NULL, 99, " + day(-30) +
       ", 5);"
       "INSERT INTO produto VALUES (2, '2', 'B', 3, 10, 1, 4.5, 99, " +
       day(5) +
       ", 5);"
       "INSERT INTO produto VALUES (3, '333', 'C', 0, 10, 7.5, 2, 99, NULL, 5);"
       "INSERT INTO produto VALUES (4, '444', 'D', NULL, 10, 7.5, 2, 99, 'sem', 5);"
       "INSERT INTO produto VALUES (5, '555', 'E', 10, NULL, 7.5, 2, 99, NULL, 5);"
       "INSERT INTO produto VALUES (6, NULL, 'F', -1, 20, 7.5, 2, 99, NULL, 5);"
       "INSERT INTO produto VALUES (7, '12''3', 'G', 1, 0.5, 7.5, 2, 99, NULL, 5);"
       "INSERT INTO produto VALUES (8, '888', 'H', 1, 1, 7.5, 2, 99, NULL, 5);"
       "INSERT INTO estoque VALUES ('1', 10, 100);"
       "INSERT INTO estoque VALUES ('789', 5, 80);"
       "INSERT INTO estoque VALUES ('2', 4, 40);"  // code and bar code: counted twice
       "INSERT INTO estoque VALUES ('', 2, 30);"   // found through F's empty bar code
       "INSERT INTO estoque VALUES ('12''3', 3, 10);"
       "INSERT INTO estoque VALUES ('888', 2, 50);"
       "INSERT INTO estoque VALUES ('888', -2, 0);");  // a total quantity of 0
  runCompleted();
  EXPECT_EQ(col("SELECT nome, plucrobruto, round(precompra, 4), round(premcusto, 4), dias_estoque "
                "FROM produto "
                "ORDER BY codigo"),
            QStringList({
                "A|50.0|0.0|12.0|30",
                "B|233.333|4.5|10.0|-5",
                "C|7.5|2.0|0.0|0",      // zero cost: margin kept; no entries: 0
                "D|7.5|2.0|0.0|0",      // no cost: margin kept
                "E|7.5|2.0|0.0|0",      // no sale price: margin kept
                "F|1900.0|2.0|15.0|0",  // |cost| and grouping in 1.900,000
                "G|-50.0|2.0|3.33|0",   // currency text of 3,333... is R$ 3,33
                "H|0.0|2.0|0.0|0",
            }));
  EXPECT_EQ(records.mid(1), QStringList({"A", "B", "C", "D", "E", "F", "G", "H"}));
  // Per product: cost, then margin; the stock-days text is painted at the next pump.
  EXPECT_EQ(statuses.mid(4, 3), QStringList({"Aguarde... Atualizando Preço Médio de Custo",
                                             "Aguarde... Atualizando Margem de Lucro do Produto",
                                             "Aguarde... Atualizando Preço Médio de Custo"}));
  const int last = int(statuses.indexOf("Aguarde... Atualizando Clientes em Atraso."));
  EXPECT_EQ(statuses.value(last - 1), "Aguarde... Gerando Dias de Estoque.");
  EXPECT_EQ(barAtStep.value("Etapa 05 de 09"), std::make_pair(8, 8));
}

TEST_F(NegoxJob, ProductTextColumnsReceiveTheFormattedTexts) {
  QString schema = QString::fromUtf8(kNegoxSchema);
  schema.replace("plucrobruto DOUBLE", "plucrobruto VARCHAR(20)");
  schema.replace("premcusto CURRENCY", "premcusto VARCHAR(20)");
  make(kParam +
           "INSERT INTO produto VALUES (1, '789', 'A', 10, 15, NULL, NULL, NULL, NULL, 5);"
           "INSERT INTO produto VALUES (2, '2', 'B', 1, 12345.6, NULL, NULL, NULL, NULL, 5);"
           "INSERT INTO estoque VALUES ('1', 10, 100);"
           "INSERT INTO estoque VALUES ('789', 5, 80);"
           "INSERT INTO estoque VALUES ('2', 1, 1234.5);",
       schema);
  runCompleted();
  EXPECT_EQ(col("SELECT plucrobruto, premcusto FROM produto ORDER BY codigo"),
            QStringList({"50,000|R$ 12,00", "1.234.460,000|R$ 1.234,50"}));
}

TEST_F(NegoxJob, OverdueReceivablesGetDaysAndTheCorrectionWhenSwitchedOn) {
  // codcli, numnota, histórico, dtvecto, valor, diasatraso, vrcorrecao, vrcorrigido
  const QString rows =
      "INSERT INTO contas_a_receber VALUES (1, 1, 'dez dias', " + day(-10) +
      ", 1000, 0, 9, 9);"
      "INSERT INTO contas_a_receber VALUES (1, 2, 'hoje', " +
      day(0) +
      ", 1000, 9, 9, 9);"
      "INSERT INTO contas_a_receber VALUES (1, 3, NULL, " +
      day(-1) +
      ", 1000, 0, 9, 9);"
      "INSERT INTO contas_a_receber VALUES (1, 4, '', " +
      day(5) +
      ", 500, 0, 9, 9);"
      "INSERT INTO contas_a_receber VALUES (1, 5, 'sem valor', " +
      day(-3) +
      ", NULL, 0, 9, 9);"
      "INSERT INTO contas_a_receber VALUES (1, 6, 'sem vencimento', NULL, 700, 0, 9, 9);";
  const struct {
    QString param;
    QStringList expected;  // numnota|diasatraso|vrcorrecao|vrcorrigido, in due order
  } cases[] = {
      {"2, 0.033, 1",
       {"6|0|0.0|700.0", "1|10|23.3|1023.3", "5|3|NULL|NULL", "3|1|20.33|1020.33", "2|0|0.0|1000.0",
        "4|-5|0.0|500.0"}},
      {"2, 0.033, 0",
       {"6|0|0.0|700.0", "1|10|0.0|1000.0", "5|3|0.0|NULL", "3|1|0.0|1000.0", "2|0|0.0|1000.0",
        "4|-5|0.0|500.0"}},
      {"2, 0.033, NULL",
       {"6|0|0.0|700.0", "1|10|0.0|1000.0", "5|3|0.0|NULL", "3|1|0.0|1000.0", "2|0|0.0|1000.0",
        "4|-5|0.0|500.0"}},
      {"NULL, 0.033, 1",
       {"6|0|0.0|700.0", "1|10|NULL|NULL", "5|3|NULL|NULL", "3|1|NULL|NULL", "2|0|0.0|1000.0",
        "4|-5|0.0|500.0"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.param.toStdString());
    make("INSERT INTO parametros VALUES (" + c.param + ", 30, NULL, NULL, NULL);" + rows);
    runCompleted();
    EXPECT_EQ(col("SELECT numnota, diasatraso, ifnull(round(vrcorrecao, 4), 'NULL'), "
                  "ifnull(round(vrcorrigido, 4), 'NULL') FROM contas_a_receber ORDER BY dtvecto, "
                  "numnota"),
              c.expected);
    // A receivable without a description leaves the previous one on the label.
    EXPECT_EQ(records.mid(1), QStringList({"sem vencimento", "dez dias", "sem valor", "hoje"}));
    EXPECT_EQ(barAtStep.value("Etapa 06 de 09"), std::make_pair(6, 6));
  }
}

}  // namespace
}  // namespace ark::maintenance::test
