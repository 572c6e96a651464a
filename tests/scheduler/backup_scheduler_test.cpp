// The backup walk over a real schedule database with a settable clock; the archive run
// is a stand-in that records what it was given and may move the clock on.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include "platform/core/clock.h"
#include "platform/database/database.h"
#include "schedule/backup_scheduler.h"
#include "schedule/job_guard.h"
#include "support/schedule_fixture.h"
#include "support/tempdir.h"

using namespace ark;
using ark::schedule::BackupScheduler;
using ark::schedule::RunOutcome;
using ark::schedule::RunParameters;

namespace {

struct Balloon {
  QString title, text;
  bool error;
};

class BackupWalk : public ::testing::Test {
 protected:
  void SetUp() override {
    dest = tmp.mkdir("destino");
    src = tmp.mkdir("origem");
  }

  void makeDb(const QList<test::BackupRow>& rows) {
    test::createScheduleDb(tmp.file("backupdovral.mdb"), rows);
    tbkp = std::make_unique<db::View>("Tbkp", "Access 2000;pwd=83luas",
                                      "select * from backup order by horabkp");
    tbkp->setDatabaseName(tmp.file("backupdovral.mdb"));
  }

  void tick() {
    BackupScheduler::Hooks hooks;
    hooks.balloon = [this](const QString& t, const QString& x, bool e) {
      balloons.push_back({t, x, e});
    };
    hooks.setHourglass = [this](bool on) { hourglass.push_back(on); };
    hooks.runArchive = [this](const RunParameters& p) {
      runs.push_back(p);
      clockNow.advance(runSeconds);
      if (failNames.contains(p.BkpArquivo)) return RunOutcome{false, "Pasta de origem não encontrada"};
      return RunOutcome{true, {}};
    };
    BackupScheduler(*tbkp, hooks).Timer1_Timer();
  }

  QStringList ranNames() const {
    QStringList out;
    for (const auto& r : runs) out << r.BkpArquivo;
    return out;
  }

