#include "maintenance/frmatualiza.h"

#include "platform/core/runtime_error.h"
#include "platform/database/database.h"

namespace ark::maintenance {

namespace {
RunnerLayout vigoLayout() {
  RunnerLayout l;
  l.form = QStringLiteral("frmatualiza");
  l.systemCode = QStringLiteral("VIGO");
  l.databaseFile = QStringLiteral("ocupax.mdb");
  l.steps = 15;
  l.logo = QStringLiteral("Image2");
  l.stepLabel = QStringLiteral("lbletapa");
  l.statusLabel = QStringLiteral("lbl");
  l.description =
      QStringLiteral("Status do Atendimento: Pendente, Restrito, Bloqueado, Vencido ou Liberado.");
  l.fillColor = 0x00008000;
  return l;
}
}  // namespace

frmatualiza::frmatualiza() : MaintenanceRunner(vigoLayout()) {}

frmatualiza& frmatualiza::instance() {
  if (auto* w = qobject_cast<frmatualiza*>(loaded(QStringLiteral("frmatualiza")))) return *w;
  auto* w = new frmatualiza;
  w->Form_Load();
  return *w;
}

void frmatualiza::runJob() {
  throw RuntimeError(errors::kDatabase, notAvailableReason(QStringLiteral("VIGO")));
}

}  // namespace ark::maintenance
