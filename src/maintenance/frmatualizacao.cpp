#include "maintenance/frmatualizacao.h"

#include "platform/core/runtime_error.h"
#include "platform/database/database.h"

namespace ark::maintenance {

namespace {
RunnerLayout negoxLayout() {
  RunnerLayout l;
  l.form = QStringLiteral("frmatualizacao");
  l.systemCode = QStringLiteral("NEGOX");
  l.databaseFile = QStringLiteral("negox.mdb");
  l.steps = 9;
  l.logo = QStringLiteral("isis(8)");
  l.stepLabel = QStringLiteral("lbl");
  l.statusLabel = QStringLiteral("lblstatus");
  l.recordLabel = true;
  l.fillColor = 0x00808080;
  return l;
}
}  // namespace

frmatualizacao::frmatualizacao() : MaintenanceRunner(negoxLayout()) {}

frmatualizacao& frmatualizacao::instance() {
  if (auto* w = qobject_cast<frmatualizacao*>(loaded(QStringLiteral("frmatualizacao")))) return *w;
  auto* w = new frmatualizacao;
  w->Form_Load();
  return *w;
}

void frmatualizacao::runJob() {
  throw RuntimeError(errors::kDatabase, notAvailableReason(QStringLiteral("NEGOX")));
}

}  // namespace ark::maintenance
