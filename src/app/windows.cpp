#include "app/windows.h"

#include <unistd.h>

#include <QApplication>

#include "app/frmbkp.h"
#include "archive/frmprogresso.h"
#include "archive/run_parameters.h"
#include "maintenance/maintenance.h"
#include "platform/desktop/tray.h"
#include "visits/frmvisita.h"

namespace ark::app {

schedule::RunOutcome runArchive(const schedule::RunParameters& p) {
  archive::BkpArquivo = p.BkpArquivo;
  archive::BkpOrigem = p.BkpOrigem;
  archive::BkpDestino = p.BkpDestino;
  archive::BkpSobrepoe = p.BkpSobrepoe;
  archive::frmprogresso::instance().exec();
  const archive::frmprogresso::Outcome out = archive::frmprogresso::lastOutcome();
  return {out.written, out.reason};
}

void setMaintenanceParameters(const QString& BaseSistema, const QString& CodSistema) {
  maintenance::BaseSistema = BaseSistema;
  maintenance::CodSistema = CodSistema;
}

MaintenanceOutcome runMaintenance(const QString& window) {
  const maintenance::JobOutcome out = maintenance::showMaintenanceWindow(window);
  return {out.completed, out.reason};
}

bool reminderVisible() {
  return visits::frmvisita::instance().isVisible();
}

void showReminder() {
  visits::frmvisita& w = visits::frmvisita::instance();
  w.show();
  w.raise();
  w.activateWindow();
}

void endProcess() {
  if (frmbkp::exists() && frmbkp::instance().TrayIcon1)
    frmbkp::instance().TrayIcon1->setShowIcon(false);
  QApplication::sync();
  ::_exit(0);
}

}  // namespace ark::app
