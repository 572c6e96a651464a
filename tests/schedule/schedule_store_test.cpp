// The schedule database's path and the views that open it.
#include "schedule/schedule_store.h"

#include <gtest/gtest.h>

namespace ark::schedule {
namespace {

TEST(ScheduleStore, PathJoinsTheFolderWithoutLookingAtItsEnd) {
  EXPECT_EQ(scheduleDatabasePath(QStringLiteral("/opt/Dovral Backup")),
            QStringLiteral("/opt/Dovral Backup/backupdovral.mdb"));
  EXPECT_EQ(scheduleDatabasePath(QStringLiteral("/")), QStringLiteral("//backupdovral.mdb"));
}

TEST(ScheduleStore, TheFiveViewsAsDesigned) {
  struct Case {
    std::unique_ptr<db::View> view;
    const char* name;
    const char* connect;
    const char* source;
  } cases[] = {
      {frmbkpTpc(), "Tpc", "Access 2000;", "pcs"},
      {frmbkpTbkp(), "Tbkp", "Access 2000;pwd=83luas", "select * from backup order by horabkp"},
      {frmbkpBdbkp(), "bdbkp", "Access 2000;pwd=83luas", "select * from backup order by horabkp"},
      {frmsobreTpc(), "Tpc", "Access 2000;pwd=83luas", "pcs"},
      {frmvisitaTpc(), "Tpc", "Access 2000;", "pcs"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.view->name(), QString::fromUtf8(c.name));
    EXPECT_EQ(c.view->connect(), QString::fromUtf8(c.connect));
    EXPECT_EQ(c.view->recordSource(), QString::fromUtf8(c.source));
    EXPECT_TRUE(c.view->databaseName().isEmpty());
    EXPECT_FALSE(c.view->isOpen());
  }
}

}  // namespace
}  // namespace ark::schedule
