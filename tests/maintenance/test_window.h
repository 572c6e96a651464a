#pragma once
// A maintenance window whose job the test gives, over a database "teste.mdb" with a table
// "itens", with the runner's idioms at hand.
#include <QString>
#include <functional>

#include "maintenance/maintenance_runner.h"
#include "platform/database/database.h"

namespace ark::maintenance::test {

inline RunnerLayout testLayout() {
  RunnerLayout l;
  l.form = QStringLiteral("frmteste");
  l.systemCode = QStringLiteral("TESTE");
  l.databaseFile = QStringLiteral("teste.mdb");
  l.steps = 2;
  l.logo = QStringLiteral("Image2");
  l.stepLabel = QStringLiteral("lbletapa");
  l.statusLabel = QStringLiteral("lbl");
  l.description = QStringLiteral("Janela de teste");
  l.fillColor = 0x00800000;
  return l;
}

class frmteste : public MaintenanceRunner {
 public:
  frmteste() : MaintenanceRunner(testLayout()) { Form_Load(); }
  db::View& Titens = dataSource(QStringLiteral("Titens"), QStringLiteral("itens"));
  std::function<void(frmteste&)> job;

  using MaintenanceRunner::advanceBar;
  using MaintenanceRunner::countedSizing;
  using MaintenanceRunner::execute;
  using MaintenanceRunner::reopen;
  using MaintenanceRunner::resetBar;
  using MaintenanceRunner::setStatus;
  using MaintenanceRunner::setStep;

 protected:
  void runJob() override { job(*this); }
};

}  // namespace ark::maintenance::test
