#include "maintenance/frm_atualiza.h"
#include "maintenance/frmatualiza.h"
#include "maintenance/frmatualizacao.h"
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
  if (window == QLatin1String("frmatualizacao")) return showModal<frmatualizacao>();
  if (window == QLatin1String("frmatualiza")) return showModal<frmatualiza>();
  return {false, QStringLiteral("Janela de atualização desconhecida: %1").arg(window)};
}

}  // namespace ark::maintenance
