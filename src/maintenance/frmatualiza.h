#pragma once
// The VIGO maintenance window over "ocupax.mdb": its layout and its ten data sources.
#include "maintenance/maintenance_runner.h"

namespace ark::maintenance {

class frmatualiza : public MaintenanceRunner {
  Q_OBJECT

 public:
  static frmatualiza& instance();

  db::View& Taso = dataSource(QStringLiteral("Taso"), QStringLiteral("aso"));
  db::View& Temp = dataSource(QStringLiteral("Temp"), QStringLiteral("empregado"));
  db::View& Tagenda = dataSource(QStringLiteral("Tagenda"), QStringLiteral("agenda"));
  db::View& Tnat = dataSource(QStringLiteral("Tnat"), QStringLiteral("natureza_exame"));
  db::View& Tempemp = dataSource(QStringLiteral("Tempemp"), QStringLiteral("empregado_empresa"));
  db::View& Tagendatrei =
      dataSource(QStringLiteral("Tagendatrei"), QStringLiteral("agenda_treinamento"));
  db::View& Ttreinaemp =
      dataSource(QStringLiteral("Ttreinaemp"), QStringLiteral("agenda_treinamento_empresa"));
  db::View& Treinainst =
      dataSource(QStringLiteral("Treinainst"), QStringLiteral("agenda_treinamento_instrutor"));
  db::View& Tpresenca =
      dataSource(QStringLiteral("Tpresenca"), QStringLiteral("treinamentos_presenca"));
  db::View& bdparam = dataSource(QStringLiteral("bdparam"), QStringLiteral("parametros"));

 protected:
  void runJob() override;

 private:
  frmatualiza();
};

}  // namespace ark::maintenance
