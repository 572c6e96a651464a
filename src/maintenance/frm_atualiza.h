#pragma once
// The PRAXEL maintenance window: ages of the patients, missing names from the agenda,
// old agenda rows removed, the agenda renumbered, and the stamp in parametros.
#include "maintenance/maintenance_runner.h"
#include "platform/core/value.h"

namespace ark::maintenance {

class frm_atualiza : public MaintenanceRunner {
  Q_OBJECT

 public:
  // The single instance, created and loaded on first use; it unloads itself after its job.
  static frm_atualiza& instance();

  db::View& Tagenda = dataSource(QStringLiteral("Tagenda"), QStringLiteral("agenda"));
  db::View& Ttransacao = dataSource(QStringLiteral("Ttransacao"), QStringLiteral("transacao"));
  db::View& Tparam = dataSource(QStringLiteral("Tparam"), QStringLiteral("parametros"));
  db::View& Tpac =
      dataSource(QStringLiteral("Tpac"), QStringLiteral("select * from paciente order by cpf"));

 protected:
  void runJob() override;

 private:
  frm_atualiza();
  void etapa1();
  void etapa2();
  void etapa3();
  void etapa4();
  void etapa5();
  void etapa6();

  Value dias_agenda;
  qint64 contador = 1;
};

}  // namespace ark::maintenance
