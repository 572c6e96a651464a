#pragma once
// The VIGO maintenance window over "ocupax.mdb": agenda and training clean-up, employee
// ages, the blocking data of the attendances, their statuses for the year, and the stamp.
#include <QStringList>
#include <QVector>

#include "maintenance/maintenance_runner.h"
#include "platform/core/value.h"

namespace ark::maintenance {

class frmatualiza : public MaintenanceRunner {
  Q_OBJECT

 public:
  // The single instance, created and loaded on first use; it unloads itself after its job.
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

  // Steps 1 and 4 to 12: one status text, statements on one data source, each refreshed.
  struct BulkStep {
    int step;
    QString status;
    db::View* source;
    QStringList statements;
    bool resetBarFirst;  // the bar's Value := 0 before the status text
    bool darkRedStatus;  // the status label turns dark red before its text
    enum Bar { Untouched, Full, Empty } barAfter;
  };
  void bulkStep(const BulkStep& s);

  void etapa1();
  void etapa2();
  void etapa3();
  void etapas4a12();
  void etapa13();
  void etapa14();
  void etapa15();
  void stampRun();

  void setStatusColor(quint32 bgr);
  // Today minus the date of `d`, in whole days; `d` must hold a date.
  static Value diasDesde(const Value& d);

  Value dias_agenda;
  QVector<Value> cpfsBloqueados;  // one entry per blocked attendance, in CPF order
};

}  // namespace ark::maintenance
