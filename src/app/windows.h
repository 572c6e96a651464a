#pragma once
// What the main window's timers start: the archive run, the maintenance windows, the
// visit reminder, and the end of the process.
#include <QString>

#include "schedule/backup_scheduler.h"

namespace ark::app {

// Hands the run parameters to the archive window and shows it modally.
schedule::RunOutcome runArchive(const schedule::RunParameters& p);

void setMaintenanceParameters(const QString& BaseSistema, const QString& CodSistema);
struct MaintenanceOutcome {
  bool completed = true;
  QString reason;
};
// Shows the named maintenance window modally; returns when it has unloaded itself.
MaintenanceOutcome runMaintenance(const QString& window);

// Reading the reminder's visibility loads it, as the trigger expects.
bool reminderVisible();
void showReminder();

// Ends the process at once, the tray icon removed first.
[[noreturn]] void endProcess();

}  // namespace ark::app
