// The backup walk over a real schedule database with a settable clock; the archive run
// is a stand-in that records what it was given and may move the clock on.
#include "schedule/backup_scheduler.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <functional>
#include <iostream>
#include <optional>

#include "platform/core/clock.h"
#include "platform/database/database.h"
#include "schedule/job_guard.h"
#include "support/locked_folder.h"
#include "support/schedule_fixture.h"
#include "support/tempdir.h"

// Readable failures (in every file of this test binary, so that all print alike).
inline void PrintTo(const QString& s, std::ostream* os) {
  *os << '"' << s.toStdString() << '"';
}

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
      if (duringRun) duringRun();
      if (failNames.contains(p.BkpArquivo))
        return RunOutcome{false, "Pasta de origem não encontrada"};
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
  std::function<void()> duringRun;
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
  ASSERT_EQ(balloons.size(), 5u);
  EXPECT_EQ(balloons[1].title, "Falha no Backup!");
  EXPECT_TRUE(balloons[1].error);
  EXPECT_EQ(balloons[1].text, "falha: Pasta de origem não encontrada");
  EXPECT_EQ(balloons[3].title, "Backup Efetuado com Sucesso.");
  // The success balloon replaced the failure: it is shown again at the end.
  EXPECT_EQ(balloons[4].title, "Falha no Backup!");
  EXPECT_EQ(balloons[4].text, "falha: Pasta de origem não encontrada");
  EXPECT_TRUE(balloons[4].error);
}

TEST_F(BackupWalk, FailuresHiddenByLaterBalloonsAreListedAtTheEndOfTheTick) {
  const struct {
    const char* name;
    QStringList fail;
    const char* summary;  // nullptr: no closing balloon
  } cases[] = {
      {"all written", {}, nullptr},
      {"only the last row fails", {"c"}, nullptr},
      {"the first row fails", {"a"}, "a: Pasta de origem não encontrada"},
      {"the middle row fails", {"b"}, "b: Pasta de origem não encontrada"},
      {"first and last fail",
       {"a", "c"},
       "a: Pasta de origem não encontrada\nc: Pasta de origem não encontrada"},
      {"all fail",
       {"a", "b", "c"},
       "a: Pasta de origem não encontrada\nb: Pasta de origem não encontrada\n"
       "c: Pasta de origem não encontrada"},
  };
  makeDb(
      {{"22:00:00", "a", src, dest}, {"22:00:10", "b", src, dest}, {"22:00:20", "c", src, dest}});
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    clockNow.set(QDateTime(QDate(2026, 12, 7), QTime(22, 0, 10)));
    balloons.clear();
    runs.clear();
    failNames = c.fail;
    tick();
    ASSERT_EQ(ranNames(), QStringList({"a", "b", "c"}));
    ASSERT_EQ(balloons.size(), c.summary ? 7u : 6u);
    // Each row keeps its own pair of balloons.
    for (int i = 0; i < 3; ++i) {
      const QString name = runs[i].BkpArquivo;
      EXPECT_EQ(balloons[2 * i].title, "Efetuando Backup!");
      const Balloon& after = balloons[2 * i + 1];
      if (c.fail.contains(name)) {
        EXPECT_EQ(after.title, "Falha no Backup!");
        EXPECT_EQ(after.text, name + ": Pasta de origem não encontrada");
        EXPECT_TRUE(after.error);
      } else {
        EXPECT_EQ(after.title, "Backup Efetuado com Sucesso.");
      }
    }
    if (c.summary) {
      EXPECT_EQ(balloons[6].title, "Falha no Backup!");
      EXPECT_EQ(balloons[6].text, QString::fromUtf8(c.summary));
      EXPECT_TRUE(balloons[6].error);
    }
  }
}

TEST_F(BackupWalk, AWalkFailureAfterAFailedRowListsBoth) {
  makeDb({{"22:00:00", "falha", src, dest}});
  failNames << "falha";
  duringRun = [this] { test::execSql(tmp.file("backupdovral.mdb"), "DROP TABLE backup"); };
  tick();
  ASSERT_EQ(balloons.size(), 4u);
  EXPECT_EQ(balloons[1].text, "falha: Pasta de origem não encontrada");
  // The walk's own failure (the hour query opened again) replaced the row's.
  EXPECT_TRUE(balloons[2].error);
  EXPECT_FALSE(balloons[2].text.isEmpty());
  EXPECT_EQ(balloons[3].title, "Falha no Backup!");
  EXPECT_EQ(balloons[3].text, balloons[1].text + "\n" + balloons[2].text);
  EXPECT_TRUE(balloons[3].error);
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
  QStringList failures;
  for (const auto& b : balloons)
    if (b.error) failures << b.text;
  // Three rows, and the closing list of the two whose balloons later ones replaced.
  ASSERT_EQ(failures.size(), 4);
  EXPECT_EQ(failures[0], "semPai: Pasta de destino não encontrada: " + tmp.file("nao/existe"));
  EXPECT_EQ(failures[1], "arquivo: Já existe um arquivo com o nome da pasta do mês: " +
                             fileInTheWay + "/122026");
  EXPECT_TRUE(failures[2].startsWith("22:00: ")) << failures[2].toStdString();
  EXPECT_EQ(failures[3], failures[0] + "\n" + failures[1] + "\n" + failures[2]);
  EXPECT_EQ(hourglass.back(), false);
}

TEST(BackupDecisions, MonthFolderFailuresSayWhy) {
  test::TempDir tmp;
  const QString longName = tmp.file(QString(300, 'd'));
  const struct {
    const char* name;
    QString destino;
    QString reason;
  } cases[] = {
      {"missing destination", tmp.file("nao/existe"),
       "Pasta de destino não encontrada: " + tmp.file("nao/existe")},
      {"destination name too long", longName,
       "Não foi possível criar a pasta do mês: " + longName + "/122026 (nome longo demais)"},
      {"destination refuses new folders", tmp.mkdir("fechada"),
       "Não foi possível criar a pasta do mês: " + tmp.file("fechada") +
           "/122026 (permissão negada)"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::optional<test::LockedFolder> locked;
    if (QByteArray(c.name) == "destination refuses new folders" &&
        !locked.emplace(c.destino).locked()) {
      std::cout << "[ SKIPPED  ] " << c.name << ": not possible on this machine\n";
      continue;
    }
    EXPECT_EQ(schedule::ensureMonthFolder(schedule::monthFolder(c.destino, QDate(2026, 12, 7))),
              c.reason);
  }
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
