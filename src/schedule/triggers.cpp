#include "schedule/triggers.h"

#include <QFileInfo>

#include "platform/core/clock.h"
#include "platform/core/runtime.h"
#include "platform/database/database.h"
#include "schedule/job_guard.h"

namespace ark::schedule {

bool ArquivoExiste(const QString& path) {
  if (path.isEmpty()) return false;
  return QFileInfo::exists(path);
}

std::optional<SystemEntry> systemFor(const QString& code) {
  static const SystemEntry table[] = {
      {QStringLiteral("NEGOX"), QStringLiteral("negox.mdb"), QStringLiteral("frmatualizacao")},
      {QStringLiteral("VIGO"), QStringLiteral("ocupax.mdb"), QStringLiteral("frmatualiza")},
      {QStringLiteral("PRAXEL"), QStringLiteral("praxel.mdb"), QStringLiteral("frm_atualiza")},
  };
  for (const SystemEntry& e : table)
    if (e.code == code) return e;
  return std::nullopt;
}

void MaintenanceTrigger::Timer2_Timer() {
  if (JobGuard::busy()) return;
  Tpc_.Refresh();
  db::Recordset& rs = Tpc_.recordset();
  if (rs.Eof()) return;
  const Value hora = rs.field(QStringLiteral("hora_atualizacao"));
  if (!rt::IsDate(hora)) return;
  if (rt::Format(rt::Now(), QStringLiteral("hh:mm")) != rt::Format(hora, QStringLiteral("hh:mm")))
    return;
  const Value base = rs.field(QStringLiteral("base"));
  const Value sistema = rs.field(QStringLiteral("sistema"));
  if (base.isNull() || sistema.isNull()) return;
  const QString BaseSistema = rt::CStr(base);
  const QString CodSistema = rt::CStr(sistema);
  hooks_.setParameters(BaseSistema, CodSistema);
  const std::optional<SystemEntry> entry = systemFor(CodSistema);
  if (!entry) return;
  // No separator is added: the base folder carries its own.
  if (!ArquivoExiste(BaseSistema + entry->file)) return;
  JobGuard guard;
  hooks_.showWindow(*entry);
}

void VisitTrigger::Timer3_Timer() {
  if (JobGuard::busy()) return;
  Tpc_.Refresh();
  db::Recordset& rs = Tpc_.recordset();
  if (rs.Eof()) return;
  if (!rt::Eq(rs.field(QStringLiteral("contrato")), Value(true))) return;
  const Value data = rs.field(QStringLiteral("data_visita"));
  if (!rt::IsDate(data)) return;
  const int day = rt::Day(data);
  if (day < 25 || day > 30) return;
  if (rt::DateValue(rt::CStr(data)).serial() != rt::DateValue(rt::CStr(rt::Date())).serial())
    return;
  if (rt::Format(rt::Now(), QStringLiteral("hh")) !=
      rt::Format(rs.field(QStringLiteral("hora_visita")), QStringLiteral("hh")))
    return;
  if (hooks_.reminderVisible()) return;
  hooks_.showReminder();
}

}  // namespace ark::schedule
