#include "maintenance/frmatualiza.h"

#include <QLabel>

#include "platform/core/runtime.h"
#include "platform/database/database.h"
#include "platform/desktop/controls.h"

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
  bdparam.Refresh();
  dias_agenda = bdparam.recordset().field(QStringLiteral("dias_agenda"));
  cpfsBloqueados.clear();
  etapa1();
  etapa2();
  etapa3();
  etapas4a12();
  etapa13();
  etapa14();
  etapa15();
  stampRun();
}

void frmatualiza::stampRun() {
  // The row dias_agenda was read from; not refreshed again.
  stamp(bdparam, {{QStringLiteral("data_atualizacao_idade"),
                   rt::Format(rt::Date(), QStringLiteral("dd/mm/yyyy"))},
                  {QStringLiteral("hora_atualizacao_idade"),
                   rt::Format(rt::Time(), QStringLiteral("hh:mm:ss"))}});
}

void frmatualiza::setStatusColor(quint32 bgr) {
  QPalette p = statusLabel->palette();
  p.setColor(QPalette::WindowText, desktop::oleColor(bgr));
  statusLabel->setPalette(p);
}

Value frmatualiza::diasDesde(const Value& d) {
  return rt::Sub(rt::DateValue(rt::Date()), rt::DateValue(d));
}

}  // namespace ark::maintenance
