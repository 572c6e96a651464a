#pragma once
// The schedule database: its file in the program folder, and the views that open it.
#include <QString>
#include <memory>

#include "platform/database/database.h"

namespace ark::schedule {

// The program folder followed by the separator and "backupdovral.mdb" (no test for a
// separator already at the end of the folder).
QString scheduleDatabasePath(const QString& programFolder);

// The splash window's fixed file, whatever the program folder is.
inline const QString kSplashDatabasePath =
    QStringLiteral("/Arquivos de Programas/Dovral Backup/backupdovral.mdb");

inline const QString kConnectPlain = QStringLiteral("Access 2000;");
inline const QString kConnectPassword = QStringLiteral("Access 2000;pwd=83luas");

inline const QString kSourcePcs = QStringLiteral("pcs");
inline const QString kSourceBackup = QStringLiteral("select * from backup order by horabkp");

// The five views on the schedule database, as their windows are designed; the windows
// set the database file.
std::unique_ptr<db::View> frmbkpTpc();     // "Tpc", plain connect, "pcs"
std::unique_ptr<db::View> frmbkpTbkp();    // "Tbkp", with password, the schedule in time order
std::unique_ptr<db::View> frmbkpBdbkp();   // "bdbkp", with password, the schedule in time order
std::unique_ptr<db::View> frmsobreTpc();   // "Tpc", with password, "pcs"
std::unique_ptr<db::View> frmvisitaTpc();  // "Tpc", plain connect, "pcs"

}  // namespace ark::schedule
