#include "maintenance/frm_atualiza.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QLabel>
#include <algorithm>

#include "maintenance/maintenance_runner.h"
#include "platform/core/clock.h"
#include "platform/desktop/pointer.h"
#include "praxel_fixture.h"

namespace ark::maintenance {
namespace {

using test::BusinessDb;

const QDate kToday(2026, 12, 10);
const QString kAge1990 = QStringLiteral("36 Ano(s) 8 Mês(es) 25 Dia(s)");  // born 15/03/1990

// A date `days` from today as the engine stores it.
QString day(int days) {
  return QLatin1Char('\'') + kToday.addDays(days).toString(QStringLiteral("yyyy-MM-dd")) +
         QStringLiteral(" 00:00:00'");
}

// The PRAXEL job on a fresh database with the clock at 10/12/2026 12:00:00; the message
// pumps record each new text of the step and status labels.
class PraxelJob : public ::testing::Test {
 protected:
  SettableClock clock{QDateTime(kToday, QTime(12, 0))};
  ScopedClock scoped{clock};
  std::unique_ptr<BusinessDb> db;
  QStringList steps, statuses;

  void make(const QString& data, const QString& schema = QString::fromLatin1(test::kPraxelSchema)) {
    db.reset();
    db = std::make_unique<BusinessDb>(QStringLiteral("praxel.mdb"), schema + data);
  }
  void make(const QString& data, int diasAgenda) {
    make(QStringLiteral("INSERT INTO parametros VALUES (%1, 7, '01/12/2026', '03:00:00');")
             .arg(diasAgenda) +
         data);
  }

