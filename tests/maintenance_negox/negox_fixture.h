#pragma once
// The NEGOX database of the maintenance tests (docs/business-databases-negox.md) and a
// fixture that runs the NEGOX job on it with a settable clock, recording the labels.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QLabel>
#include <memory>
#include <ostream>

#include "maintenance/frmatualizacao.h"
#include "maintenance/maintenance_runner.h"
#include "maintenance/praxel_fixture.h"
#include "platform/core/clock.h"
#include "platform/desktop/controls.h"

// Readable texts in test messages.
inline void PrintTo(const QString& s, std::ostream* os) {
  *os << '"' << s.toStdString() << '"';
}

namespace ark::maintenance::test {

inline const char* const kNegoxSchema =
    "CREATE TABLE parametros (pormulta DOUBLE, porcatraso DOUBLE, corrigir_valor YESNO,"
    " dias_tolerancia_bloqueio LONG, data DATETIME, hora DATETIME, usuario VARCHAR(50));"
    "CREATE TABLE agenda_vendedor (codvendedor LONG, data DATETIME, hora DATETIME,"
    " nomecli VARCHAR(60));"
    "CREATE TABLE patrimonio (identificacao LONG, descricao VARCHAR(60), situacao VARCHAR(10),"
    " dtaquisicao DATETIME, valor CURRENCY, depreciacao DOUBLE, vrdepreciado CURRENCY);"
    "CREATE TABLE dependentes (codcli LONG, nome VARCHAR(60), dtnasc DATETIME, idade LONG);"
    "CREATE TABLE produto (codigo LONG, codbarra VARCHAR(20), nome VARCHAR(60),"
    " precusto CURRENCY, prevenda CURRENCY, plucrobruto DOUBLE, precompra CURRENCY,"
    " premcusto CURRENCY, dtcompra DATETIME, dias_estoque LONG);"
    "CREATE TABLE estoque (codigomer VARCHAR(20), quantidade DOUBLE, total CURRENCY);"
    "CREATE TABLE contas_a_receber (codcli LONG, numnota LONG, \"histórico\" VARCHAR(60),"
    " dtvecto DATETIME, valor CURRENCY, diasatraso LONG, vrcorrecao CURRENCY,"
    " vrcorrigido CURRENCY);"
    "CREATE TABLE cliente (codigo LONG, nome VARCHAR(60), situacao VARCHAR(10), conceito LONG,"
    " dtcad DATETIME, debito CURRENCY, credito CURRENCY, saldo CURRENCY, dtultcompra DATETIME,"
    " dataprimeiracompra DATETIME, diassemcompra DOUBLE, dataproxcontato DATETIME);"
    "CREATE TABLE bloqueio_cliente (codcliente LONG, nomecliente VARCHAR(60),"
    " data_bloqueio DATETIME, hora_bloqueio DATETIME, numnota LONG, data_vencimento DATETIME,"
    " motivo VARCHAR(255), valor CURRENCY);"
    "CREATE TABLE contas_recebidas (codcli LONG, vrcorrigido CURRENCY, diasatraso LONG);"
    "CREATE TABLE conceito (\"1min\" DOUBLE, \"1max\" DOUBLE, \"1atraso\" DOUBLE,"
    " \"2min\" DOUBLE, \"2max\" DOUBLE, \"2atraso\" DOUBLE, \"3min\" DOUBLE, \"3max\" DOUBLE,"
    " \"3atraso\" DOUBLE, \"4min\" DOUBLE, \"4max\" DOUBLE, \"4atraso\" DOUBLE,"
    " \"5min\" DOUBLE, \"5max\" DOUBLE, \"5atraso\" DOUBLE);"
    "CREATE TABLE saida (numero LONG, codcli LONG, dtemissao DATETIME);"
    "CREATE TABLE lancamento_servico (codcli LONG, dtlancam DATETIME);"
    "CREATE TABLE fechamento_os (codcli LONG, dtfechamento DATETIME);"
    "CREATE TABLE pcs (nome VARCHAR(50));";

inline const QDate kToday(2026, 12, 10);

// A date `days` from today as the engine stores it, quoted for an INSERT.
inline QString day(int days, const QDate& today = kToday) {
  return QLatin1Char('\'') + today.addDays(days).toString(QStringLiteral("yyyy-MM-dd")) +
         QStringLiteral(" 00:00:00'");
}
// The same, as the engine returns it.
inline QString stored(int days, const QDate& today = kToday) {
  return today.addDays(days).toString(QStringLiteral("yyyy-MM-dd")) + QStringLiteral(" 00:00:00");
}

// parametros: fine 2 %, interest 0,033 % a day, correction off, tolerance 30 days.
inline const QString kParam = QStringLiteral(
    "INSERT INTO parametros VALUES (2, 0.033, 0, 30, '2026-12-01 00:00:00',"
    " '1899-12-30 03:00:00', 'fulano');");

class NegoxJob : public ::testing::Test {
 protected:
  SettableClock clock{QDateTime(kToday, QTime(12, 0))};
  ScopedClock scoped{clock};
  std::unique_ptr<BusinessDb> db;
  QStringList steps, statuses, records;
  // The bar as each step found it when its label was set.
  QHash<QString, std::pair<int, int>> barAtStep;

  void make(const QString& data, const QString& schema = QString::fromUtf8(kNegoxSchema)) {
    db.reset();
    db = std::make_unique<BusinessDb>(QStringLiteral("negox.mdb"), schema + data);
  }

  JobOutcome run() {
    steps.clear();
    statuses.clear();
    records.clear();
    barAtStep.clear();
    MaintenanceRunner::pumpHook = [this](const MaintenanceRunner& w) {
      const QString step = w.stepLabel->text();
      if (steps.isEmpty() || steps.last() != step) {
        steps << step;
        barAtStep.insert(step, {w.barra->Value(), w.barra->Max()});
      }
      if (statuses.isEmpty() || statuses.last() != w.statusLabel->text())
        statuses << w.statusLabel->text();
      if (records.isEmpty() || records.last() != w.Label3->text()) records << w.Label3->text();
    };
    frmatualizacao::instance().exec();
    MaintenanceRunner::pumpHook = nullptr;
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return MaintenanceRunner::lastOutcome();
  }
  void runCompleted() {
    const JobOutcome out = run();
    ASSERT_TRUE(out.completed) << out.reason.toStdString();
  }
  QStringList col(const QString& sql) const { return db->rows(sql); }
};

}  // namespace ark::maintenance::test
