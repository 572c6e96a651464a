#include "maintenance/maintenance.h"

namespace ark::maintenance {

JobOutcome showMaintenanceWindow(const QString& window) {
  return {false, QStringLiteral("Janela de atualização indisponível: %1").arg(window)};
}

}  // namespace ark::maintenance
