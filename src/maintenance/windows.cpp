#include "maintenance/frm_atualiza.h"
#include "maintenance/maintenance.h"
#include "maintenance/maintenance_runner.h"

namespace ark::maintenance {

namespace {
template <class Window>
JobOutcome showModal() {
  Window::instance().exec();
  return MaintenanceRunner::lastOutcome();
}
}  // namespace

JobOutcome showMaintenanceWindow(const QString& window) {
  if (window == QLatin1String("frm_atualiza")) return showModal<frm_atualiza>();
  // The NEGOX and VIGO steps are not in this version: their windows are not shown and
  // their databases are left alone.
  if (window == QLatin1String("frmatualizacao"))
    return {false, notAvailableReason(QStringLiteral("NEGOX"))};
  if (window == QLatin1String("frmatualiza"))
    return {false, notAvailableReason(QStringLiteral("VIGO"))};
  return {false, QStringLiteral("Janela de atualização desconhecida: %1").arg(window)};
}

}  // namespace ark::maintenance