  test::TempDir tmp;
  QString dest, src;
  SettableClock clockNow{QDateTime(QDate(2026, 12, 7), QTime(22, 0, 10))};
  ScopedClock scoped{clockNow};
  std::unique_ptr<db::View> tbkp;
  std::vector<RunParameters> runs;
  std::vector<Balloon> balloons;
  std::vector<bool> hourglass;
  int runSeconds = 1;
  QStringList failNames;
};

TEST_F(BackupWalk, NoRowInTheHourDoesNothing) {
  makeDb({{"21:00:00", "a", src, dest}, {"23:00:00", "b", src, dest}});
  tick();
  EXPECT_TRUE(runs.empty());
  EXPECT_TRUE(balloons.empty());
  EXPECT_EQ(tbkp->recordSource(), "Select * from backup where hour(horabkp) = 22 order by horabkp");
}

TEST_F(BackupWalk, RowsOfOneMinuteRunInTimeOrderWithTheirParameters) {
  makeDb({{"22:00:40", "segundo", src, dest, true}, {"22:00:00", "primeiro", src, dest, false}});
  tick();
  ASSERT_EQ(ranNames(), QStringList({"primeiro", "segundo"}));
  EXPECT_EQ(runs[0].BkpOrigem, src);
  EXPECT_EQ(runs[0].BkpDestino, dest + "/122026");
  EXPECT_FALSE(runs[0].BkpSobrepoe);
  EXPECT_TRUE(runs[1].BkpSobrepoe);
  ASSERT_EQ(balloons.size(), 4u);
  EXPECT_EQ(balloons[0].title, "Efetuando Backup!");
  EXPECT_EQ(balloons[0].text, "Aguarde... ");
  EXPECT_EQ(balloons[1].title, "Backup Efetuado com Sucesso.");
  EXPECT_EQ(balloons[1].text, "");
  EXPECT_FALSE(balloons[1].error);
  EXPECT_EQ(hourglass, std::vector<bool>({true, false, true, false}));
}

TEST_F(BackupWalk, EachRowIsComparedWithTheClockAgain) {
  // The 22:00 run lasts until 22:01:20: the 22:00:30 row has missed its minute and the
  // 22:01 row has reached its own.
  makeDb({{"22:00:00", "longo", src, dest},
          {"22:00:30", "perdido", src, dest},
          {"22:01:00", "seguinte", src, dest}});
  runSeconds = 70;
  tick();
  EXPECT_EQ(ranNames(), QStringList({"longo", "seguinte"}));
}

TEST_F(BackupWalk, RowsOfTheNewHourWaitForLaterTicks) {
  makeDb({{"23:59:00", "noite", src, dest}, {"00:00:00", "meianoite", src, dest}});
  clockNow.set(QDateTime(QDate(2026, 12, 7), QTime(23, 59, 5)));
  runSeconds = 120;
  tick();
  EXPECT_EQ(ranNames(), QStringList({"noite"}));
}

TEST_F(BackupWalk, MonthFolderIsCreatedOnceAndReused) {
  makeDb({{"22:00:00", "diario", src, dest}});
  tick();
  ASSERT_TRUE(QDir(dest + "/122026").exists());
  QFile marker(dest + "/122026/antigo.zip");
  ASSERT_TRUE(marker.open(QIODevice::WriteOnly));
  marker.close();
  tick();
  EXPECT_EQ(runs.size(), 2u);
  EXPECT_TRUE(QFile::exists(dest + "/122026/antigo.zip"));
}

TEST_F(BackupWalk, AFailedRowIsReportedAndTheNextStillRuns) {
  makeDb({{"22:00:00", "falha", src, dest}, {"22:00:20", "bom", src, dest}});
  failNames << "falha";
  tick();
  EXPECT_EQ(ranNames(), QStringList({"falha", "bom"}));
  ASSERT_EQ(balloons.size(), 4u);
  EXPECT_EQ(balloons[1].title, "Falha no Backup!");
  EXPECT_TRUE(balloons[1].error);
  EXPECT_EQ(balloons[1].text, "falha: Pasta de origem não encontrada");
  EXPECT_EQ(balloons[3].title, "Backup Efetuado com Sucesso.");
}

TEST_F(BackupWalk, RowsThatCannotBeRunAreReportedWithoutARun) {
  const QString fileInTheWay = tmp.mkdir("ocupado");
  QFile f(fileInTheWay + "/122026");
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.close();
  makeDb({{"22:00:00", "semPai", src, tmp.file("nao/existe")},
          {"22:00:10", "arquivo", src, fileInTheWay},
          {"22:00:20", "bom", src, dest}});
  test::execSql(tmp.file("backupdovral.mdb"),
                "INSERT INTO backup VALUES ('1899-12-30 22:00:30', NULL, '/x', '/y', 0)");
  tick();
  EXPECT_EQ(ranNames(), QStringList({"bom"}));
  int failures = 0;
  for (const auto& b : balloons) failures += b.error ? 1 : 0;
  EXPECT_EQ(failures, 3);
  EXPECT_EQ(hourglass.back(), false);
}

TEST_F(BackupWalk, NoRunWhileAnotherJobIsInProgress) {
  makeDb({{"22:00:00", "diario", src, dest}});
  {
    schedule::JobGuard busy;
    tick();
  }
  EXPECT_TRUE(runs.empty());
  tick();
  EXPECT_EQ(runs.size(), 1u);
}

TEST(BackupDecisions, MonthFolderJoinsMonthAndYearWithoutSeparatorTest) {
  EXPECT_EQ(schedule::monthFolder("/backup", QDate(2026, 3, 1)), "/backup/032026");
  EXPECT_EQ(schedule::monthFolder("/", QDate(2026, 12, 31)), "//122026");
}

}  // namespace
