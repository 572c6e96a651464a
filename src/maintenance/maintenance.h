#pragma once
// The maintenance jobs as the trigger starts them.
#include <QString>

namespace ark::maintenance {

// Process-wide: set by the maintenance trigger from pcs.base and pcs.sistema.
inline QString BaseSistema;
inline QString CodSistema;

struct JobOutcome {
  bool completed = false;
  QString reason;  // why the job stopped, when it did not complete
};

// Creates the named window ("frmatualizacao", "frmatualiza", "frm_atualiza"), shows it
// modally and returns once it has run its job and unloaded itself.
JobOutcome showMaintenanceWindow(const QString& window);

}  // namespace ark::maintenance