  JobOutcome run() {
    steps.clear();
    statuses.clear();
    MaintenanceRunner::pumpHook = [this](const MaintenanceRunner& w) {
      if (steps.isEmpty() || steps.last() != w.stepLabel->text()) steps << w.stepLabel->text();
      if (statuses.isEmpty() || statuses.last() != w.statusLabel->text())
        statuses << w.statusLabel->text();
    };
    const JobOutcome out = showMaintenanceWindow(QStringLiteral("frm_atualiza"));
    MaintenanceRunner::pumpHook = nullptr;
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return out;
  }
  void runCompleted() {
    const JobOutcome out = run();
    ASSERT_TRUE(out.completed) << out.reason.toStdString();
  }
  QStringList col(const QString& sql) const { return db->rows(sql); }
};

TEST_F(PraxelJob, AgesAreWrittenForValidBirthDatesOnly) {
  make(
      "INSERT INTO paciente VALUES ('001', 'Ana', '1990-03-15 00:00:00', 'antiga');"
      "INSERT INTO paciente VALUES ('002', 'Bia', NULL, 'sem data');"
      "INSERT INTO paciente VALUES ('003', 'Caio', '15/03/1990', 'x');"
      "INSERT INTO paciente VALUES ('004', 'Duda', 'ontem', 'y');",
      30);
  runCompleted();
  EXPECT_EQ(col("SELECT idade FROM paciente ORDER BY cpf"),
            QStringList({kAge1990, "sem data", kAge1990, "y"}));
  EXPECT_EQ(steps.value(0), "Etapa 01 de 06");
  EXPECT_EQ(statuses.value(0), "Aguarde... ");
  EXPECT_TRUE(statuses.contains("Aguarde... Atualizando Idade dos Pacientes no Cadastro/Agenda"));
}

TEST_F(PraxelJob, MissingNamesComeFromTheFirstAgendaRowInTableOrder) {
  make(
      "INSERT INTO paciente VALUES ('111', NULL, NULL, '0');"
      "INSERT INTO paciente VALUES ('222', '', NULL, '0');"
      "INSERT INTO paciente VALUES ('333', NULL, NULL, '0');"
      "INSERT INTO paciente VALUES (NULL, NULL, NULL, '0');"
      "INSERT INTO paciente VALUES ('12''3', NULL, NULL, '0');"
      "INSERT INTO paciente VALUES ('444', 'Já Tem', NULL, '0');"
      "INSERT INTO agenda VALUES (0, 9, " +
          day(5) +
          ", NULL, '111', 'Maria da Silva', 'x');"
          "INSERT INTO agenda VALUES (0, 1, " +
          day(1) +
          ", NULL, '111', 'Maria S.', 'x');"
          "INSERT INTO agenda VALUES (0, 1, " +
          day(1) +
          ", NULL, '222', 'Davi D''Ávila', 'x');"
          "INSERT INTO agenda VALUES (0, 1, " +
          day(2) +
          ", NULL, '', 'Sem CPF', 'x');"
          "INSERT INTO agenda VALUES (0, 1, " +
          day(2) +
          ", NULL, '12''3', 'O''Neil', 'x');"
          "INSERT INTO agenda VALUES (0, 1, " +
          day(2) + ", NULL, '444', 'Outro Nome', 'x');",
      30);
  runCompleted();
  EXPECT_EQ(col("SELECT ifnull(cpf, 'nulo') || ':' || ifnull(nome, 'nulo') FROM paciente"),
            QStringList({"111:Maria da Silva", "222:Davi D'Ávila", "333:nulo", "nulo:Sem CPF",
                         "12'3:O'Neil", "444:Já Tem"}));
  EXPECT_TRUE(statuses.contains("Aguarde... Verificando Nome de Pacientes."));
  EXPECT_TRUE(statuses.contains("Aguarde... Gravando Nome do Paciente: O'Neil"));
}

TEST_F(PraxelJob, PastFreeSlotsAndRowsOlderThanTheRetentionAreDeleted) {
  // codmedico names each row.
  const QString agenda =
      "INSERT INTO agenda VALUES (0, 1, " + day(-1) +
      ", NULL, NULL, NULL, NULL);"  // free, yesterday
      "INSERT INTO agenda VALUES (0, 2, " +
      day(0) +
      ", NULL, NULL, NULL, NULL);"  // free, today
      "INSERT INTO agenda VALUES (0, 3, " +
      day(3) +
      ", NULL, NULL, NULL, NULL);"  // free, later
      "INSERT INTO agenda VALUES (0, 4, " +
      day(-30) +
      ", NULL, '1', 'Ana', NULL);"  // 30 days old
      "INSERT INTO agenda VALUES (0, 5, " +
      day(-31) +
      ", NULL, '1', 'Ana', NULL);"  // 31 days old
      "INSERT INTO agenda VALUES (0, 6, " +
      day(-400) +
      ", NULL, '1', 'Ana', NULL);"                                               // a year old
      "INSERT INTO agenda VALUES (0, 7, NULL, NULL, '1', 'Ana', NULL);"          // no date
      "INSERT INTO agenda VALUES (0, 8, 'a combinar', NULL, '1', 'Ana', NULL);"  // no date
      "INSERT INTO agenda VALUES (0, 9, " +
      day(20) + ", NULL, '1', 'Ana', NULL);";  // ahead
  const struct {
    QString dias;
    QStringList kept;
    QString status;
  } cases[] = {
      {"30",
       {"2", "3", "4", "7", "8", "9"},
       "Aguarde... Excluindo Registros da Agenda Há Mais de 30 Dias."},
      {"NULL",
       {"2", "3", "4", "5", "6", "7", "8", "9"},
       "Aguarde... Excluindo Registros da Agenda Há Mais de  Dias."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.dias.toStdString());
    make("INSERT INTO parametros VALUES (" + c.dias + ", 7, '01/12/2026', '03:00:00');" + agenda);
    runCompleted();
    EXPECT_EQ(col("SELECT codmedico FROM agenda ORDER BY codmedico"), c.kept);
    EXPECT_TRUE(statuses.contains("Aguarde... Excluindo Registros da Agenda."))
        << statuses.join('\n').toStdString();
    EXPECT_TRUE(statuses.contains(c.status)) << statuses.join('\n').toStdString();
    EXPECT_EQ(db->value("SELECT controle_agenda FROM parametros"),
              QString::number(c.kept.size() + 1));
  }
}

TEST_F(PraxelJob, TheWholeAgendaIsNumberedInDoctorDateAndTimeOrder) {
  // 150 distinct (doctor, date, time) rows, inserted out of order.
  QString data = "BEGIN;";
  for (int i = 0; i < 150; ++i) {
    const int k = (i * 7) % 150;
    data += QStringLiteral(
                "INSERT INTO agenda VALUES (NULL, %1, %2, '1899-12-30 %3:00:00', '', 'Paciente', "
                "NULL);")
                .arg(k % 3 + 1)
                .arg(day((k / 3) % 5))
                .arg(8 + k / 15, 2, 10, QLatin1Char('0'));
  }
  make(data + "COMMIT;", 30);
  runCompleted();
  QStringList expected;
  for (int i = 1; i <= 150; ++i) expected << QString::number(i);
  EXPECT_EQ(col("SELECT contador FROM agenda ORDER BY codmedico, data, hora"), expected);
  EXPECT_EQ(db->value("SELECT controle_agenda FROM parametros"), "151");
  const QStringList counters = statuses.filter("Refazendo");
  ASSERT_EQ(counters.size(), 150);
  EXPECT_EQ(counters.first(), "Aguarde... Refazendo Controle da Agenda. 00002 de 00150");
  EXPECT_EQ(counters.last(), "Aguarde... Refazendo Controle da Agenda. 00151 de 00150");
  EXPECT_EQ(steps.last(), "Etapa 06 de 06");
  EXPECT_EQ(db->rows("SELECT data_atualizacao, hora_atualizacao FROM parametros"),
            QStringList({"10/12/2026|12:00:00"}));
}

TEST_F(PraxelJob, AgendaAgesAreCopiedWhereTheyEqualZero) {
  const QString patients =
      "INSERT INTO paciente VALUES ('001', 'Ana', '1990-03-15 00:00:00', '0');";
  const QString rows = "INSERT INTO agenda VALUES (0, 1, " + day(1) +
                       ", NULL, '001', 'Ana', '0');"
                       "INSERT INTO agenda VALUES (0, 2, " +
                       day(1) +
                       ", NULL, ' 001 ', 'Ana', '0');"
                       "INSERT INTO agenda VALUES (0, 3, " +
                       day(1) +
                       ", NULL, '', 'Sem CPF', '0');"
                       "INSERT INTO agenda VALUES (0, 4, " +
                       day(1) +
                       ", NULL, NULL, 'Nulo', '0');"
                       "INSERT INTO agenda VALUES (0, 5, " +
                       day(1) +
                       ", NULL, '001', 'Ana', NULL);"
                       "INSERT INTO agenda VALUES (0, 6, " +
                       day(1) +
                       ", NULL, '001', 'Ana', 'abc');"
                       "INSERT INTO agenda VALUES (0, 7, " +
                       day(1) + ", NULL, '999', 'Outro', '0');";
  make("INSERT INTO parametros VALUES (30, 7, NULL, NULL);" + patients + rows);
  runCompleted();
  EXPECT_EQ(col("SELECT codmedico || ':' || contador || ':' || ifnull(idade, 'nulo') FROM agenda "
                "ORDER BY codmedico"),
            QStringList({"1:1:" + kAge1990, "2:2:" + kAge1990, "3:3:0", "4:4:0", "5:5:nulo",
                         "6:6:abc", "7:7:0"}));
  EXPECT_TRUE(statuses.contains("Aguarde... Gravando Idade."));
}

TEST_F(PraxelJob, NumericIdadeColumnsKeepWhatTheyCannotHold) {
  const struct {
    QString paciente, agenda, patientAfter, agendaAfter;
  } cases[] = {
      {"VARCHAR(50)", "LONG", kAge1990, "0"},
      {"LONG", "LONG", "41", "41"},
      {"LONG", "VARCHAR(50)", "41", "41"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE((c.paciente + " " + c.agenda).toStdString());
    QString schema = QString::fromLatin1(test::kPraxelSchema);
    schema.replace("dtnasc DATETIME, idade VARCHAR(50)", "dtnasc DATETIME, idade " + c.paciente);
    schema.replace("nome VARCHAR(60), idade VARCHAR(50)", "nome VARCHAR(60), idade " + c.agenda);
    make(
        "INSERT INTO parametros VALUES (30, 7, NULL, NULL);"
        "INSERT INTO paciente VALUES ('001', 'Ana', '1990-03-15 00:00:00', 41);"
        "INSERT INTO agenda VALUES (0, 1, " +
            day(1) + ", NULL, '001', 'Ana', 0);",
        schema);
    runCompleted();
    EXPECT_EQ(db->value("SELECT idade FROM paciente"), c.patientAfter);
    EXPECT_EQ(db->value("SELECT idade || ':' || contador FROM agenda"), c.agendaAfter + ":1");
  }
}

TEST_F(PraxelJob, AnEmptyDatabaseGetsControlNumberOneAndTheWindowCanRunAgain) {
  make("", 30);
  for (int run = 0; run < 2; ++run) {
    SCOPED_TRACE(run);
    clock.set(QDateTime(kToday, QTime(3, 0, run * 10)));
    runCompleted();
    EXPECT_EQ(steps.value(0), "Etapa 01 de 06");
    EXPECT_FALSE(steps.contains("Etapa 06 de 06"));
    EXPECT_EQ(steps.last(), "Etapa 05 de 06");
    EXPECT_EQ(
        db->rows("SELECT controle_agenda, data_atualizacao, hora_atualizacao FROM parametros"),
        QStringList(
            {QStringLiteral("1|10/12/2026|03:00:%1").arg(run * 10, 2, 10, QLatin1Char('0'))}));
    EXPECT_EQ(MaintenanceRunner::loaded("frm_atualiza"), nullptr);
    EXPECT_EQ(desktop::mousePointer(), desktop::vbDefault);
  }
}

TEST_F(PraxelJob, AFailureInTheMiddleKeepsEarlierChangesAndThePreviousStamp) {
  // A control number of three digits does not fit: the walk stops at the 100th row.
  QString schema = QString::fromLatin1(test::kPraxelSchema);
  schema.replace("agenda (contador LONG", "agenda (contador VARCHAR(2)");
  QString data =
      "INSERT INTO parametros VALUES (30, 7, '01/12/2026', '03:00:00');"
      "INSERT INTO paciente VALUES ('001', 'Ana', '1990-03-15 00:00:00', 'antiga');"
      "INSERT INTO agenda VALUES (NULL, 1, " +
      day(-1) +
      ", NULL, NULL, NULL, NULL);"
      "BEGIN;";
  for (int i = 0; i < 120; ++i)
    data += QStringLiteral("INSERT INTO agenda VALUES (NULL, 2, %1, NULL, '', 'Paciente', NULL);")
                .arg(day(1 + i));
  make(data + "COMMIT;", schema);
  const JobOutcome out = run();
  EXPECT_FALSE(out.completed);
  EXPECT_FALSE(out.reason.isEmpty());
  EXPECT_EQ(db->value("SELECT idade FROM paciente"), kAge1990);
  EXPECT_EQ(db->value("SELECT count(*) FROM agenda"), "120");
  EXPECT_EQ(db->rows("SELECT count(contador), max(CAST(contador AS INTEGER)) FROM agenda"),
            QStringList({"99|99"}));
  EXPECT_EQ(db->rows("SELECT controle_agenda, data_atualizacao, hora_atualizacao FROM parametros"),
            QStringList({"7|01/12/2026|03:00:00"}));
  EXPECT_EQ(MaintenanceRunner::loaded("frm_atualiza"), nullptr);
  EXPECT_EQ(desktop::mousePointer(), desktop::vbDefault);
}

// Free slots are purged and the agenda numbered by the dates' values, whatever form another
// program stored each date in; a slot without a date is kept and numbered first.
TEST_F(PraxelJob, StoredDateFormsArePurgedAndNumberedByTheirDates) {
  // cpf names each row: its day (y, t, m) and form; hora orders the rows of one day.
  QString data;
  for (int f = 0; f < 4; ++f)
    for (int d = -1; d <= 1; ++d)
      data += QStringLiteral(
                  "INSERT INTO agenda VALUES (0, 1, %1, '1899-12-30 %2:00:00', "
                  "'%3%4', NULL, NULL);")
                  .arg(test::storedForms(kToday.addDays(d))[f])
                  .arg(10 - f, 2, 10, QLatin1Char('0'))
                  .arg(QChar("ytm"[d + 1]))
                  .arg(f);
  data +=
      "INSERT INTO agenda VALUES (0, 1, '__/__/____', '09:00:00', 'n1', NULL, NULL);"
      "INSERT INTO agenda VALUES (0, 1, '', '1899-12-30 08:00:00', 'n2', NULL, NULL);"
      "INSERT INTO agenda VALUES (0, 1, NULL, '07:00:00', 'n3', NULL, NULL);";
  make(data, 30);
  runCompleted();
  EXPECT_EQ(col("SELECT cpf || ':' || contador FROM agenda ORDER BY contador"),
            QStringList({"n3:1", "n2:2", "n1:3", "t3:4", "t2:5", "t1:6", "t0:7", "m3:8", "m2:9",
                         "m1:10", "m0:11"}));
}

}  // namespace
}  // namespace ark::maintenance
