// The VIGO job on data another program stored: dates in every form the views read, states
// and natures in another letter case.
#include <gtest/gtest.h>

#include "vigo_fixture.h"

namespace ark::maintenance::test {
namespace {

const QDate kRunDay(2024, 5, 10);

TEST_F(VigoJob, PastFreeAppointmentsArePurgedWhateverFormTheirDateHas) {
  // codigo: form * 10 + 1 for yesterday, + 2 for today, + 3 for tomorrow.
  QString data = kParam;
  QStringList kept;
  for (int f = 0; f < 4; ++f)
    for (int d = -1; d <= 1; ++d) {
      const int code = f * 10 + d + 2;
      data += QStringLiteral("INSERT INTO agenda VALUES (%1, NULL, %2);")
                  .arg(code)
                  .arg(storedForms(kRunDay.addDays(d))[f]);
      if (d >= 0) kept << QString::number(code);
    }
  data +=
      "INSERT INTO agenda VALUES (90, NULL, '__/__/____');"
      "INSERT INTO agenda VALUES (91, NULL, '');";
  kept << "90"
       << "91";
  make(data);
  runCompleted();
  EXPECT_EQ(col("SELECT codigo FROM agenda ORDER BY codigo"), kept);
}

// Each attendance of a blocked CPF takes the number of the latest blocked one at or before
// it in date order, whatever form each date has; "Bloqueado" is selected as blocked.
TEST_F(VigoJob, BlockingNumbersFollowTheDatesWhateverFormTheyHave) {
  const struct {
    int controle;
    QString data;
    const char* situacao;
  } rows[] = {
      {14, storedForms(QDate(2023, 5, 1))[0], "VENCIDO"},
      {11, storedForms(QDate(2023, 2, 1))[2], "BLOQUEADO"},
      {13, storedForms(QDate(2023, 4, 1))[1], "Bloqueado"},
      {12, storedForms(QDate(2023, 3, 1))[3], "LIBERADO"},
      {10, storedForms(QDate(2023, 1, 1))[1], "LIBERADO"},
      {9, "'__/__/____'", "LIBERADO"},
  };
  QString data = kParam;
  for (const auto& r : rows)
    data += asoInsert(r.controle,
                      {{"cpf", "'111'"},
                       {"data", r.data},
                       {"situacao", QStringLiteral("'%1'").arg(r.situacao)},
                       {"bloqueio_atendimento_num", "99"}},
                      false);
  make(data);
  runCompleted();
  // 13's own state is compared exactly by the job: it takes 11's number.
  EXPECT_EQ(col("SELECT controle || ':' || bloqueio_atendimento_num FROM aso ORDER BY controle"),
            QStringList({"9:0", "10:0", "11:11", "12:11", "13:11", "14:11"}));
  QStringList statuses;
  for (const Pump& p : during(14))
    if (p.status.contains("Definindo") && (statuses.isEmpty() || statuses.last() != p.status))
      statuses << p.status;
  const QString pre = "Aguarde... Definindo Nº Atendimento para o CPF: 111 Bloqueio: ";
  EXPECT_EQ(statuses, QStringList({pre + "00000 de 00002", pre + "00001 de 00002"}));
}

// A positive test takes the status of its nature, found whatever letter case and accents
// either side was typed in.
TEST_F(VigoJob, TheNatureOfAnAttendanceIsFoundInAnyLetterCase) {
  const struct {
    const char* natureza;
    const char* expected;  // situacao|cor_situacao|dias_bloqueado
  } cases[] = {
      {"Admissional", "BLOQUEADO|192|9"},
      {"admissional", "BLOQUEADO|192|9"},
      {"PERIÓDICO", "RESTRITO|33023|0"},
      {"Retorno", "ANTIGA|1|0"},  // no such nature: nothing written
  };
  for (int f = 0; f < 4; ++f) {
    SCOPED_TRACE(f);
    QString data = kParam +
                   "INSERT INTO natureza_exame VALUES ('ADMISSIONAL', 'BLOQUEADO');"
                   "INSERT INTO natureza_exame VALUES ('Periódico', 'RESTRITO');";
    QStringList expected;
    int controle = 0;
    for (const auto& c : cases) {
      data += asoInsert(++controle,
                        {{"natureza_exame", QStringLiteral("'%1'").arg(c.natureza)},
                         {"data", storedForms(QDate(2024, 4, 2))[f]},
                         {"toxicologico", "'Positivo'"},
                         {"toxicologico_data", "'01/05/2024'"}},
                        false);
      expected << c.expected;
    }
    make(data);
    runCompleted();
    EXPECT_EQ(col("SELECT situacao, cor_situacao, dias_bloqueado FROM aso ORDER BY controle"),
              expected);
  }
}

}  // namespace
}  // namespace ark::maintenance::test
