#include "maintenance/frmatualizacao.h"

#include <QRegularExpression>

#include "platform/core/runtime.h"
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
  using Step = void (frmatualizacao::*)();
  static constexpr Step steps[] = {&frmatualizacao::etapa1, &frmatualizacao::etapa2,
                                   &frmatualizacao::etapa3, &frmatualizacao::etapa4,
                                   &frmatualizacao::etapa5, &frmatualizacao::etapa6,
                                   &frmatualizacao::etapa7, &frmatualizacao::etapa8,
                                   &frmatualizacao::etapa9, &frmatualizacao::fechamento};
  for (int i = 0; i < int(std::size(steps)); ++i) {
    try {
      (this->*steps[i])();
    } catch (const RuntimeError& e) {
      // The report says where the job stopped; what was written stays written.
      const QString where =
          i < 9 ? QStringLiteral("Etapa %1 de 09").arg(i + 1, 2, 10, QLatin1Char('0'))
                : QStringLiteral("Fechamento");
      throw RuntimeError(e.number(), where + QStringLiteral(": ") + e.message());
    }
  }
}

void frmatualizacao::fechamento() {
  // bdparam still stands on the first row of parametros, where step 5 left it.
  stamp(bdparam, {{QStringLiteral("data"), rt::Format(rt::Date(), QStringLiteral("dd/mm/yyyy"))},
                  {QStringLiteral("hora"), rt::Format(rt::Time(), QStringLiteral("hh:mm:ss"))},
                  {QStringLiteral("usuario"), Value::null()}});
}

Value frmatualizacao::dateOf(const Value& v) {
  return rt::DateValue(Value(rt::CStr(v)));
}

QString frmatualizacao::bareNumber(const Value& v, const QString& field) {
  if (v.isNull()) throw errors::invalidUseOfNull(field);
  const QString text = rt::Trim(v);
  static const QRegularExpression plain(QStringLiteral("^[+-]?[0-9]+$"));
  if (!rt::IsNumeric(v) || !plain.match(text).hasMatch())
    throw errors::typeMismatch(field + QStringLiteral(": \"") + text +
                               QStringLiteral("\" não é um número"));
  return text;
}

}  // namespace ark::maintenance
