#include <gtest/gtest.h>

#include "maintenance/frmatualiza.h"
#include "platform/desktop/pointer.h"
#include "vigo_fixture.h"

namespace ark::maintenance {
namespace {

using test::asoInsert;
using test::Pump;
using test::VigoJob;

constexpr quint32 kGrey = 0x00404040, kDarkRed = 128, kGreen = 32768, kBlack = 0;

TEST_F(VigoJob, AgendaLosesPastFreeRowsAndRowsOlderThanTheRetention) {
  // codigo names each row; the run is on 10/05/2024.
  const QString agenda =
      "INSERT INTO agenda VALUES (1, NULL, '2024-05-09 00:00:00');"    // free, yesterday
      "INSERT INTO agenda VALUES (2, NULL, '2024-05-10 08:00:00');"    // free, today
      "INSERT INTO agenda VALUES (3, 'Acme', '2024-04-10 00:00:00');"  // 30 days
      "INSERT INTO agenda VALUES (4, 'Acme', '2024-04-10 18:30:00');"  // 30 days, late hour
      "INSERT INTO agenda VALUES (5, 'Acme', '2024-04-09 00:00:00');"  // 31 days
      "INSERT INTO agenda VALUES (6, NULL, '2024-04-09 00:00:00');"    // 31 days, free
      "INSERT INTO agenda VALUES (7, 'Acme', '2024-05-11 00:00:00');"  // tomorrow
      "INSERT INTO agenda VALUES (8, 'Acme', NULL);"                   // no date
      "INSERT INTO agenda VALUES (9, 'Acme', 'a combinar');"           // no date
      "INSERT INTO agenda VALUES (10, 'Acme', '2023-01-01 00:00:00');";
  const struct {
    QString dias;
    QStringList kept;
    QString status;
  } cases[] = {
      {"30",
       {"2", "3", "4", "7", "8", "9"},
       "Aguarde... Excluindo Registros da Agenda Há Mais de 30 Dias."},
      {"NULL",
       {"2", "3", "4", "5", "7", "8", "9", "10"},
       "Aguarde... Excluindo Registros da Agenda Há Mais de  Dias."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.dias.toStdString());
    make("INSERT INTO parametros VALUES (" + c.dias + ", NULL, NULL);" + agenda);
    runCompleted();
    EXPECT_EQ(col("SELECT codigo FROM agenda ORDER BY codigo"), c.kept);
    const auto step1 = during(1), step2 = during(2);
    ASSERT_FALSE(step1.empty());
    ASSERT_FALSE(step2.empty());
    EXPECT_EQ(step1.back().status, "Aguarde... Excluindo Registros da Agenda Não Utilizados.");
    EXPECT_EQ(step2.back().status, c.status);
    EXPECT_EQ(db->value("SELECT data_atualizacao_idade || ' ' || hora_atualizacao_idade FROM "
                        "parametros"),
              "10/05/2024 14:35:07");
  }
}

TEST_F(VigoJob, AgesInWholeYearsOf365Days) {
  const struct {
    QDate today;
    QString ana;  // born 15/03/2000
  } cases[] = {
      {QDate(2018, 3, 10), "17"},  // 6569 days
      {QDate(2018, 3, 11), "18"},  // 6570 days, four days before the birthday
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.today.toString().toStdString());
    clock.set(QDateTime(c.today, QTime(3, 0)));
    const auto born = [&](int days) {
      return "'" + c.today.addDays(days).toString("dd/MM/yyyy") + "'";
    };
    make(kParam +
         "INSERT INTO empregado VALUES (1, 'Ana', '15/03/2000', 5);"
         "INSERT INTO empregado VALUES (2, 'Bia', '__/__/____', 9);"
         "INSERT INTO empregado VALUES (3, 'Caio', NULL, 7);"
         "INSERT INTO empregado VALUES (4, 'Duda', '15/03/20__', 3);"
         "INSERT INTO empregado VALUES (0, 'Eva', '15/03/2000', 1);"
         "INSERT INTO empregado VALUES (6, 'Fabi', " +
         born(1) +
         ", 4);"
         "INSERT INTO empregado VALUES (7, 'Gil', " +
         born(365) +
         ", 4);"
         "INSERT INTO empregado VALUES (8, 'Hugo', " +
         born(366) + ", 4);");
    runCompleted();
    EXPECT_EQ(
        col("SELECT nome || ':' || ifnull(idade, 'nulo') FROM empregado ORDER BY codigo"),
        QStringList({"Ana:" + c.ana, "Bia:0", "Caio:7", "Duda:3", "Fabi:-1", "Gil:-1", "Hugo:-2"}));
    // The walk shows its names without a pump: step 3 keeps step 2's text, step 4 finds
    // the last name shown.
    const auto step3 = during(3), step4 = during(4);
    ASSERT_EQ(step3.size(), 1u);
    EXPECT_TRUE(step3[0].status.startsWith("Aguarde... Excluindo Registros da Agenda Há Mais de"));
    ASSERT_FALSE(step4.empty());
    EXPECT_EQ(step4[0].status, "Aguarde... Calculado Idade de: Hugo");
    EXPECT_EQ(step4[0].max, 5);  // Ana, Duda, Fabi, Gil, Hugo
  }
}

TEST_F(VigoJob, BulkStepsDeleteInvalidRowsAndResetTheBlockingFields) {
  make(kParam +
       "INSERT INTO empregado_empresa VALUES (NULL, 'a');"
       "INSERT INTO empregado_empresa VALUES ('', 'b');"
       "INSERT INTO empregado_empresa VALUES ('123', 'c');"
       "INSERT INTO agenda_treinamento VALUES (0, 'a');"
       "INSERT INTO agenda_treinamento VALUES (NULL, 'b');"
       "INSERT INTO agenda_treinamento VALUES (5, 'c');"
       "INSERT INTO agenda_treinamento_empresa VALUES (0, 'a');"
       "INSERT INTO agenda_treinamento_empresa VALUES (NULL, 'b');"
       "INSERT INTO agenda_treinamento_empresa VALUES (6, 'c');"
       "INSERT INTO agenda_treinamento_instrutor VALUES (0, 'a');"
       "INSERT INTO agenda_treinamento_instrutor VALUES (NULL, 'b');"
       "INSERT INTO agenda_treinamento_instrutor VALUES (7, 'c');"
       "INSERT INTO treinamentos_presenca VALUES (1, 0);"
       "INSERT INTO treinamentos_presenca VALUES (2, NULL);"
       "INSERT INTO treinamentos_presenca VALUES (3, 7.5);"
       "INSERT INTO treinamentos_presenca VALUES (4, 0.5);" +
       asoInsert(0, {{"controle", "NULL"}, {"empregado", "'sem controle'"}}, false) +
       asoInsert(2, {{"empregado", "NULL"}}, false) + asoInsert(3, {{"empregado", "''"}}, false) +
       asoInsert(4,
                 {{"data", "'2023-06-01 00:00:00'"},
                  {"situacao", "'LIBERADO'"},
                  {"dias_bloqueado", "5"},
                  {"dias_bloqueadoe", "6"},
                  {"bloqueio_atendimento_num", "7"}},
                 false));
  runCompleted();
  const struct {
    const char* query;
    QStringList expected;
  } cases[] = {
      {"SELECT empresa FROM empregado_empresa ORDER BY empresa", {"b", "c"}},
      {"SELECT descricao FROM agenda_treinamento", {"c"}},
      {"SELECT empresa FROM agenda_treinamento_empresa", {"c"}},
      {"SELECT instrutor FROM agenda_treinamento_instrutor", {"c"}},
      {"SELECT controle FROM treinamentos_presenca ORDER BY controle", {"2", "3", "4"}},
      {"SELECT controle || ':' || dias_bloqueado || dias_bloqueadoe || bloqueio_atendimento_num "
       "FROM aso",
       {"4:000"}},
  };
  for (const auto& c : cases) EXPECT_EQ(col(c.query), c.expected) << c.query;

  const QString texts[] = {
      "Aguarde... Excluindo Empregado sem Empresa.",
      "Aguarde... Excluindo Treinamento sem Controle.",
      "Aguarde... Excluindo Treinamento x Empresa sem Controle.",
      "Aguarde... Excluindo Treinamento x Instrutor sem Controle.",
      "Aguarde... Excluindo Presença de Treinamentos com Nota = 0",
      "Aguarde... Excluindo atendimentos inválidos.",
      "Aguarde... Inicializando Dias de Bloqueio Toxicológico.",
      "Aguarde... Inicializando Dias de Bloqueio Etilômetro.",
      "Aguarde... Inicializando Nº Atendimento de Empregados Bloqueados",
  };
  for (int step = 4; step <= 12; ++step) {
    SCOPED_TRACE(step);
    const auto p = during(step);
    ASSERT_EQ(p.size(), 2u);  // the step text, then the status text
    EXPECT_EQ(p[1].status, texts[step - 4]);
  }
}

TEST_F(VigoJob, BlockingDaysCountOnlyExactPositiveResultsWithADate) {
  const struct {
    const char* tox;
    const char* toxData;
    const char* etil;
    const char* etilData;
    QString days;  // dias_bloqueado:dias_bloqueadoe
  } cases[] = {
      {"'Positivo'", "d:01/05/2024", "NULL", "'__/__/____'", "9:0"},
      {"'POSITIVO'", "d:01/05/2024", "NULL", "'__/__/____'", "0:0"},
      {"NULL", "d:01/05/2024", "NULL", "'__/__/____'", "0:0"},
      {"'Positivo'", "'__/__/____'", "NULL", "'__/__/____'", "0:0"},
      {"'Positivo'", "NULL", "NULL", "'__/__/____'", "0:0"},
      {"'Positivo'", "''", "NULL", "'__/__/____'", "0:0"},
      {"'Positivo'", "d:15/05/2024", "NULL", "'__/__/____'", "-5:0"},
      {"'Positivo'", "d:01/05/2024", "'Positivo'", "d:30/04/2024", "9:10"},
      {"'Negativo'", "d:01/05/2024", "'Positivo'", "d:30/04/2024", "0:10"},
      {"'Negativo'", "d:01/05/2024", "'Positivo '", "d:30/04/2024", "0:0"},
  };
  for (bool asDateTime : {false, true}) {
    SCOPED_TRACE(asDateTime ? "DATETIME" : "TEXT");
    QString data = kParam;
    int controle = 0;
    for (const auto& c : cases)
      data += asoInsert(++controle,
                        {{"situacao", "'BLOQUEADO'"},
                         {"data", "'2023-06-01 00:00:00'"},
                         {"cpf", QStringLiteral("'%1'").arg(controle)},
                         {"toxicologico", c.tox},
                         {"toxicologico_data", c.toxData},
                         {"etilometro", c.etil},
                         {"etilometro_data", c.etilData},
                         {"dias_bloqueado", "77"},
                         {"dias_bloqueadoe", "77"}},
                        asDateTime);
    // Not blocked: reset, never counted.
    data += asoInsert(99,
                      {{"situacao", "'LIBERADO'"},
                       {"data", "'2023-06-01 00:00:00'"},
                       {"toxicologico", "'Positivo'"},
                       {"dias_bloqueado", "77"}},
                      asDateTime);
    make(data, test::vigoSchema(asDateTime));
    runCompleted();
    QStringList expected;
    for (const auto& c : cases) expected << c.days;
    expected << "0:0";
    EXPECT_EQ(col("SELECT dias_bloqueado || ':' || dias_bloqueadoe FROM aso ORDER BY controle"),
              expected);
  }
}

TEST_F(VigoJob, EachAttendanceOfABlockedCpfGetsItsLatestBlockingNumber) {
  const auto row = [](int controle, const QString& cpf, const QString& date, const char* status) {
    return asoInsert(controle,
                     {{"cpf", cpf},
                      {"data", "'" + date + " 00:00:00'"},
                      {"situacao", QString("'%1'").arg(status)},
                      {"bloqueio_atendimento_num", "99"}},
                     false);
  };
  make(kParam +
       // inserted out of date order
       row(13, "'111'", "2023-04-01", "BLOQUEADO") + row(10, "'111'", "2023-01-01", "LIBERADO") +
       row(14, "'111'", "2023-05-01", "VENCIDO") + row(11, "'111'", "2023-02-01", "BLOQUEADO") +
       row(12, "'111'", "2023-03-01", "LIBERADO") + row(20, "'222'", "2023-01-01", "LIBERADO") +
       row(40, "'444'", "2023-01-01", "BLOQUEADO") + row(41, "'444'", "2023-02-01", "Bloqueado") +
       row(60, "'12''3'", "2023-01-01", "BLOQUEADO") + row(61, "'12''3'", "2023-02-01", "") +
       row(50, "NULL", "2023-01-01", "BLOQUEADO") + row(51, "''", "2023-01-01", "BLOQUEADO"));
  runCompleted();
  EXPECT_EQ(col("SELECT controle || ':' || bloqueio_atendimento_num FROM aso ORDER BY controle"),
            QStringList({"10:0", "11:11", "12:11", "13:13", "14:13", "20:0", "40:40", "41:40",
                         "50:0", "51:51", "60:60", "61:60"}));

  // NULL sorts first; one entry per blocked attendance, counted from 0. The selection
  // ignores letter case ("Bloqueado" is blocked too), the job's own test in step 14 does not
  // (41 takes 40's number above).
  const auto step14 = during(14);
  QStringList texts;
  for (const Pump& p : step14)
    if (p.status.contains("Definindo")) {
      texts << p.status;
      EXPECT_EQ(p.max, 7);
      EXPECT_EQ(p.fill, kDarkRed);
      EXPECT_EQ(p.statusColor, kDarkRed);
    }
  const QString pre = "Aguarde... Definindo Nº Atendimento para o CPF: ";
  EXPECT_EQ(texts, QStringList(
                       {pre + " Bloqueio: 00000 de 00007", pre + " Bloqueio: 00001 de 00007",
                        pre + "111 Bloqueio: 00002 de 00007", pre + "111 Bloqueio: 00003 de 00007",
                        pre + "12'3 Bloqueio: 00004 de 00007", pre + "444 Bloqueio: 00005 de 00007",
                        pre + "444 Bloqueio: 00006 de 00007"}));
  const auto step15 = during(15);
  ASSERT_FALSE(step15.empty());
  EXPECT_EQ(step15[0].status, pre + "444 Bloqueio: 00006 de 00007");
}

TEST_F(VigoJob, ColoursOfTheStatusLabelAndTheBarFollowTheSteps) {
  make(kParam +
       asoInsert(1, {{"situacao", "'BLOQUEADO'"}, {"data", "'2023-01-01 00:00:00'"}}, false) +
       asoInsert(2, {{"situacao", "'BLOQUEADO'"}, {"data", "'2023-01-01 00:00:00'"}}, false) +
       asoInsert(3, {}, false));
  runCompleted();
  for (int step = 1; step <= 15; ++step) {
    SCOPED_TRACE(step);
    const auto p = during(step);
    ASSERT_FALSE(p.empty());
    const quint32 label = step < 10 ? kGrey : step <= 14 ? kDarkRed : kBlack;
    const quint32 fill = step < 13 || step == 15 ? kGreen : kDarkRed;
    // Step 10 and step 13 change the colour after their step text.
    EXPECT_EQ(p.back().statusColor, label);
    EXPECT_EQ(p.back().fill, fill);
    if (step == 10) EXPECT_EQ(p.front().statusColor, kGrey);
    if (step == 13) EXPECT_EQ(p.front().fill, kGreen);
    if (step >= 9 && step <= 13) EXPECT_EQ(p.back().value, 0);
  }
  // Step 13's walk filled the bar to its two rows; step 14 counts its two entries from 0.
  EXPECT_EQ(during(14).front().max, 2);
  EXPECT_EQ(during(14).front().value, 2);
  EXPECT_EQ(during(14).back().value, 1);
  EXPECT_EQ(during(15).front().value, 0);
  EXPECT_EQ(during(15).front().max, 1);  // the one attendance of 2024
}

TEST_F(VigoJob, NoBlockedAttendanceLeavesAnEmptyBarAndABlackStatus) {
  make(kParam + asoInsert(1, {{"data", "'2023-01-01 00:00:00'"}}, false));
  runCompleted();
  const auto step14 = during(14), step15 = during(15);
  ASSERT_EQ(step14.size(), 1u);
  ASSERT_EQ(step15.size(), 1u);
  EXPECT_EQ(step15[0].status, "Aguarde... Calculando Dias de Bloqueio.");
  EXPECT_EQ(step15[0].statusColor, kBlack);
  EXPECT_EQ(step15[0].fill, kGreen);
  EXPECT_EQ(step15[0].max, 0);
  EXPECT_EQ(step15[0].value, 0);
  EXPECT_EQ(db->value("SELECT situacao FROM aso"), "ANTIGA");
  EXPECT_EQ(db->rows("SELECT data_atualizacao_idade, hora_atualizacao_idade FROM parametros"),
            QStringList({"10/05/2024|14:35:07"}));
  EXPECT_EQ(MaintenanceRunner::loaded("frmatualiza"), nullptr);
  EXPECT_EQ(desktop::mousePointer(), desktop::vbDefault);
}

TEST_F(VigoJob, AFailureStopsTheJobKeepingEarlierWritesAndThePreviousStamp) {
  const QString data = kParam +
                       "INSERT INTO agenda VALUES (1, NULL, '2024-05-01 00:00:00');"
                       "INSERT INTO empregado VALUES (1, 'Ana', '15/03/2000', 5);" +
                       asoInsert(1, {{"natureza_exame", "NULL"}}, false) +
                       asoInsert(2,
                                 {{"natureza_exame", "'ADMISSIONAL'"},
                                  {"toxicologico", "'Positivo'"},
                                  {"dias_bloqueado", "8"}},
                                 false) +
                       asoInsert(3, {}, false) +
                       "INSERT INTO natureza_exame VALUES ('ADMISSIONAL', 'BLOQUEADO');";
  const struct {
    const char* name;
    QString from, to;  // the schema changed
    QString after;     // run on the filled database
    QString lastStep;  // empty: no step began
    QString agendaRows, idade, situacoes;
  } cases[] = {
      // A missing column: the reset of step 12 fails after steps 1 to 11 wrote.
      {"step 12", "", "", "ALTER TABLE aso DROP COLUMN bloqueio_atendimento_num;", "Etapa 12 de 15",
       "0", "24", "ANTIGA,ANTIGA,ANTIGA"},
      // "BLOQUEADO" does not fit: step 15 stops at its second row, the first one saved.
      {"step 15", "situacao VARCHAR(20)", "situacao VARCHAR(8)", "", "Etapa 15 de 15", "0", "24",
       "PENDENTE,ANTIGA,ANTIGA"},
      // A missing table: the data sources cannot open, nothing is touched.
      {"open", "", "", "DROP TABLE natureza_exame;", "", "1", "5", "ANTIGA,ANTIGA,ANTIGA"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    QString schema = test::vigoSchema();
    if (!c.from.isEmpty()) schema.replace(c.from, c.to);
    const QString rows = data + c.after;
    make(rows, schema);
    const JobOutcome out = run();
    EXPECT_FALSE(out.completed);
    EXPECT_FALSE(out.reason.isEmpty());
    EXPECT_EQ(pumps.empty() ? QString() : pumps.back().step, c.lastStep);
    EXPECT_EQ(db->value("SELECT count(*) FROM agenda"), c.agendaRows);
    EXPECT_EQ(db->value("SELECT idade FROM empregado"), c.idade);
    EXPECT_EQ(db->value("SELECT group_concat(situacao) FROM (SELECT situacao FROM aso ORDER BY "
                        "controle)"),
              c.situacoes);
    EXPECT_EQ(db->rows("SELECT data_atualizacao_idade, hora_atualizacao_idade FROM parametros"),
              QStringList({"01/05/2024|03:00:00"}));
    EXPECT_EQ(MaintenanceRunner::loaded("frmatualiza"), nullptr);
    EXPECT_EQ(desktop::mousePointer(), desktop::vbDefault);
  }
}

}  // namespace
}  // namespace ark::maintenance
