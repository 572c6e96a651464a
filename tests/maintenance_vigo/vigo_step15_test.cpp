#include <gtest/gtest.h>

#include "maintenance/frmatualiza.h"
#include "vigo_fixture.h"

namespace ark::maintenance {
namespace {

using test::asoInsert;
using test::Pump;
using test::VigoJob;

const QString kNatures =
    "INSERT INTO natureza_exame VALUES ('ADMISSIONAL', 'BLOQUEADO');"
    "INSERT INTO natureza_exame VALUES ('Admissional', 'BLOQUEADO');"
    "INSERT INTO natureza_exame VALUES ('PARADA', 'BLOQUEADO');"
    "INSERT INTO natureza_exame VALUES ('PERIODICO', 'LIBERADO');"
    "INSERT INTO natureza_exame VALUES ('DEMISSIONAL', NULL);"
    "INSERT INTO natureza_exame VALUES ('RETORNO', 'RESTRITO');"
    "INSERT INTO natureza_exame VALUES ('MUDANCA', 'Bloqueado');"
    "INSERT INTO natureza_exame VALUES ('O''NEIL', 'RESTRITO');";

// Each row reaches step 15 as "ANTIGA", colour 1, unless it is blocked in step 13; the run
// is on 10/05/2024. Expected: situacao|cor_situacao|dias_bloqueado.
const struct Case {
  const char* why;
  QMap<QString, QString> set;
  QString expected;
} kCases[] = {
    {"no nature",
     {{"natureza_exame", "NULL"}, {"toxicologico", "'POSITIVO'"}, {"etilometro", "'POSITIVO'"}},
     "PENDENTE|8454143|0"},
    {"no toxicology",
     {{"natureza_exame", "'ADMISSIONAL'"},
      {"toxicologico", "NULL"},
      {"etilometro", "'POSITIVO'"},
      {"data_validade_aso", "d:01/01/2024"}},
     "ANTIGA|1|0"},
    {"positive in lower case",
     {{"natureza_exame", "'ADMISSIONAL'"},
      {"toxicologico", "'positivo'"},
      {"toxicologico_data", "d:05/05/2024"}},
     "BLOQUEADO|192|5"},
    {"refused, nature says LIBERADO",
     {{"natureza_exame", "'PERIODICO'"},
      {"toxicologico", "'RECUSOU'"},
      {"data_validade_aso", "d:01/01/2024"}},
     "LIBERADO|1|0"},
    {"refused, nature without status",
     {{"natureza_exame", "'DEMISSIONAL'"},
      {"toxicologico", "'RECUSOU'"},
      {"data_validade_aso", "d:01/01/2024"}},
     "ANTIGA|1|0"},
    {"refused, nature not in the table",
     {{"natureza_exame", "'INEXISTENTE'"},
      {"toxicologico", "'POSITIVO'"},
      {"etilometro", "'POSITIVO'"},
      {"data_validade_aso", "d:01/01/2024"}},
     "ANTIGA|1|0"},
    {"nature with a quote",
     {{"natureza_exame", "'O''NEIL'"}, {"toxicologico", "'POSITIVO'"}},
     "RESTRITO|33023|0"},
    {"both positive: the breathalyser counts",
     {{"natureza_exame", "'ADMISSIONAL'"},
      {"toxicologico", "'POSITIVO'"},
      {"toxicologico_data", "d:05/05/2024"},
      {"etilometro", "'POSITIVO'"},
      {"etilometro_data", "d:30/04/2024"}},
     "BLOQUEADO|192|10"},
    {"both positive, breathalyser undated",
     {{"natureza_exame", "'ADMISSIONAL'"},
      {"toxicologico", "'POSITIVO'"},
      {"toxicologico_data", "d:05/05/2024"},
      {"etilometro", "'positivo'"},
      {"etilometro_data", "'__/__/____'"}},
     "BLOQUEADO|192|5"},
    {"both positive, nature RESTRITO",
     {{"natureza_exame", "'RETORNO'"}, {"toxicologico", "'POSITIVO'"}, {"etilometro", "'RECUSOU'"}},
     "RESTRITO|33023|0"},
    {"both positive, a status in other capitals",
     {{"natureza_exame", "'MUDANCA'"},
      {"toxicologico", "'POSITIVO'"},
      {"toxicologico_data", "d:05/05/2024"},
      {"etilometro", "'POSITIVO'"},
      {"etilometro_data", "d:30/04/2024"}},
     "Bloqueado|1|0"},
    {"refused and positive, nature LIBERADO",
     {{"natureza_exame", "'PERIODICO'"},
      {"toxicologico", "'RECUSOU'"},
      {"etilometro", "'POSITIVO'"}},
     "LIBERADO|1|0"},
    {"breathalyser alone, undated",
     {{"natureza_exame", "'ADMISSIONAL'"},
      {"etilometro", "'POSITIVO'"},
      {"etilometro_data", "'__/__/____'"}},
     "BLOQUEADO|192|0"},
    {"breathalyser alone, RESTRITO",
     {{"natureza_exame", "'RETORNO'"}, {"etilometro", "'Recusou'"}},
     "RESTRITO|33023|0"},
    {"admission to repeat after a blocking toxicology",
     {{"natureza_exame", "'Admissional'"},
      {"toxicologico", "'POSITIVO'"},
      {"toxicologico_data", "d:05/05/2024"},
      {"teste_psicometrico", "'Repetir'"}},
     "RESTRITO|33023|5"},
    {"admission failed, undated, after a blocking toxicology",
     {{"natureza_exame", "'ADMISSIONAL'"},
      {"toxicologico", "'POSITIVO'"},
      {"toxicologico_data", "d:05/05/2024"},
      {"teste_psicometrico", "'REPROVADO'"}},
     "BLOQUEADO|192|5"},
    {"stop failed",
     {{"natureza_exame", "'PARADA'"},
      {"teste_psicometrico", "'reprovado'"},
      {"teste_psicometrico_data", "d:08/05/2024"}},
     "BLOQUEADO|192|2"},
    {"other nature failed",
     {{"natureza_exame", "'PERIODICO'"}, {"teste_psicometrico", "'REPROVADO'"}},
     "RESTRITO|33023|0"},
    {"admission with a trailing blank failed",
     {{"natureza_exame", "'ADMISSIONAL '"},
      {"teste_psicometrico", "'REPROVADO'"},
      {"teste_psicometrico_data", "d:08/05/2024"}},
     "RESTRITO|33023|0"},
    {"psychometric passed",
     {{"natureza_exame", "'PARADA'"}, {"teste_psicometrico", "'APROVADO'"}},
     "LIBERADO|32768|0"},
    {"positive with a trailing blank",
     {{"natureza_exame", "'ADMISSIONAL'"}, {"toxicologico", "'POSITIVO '"}},
     "LIBERADO|32768|0"},
    {"expired yesterday", {{"data_validade_aso", "d:09/05/2024"}}, "VENCIDO|128|0"},
    {"expired, clinic undone but second validity filled",
     {{"realizou_clinico_data", "'__/__/____'"},
      {"data_validade_asoe", "'01/05/2025'"},
      {"data_validade_aso", "d:09/05/2024"}},
     "VENCIDO|128|0"},
    {"valid until today", {{"data_validade_aso", "d:10/05/2024"}}, "LIBERADO|32768|0"},
    {"clinic and second validity empty",
     {{"realizou_clinico_data", "'__/__/____'"}},
     "PENDENTE|8454143|0"},
    {"fitness both Null",
     {{"aptidao_funcao", "NULL"}, {"aptidao_funcaoi", "NULL"}},
     "PENDENTE|8454143|0"},
    {"fitness both empty",
     {{"aptidao_funcao", "''"}, {"aptidao_funcaoi", "''"}},
     "PENDENTE|8454143|0"},
    {"fitness Null and empty",
     {{"aptidao_funcao", "''"}, {"aptidao_funcaoi", "NULL"}},
     "LIBERADO|32768|0"},
    {"pending both Null",
     {{"pendencia", "NULL"}, {"pendencia_asoe", "NULL"}},
     "PENDENTE|8454143|0"},
    {"pending both empty", {{"pendencia", "''"}, {"pendencia_asoe", "''"}}, "PENDENTE|8454143|0"},
    {"validity no date", {{"data_validade_aso", "'__/__/____'"}}, "ANTIGA|1|0"},
    {"blocked in step 13, nature without status",
     {{"situacao", "'BLOQUEADO'"},
      {"natureza_exame", "'DEMISSIONAL'"},
      {"toxicologico", "'Positivo'"},
      {"toxicologico_data", "d:05/05/2024"}},
     "BLOQUEADO|1|5"},
    {"first day of the year", {{"data", "'2024-01-01 00:00:00'"}}, "LIBERADO|32768|0"},
    {"last year", {{"data", "'2023-12-31 23:00:00'"}, {"natureza_exame", "NULL"}}, "ANTIGA|1|0"},
    {"next year", {{"data", "'2025-01-01 00:00:00'"}, {"natureza_exame", "NULL"}}, "ANTIGA|1|0"},
};

TEST_F(VigoJob, StatusOfTheAttendancesOfTheYear) {
  for (bool asDateTime : {false, true}) {
    SCOPED_TRACE(asDateTime ? "test dates as DATETIME" : "test dates as text");
    QString data = kParam + kNatures;
    int controle = 0;
    for (const Case& c : kCases) data += asoInsert(++controle, c.set, asDateTime);
    make(data, test::vigoSchema(asDateTime));
    runCompleted();
    const QStringList got =
        col("SELECT situacao || '|' || cor_situacao || '|' || dias_bloqueado FROM aso ORDER BY "
            "controle");
    ASSERT_EQ(got.size(), int(std::size(kCases)));
    for (int i = 0; i < got.size(); ++i) EXPECT_EQ(got[i], kCases[i].expected) << kCases[i].why;
    // cor_situacao holds numbers, also the colour given as the text "128".
    EXPECT_EQ(db->value("SELECT DISTINCT typeof(cor_situacao) FROM aso"), "integer");

    const auto step15 = during(15);
    ASSERT_FALSE(step15.empty());
    EXPECT_EQ(step15.front().max, int(std::size(kCases)) - 2);  // two of another year
    EXPECT_EQ(step15.front().value, 0);
    QStringList texts;
    for (const Pump& p : step15) texts << p.status;
    EXPECT_TRUE(texts.contains("Aguarde... Atualizando Atendimento: 0000000001 Natureza: "));
    EXPECT_TRUE(texts.contains("Aguarde... Atualizando Atendimento: 0000000007 Natureza: O'NEIL"));
    EXPECT_FALSE(texts.contains("Aguarde... Atualizando Atendimento: 0000000034 Natureza: "));
  }
}

TEST_F(VigoJob, TheYearIsTheOneOfTheRunDate) {
  clock.set(QDateTime(QDate(2025, 1, 2), QTime(6, 0)));
  make(kParam + asoInsert(1, {{"natureza_exame", "NULL"}}, false) +
       asoInsert(2, {{"natureza_exame", "NULL"}, {"data", "'2025-01-02 00:00:00'"}}, false));
  runCompleted();
  EXPECT_EQ(col("SELECT situacao FROM aso ORDER BY controle"), QStringList({"ANTIGA", "PENDENTE"}));
  EXPECT_EQ(db->rows("SELECT data_atualizacao_idade, hora_atualizacao_idade FROM parametros"),
            QStringList({"02/01/2025|06:00:00"}));
}

}  // namespace
}  // namespace ark::maintenance
