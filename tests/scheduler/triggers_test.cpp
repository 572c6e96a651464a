// The maintenance and visit triggers' decisions over a real installation record.
#include "schedule/triggers.h"

#include <gtest/gtest.h>

#include <QFile>

#include "platform/core/clock.h"
#include "platform/database/database.h"
#include "schedule/job_guard.h"
#include "support/schedule_fixture.h"
#include "support/tempdir.h"

// Readable failures (in every file of this test binary, so that all print alike).
inline void PrintTo(const QString& s, std::ostream* os) {
  *os << '"' << s.toStdString() << '"';
}

using namespace ark;

namespace {

QString pcsRow(const QString& sistema, const QString& base, const QString& hora,
               const QString& contrato = "1", const QString& dataVisita = "'2026-12-25 00:00:00'",
               const QString& horaVisita = "'1899-12-30 10:00:00'") {
  return QStringLiteral("%1,%2,%3,%4,%5,%6,'Loja','123','PC'")
      .arg(sistema, base, hora, contrato, dataVisita, horaVisita);
}

class Triggers : public ::testing::Test {
 protected:
  void makeDb(const QString& pcs) {
    test::createScheduleDb(tmp.file("backupdovral.mdb"), {}, pcs);
    tpc = std::make_unique<db::View>("Tpc", "Access 2000;", "pcs");
    tpc->setDatabaseName(tmp.file("backupdovral.mdb"));
  }
  QStringList maintenance() {
    QStringList shown;
    schedule::MaintenanceTrigger::Hooks h;
    h.setParameters = [this](const QString& b, const QString& c) {
      base = b;
      code = c;
    };
    h.showWindow = [&](const schedule::SystemEntry& e) { shown << e.window; };
    schedule::MaintenanceTrigger(*tpc, h).Timer2_Timer();
    return shown;
  }
  int visits(bool visible = false) {
    int shown = 0;
    schedule::VisitTrigger::Hooks h;
    h.reminderVisible = [visible] { return visible; };
    h.showReminder = [&] { ++shown; };
    schedule::VisitTrigger(*tpc, h).Timer3_Timer();
    return shown;
  }
  test::TempDir tmp;
  SettableClock clockNow{QDateTime(QDate(2026, 12, 25), QTime(3, 0, 40))};
  ScopedClock scoped{clockNow};
  std::unique_ptr<db::View> tpc;
  QString base, code;
};

TEST_F(Triggers, MaintenanceStartsTheInstalledSystemsWindow) {
  const QString folder = tmp.mkdir("Sistema Praxel/Base") + "/";
  QFile(folder + "praxel.mdb").open(QIODevice::WriteOnly);
  QFile(folder + "negox.mdb").open(QIODevice::WriteOnly);
  struct Case {
    QString sistema, base, hora;
    QStringList shown;
  } cases[] = {
      {"'PRAXEL'", "'" + folder + "'", "'1899-12-30 03:00:59'", {"frm_atualiza"}},
      {"'NEGOX'", "'" + folder + "'", "'1899-12-30 03:00:00'", {"frmatualizacao"}},
      {"'praxel'", "'" + folder + "'", "'1899-12-30 03:00:00'", {}},             // case counts
      {"'VIGO'", "'" + folder + "'", "'1899-12-30 03:00:00'", {}},               // no ocupax.mdb
      {"'PRAXEL'", "'" + folder.chopped(1) + "'", "'1899-12-30 03:00:00'", {}},  // no final /
      {"'PRAXEL'", "'" + folder + "'", "'1899-12-30 03:01:00'", {}},             // another minute
      {"'PRAXEL'", "'" + folder + "'", "NULL", {}},
      {"'PRAXEL'", "'" + folder + "'", "'03:0_:__'", {}},  // not a time
      {"NULL", "'" + folder + "'", "'1899-12-30 03:00:00'", {}},
      {"'PRAXEL'", "NULL", "'1899-12-30 03:00:00'", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE((c.sistema + " " + c.base + " " + c.hora).toStdString());
    QFile::remove(tmp.file("backupdovral.mdb"));
    makeDb(pcsRow(c.sistema, c.base, c.hora));
    EXPECT_EQ(maintenance(), c.shown);
  }
}

TEST_F(Triggers, MaintenanceSetsBaseAndCodeAndWaitsWhileAJobRuns) {
  const QString folder = tmp.mkdir("base") + "/";
  QFile(folder + "praxel.mdb").open(QIODevice::WriteOnly);
  makeDb(pcsRow("'PRAXEL'", "'" + folder + "'", "'1899-12-30 03:00:00'"));
  {
    schedule::JobGuard busy;
    EXPECT_TRUE(maintenance().isEmpty());
  }
  EXPECT_EQ(maintenance(), QStringList{"frm_atualiza"});
  EXPECT_EQ(base, folder);
  EXPECT_EQ(code, "PRAXEL");
}

TEST_F(Triggers, VisitReminderOnItsDateAndHour) {
  struct Case {
    QDateTime now;
    QString contrato, data, hora;
    int shown;
  } cases[] = {
      {{{2026, 12, 25}, {10, 30}}, "1", "'2026-12-25 00:00:00'", "'1899-12-30 10:00:00'", 1},
      {{{2026, 11, 30}, {10, 0}}, "1", "'2026-11-30 00:00:00'", "'1899-12-30 10:59:00'", 1},
      {{{2026, 12, 31}, {10, 0}}, "1", "'2026-12-31 00:00:00'", "'1899-12-30 10:00:00'", 0},
      {{{2026, 12, 24}, {10, 0}}, "1", "'2026-12-24 00:00:00'", "'1899-12-30 10:00:00'", 0},
      {{{2026, 12, 25}, {11, 0}}, "1", "'2026-12-25 00:00:00'", "'1899-12-30 10:00:00'", 0},
      {{{2026, 12, 26}, {10, 0}}, "1", "'2026-12-25 00:00:00'", "'1899-12-30 10:00:00'", 0},
      {{{2026, 12, 25}, {10, 0}}, "0", "'2026-12-25 00:00:00'", "'1899-12-30 10:00:00'", 0},
      {{{2026, 12, 25}, {10, 0}}, "NULL", "'2026-12-25 00:00:00'", "'1899-12-30 10:00:00'", 0},
      {{{2026, 12, 25}, {10, 0}}, "1", "NULL", "'1899-12-30 10:00:00'", 0},
      {{{2026, 12, 25}, {10, 0}}, "1", "'não é data'", "'1899-12-30 10:00:00'", 0},
      {{{2026, 12, 25}, {0, 15}}, "1", "'2026-12-25 00:00:00'", "'1899-12-31 00:30:00'", 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE((c.now.toString() + " " + c.contrato + " " + c.data + " " + c.hora).toStdString());
    QFile::remove(tmp.file("backupdovral.mdb"));
    clockNow.set(c.now);
    makeDb(pcsRow("'PRAXEL'", "'/'", "NULL", c.contrato, c.data, c.hora));
    EXPECT_EQ(visits(), c.shown);
  }
}

TEST_F(Triggers, AVisibleReminderIsNotShownAgain) {
  makeDb(pcsRow("'PRAXEL'", "'/'", "NULL"));
  clockNow.set(QDateTime(QDate(2026, 12, 25), QTime(10, 5)));
  EXPECT_EQ(visits(false), 1);
  EXPECT_EQ(visits(true), 0);
}

TEST(ArquivoExiste, FilesAndFoldersExistOthersDoNot) {
  test::TempDir tmp;
  QFile(tmp.file("a.mdb")).open(QIODevice::WriteOnly);
  EXPECT_TRUE(schedule::ArquivoExiste(tmp.file("a.mdb")));
  EXPECT_TRUE(schedule::ArquivoExiste(tmp.path()));
  EXPECT_FALSE(schedule::ArquivoExiste(tmp.file("b.mdb")));
  EXPECT_FALSE(schedule::ArquivoExiste(""));
}

}  // namespace
