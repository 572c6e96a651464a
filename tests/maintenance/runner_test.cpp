#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFileInfo>
#include <QLabel>

#include "maintenance/frm_atualiza.h"
#include "maintenance/frmatualiza.h"
#include "maintenance/frmatualizacao.h"
#include "maintenance/maintenance_runner.h"
#include "platform/core/runtime_error.h"
#include "platform/database/database.h"
#include "platform/desktop/controls.h"
#include "platform/desktop/dpi.h"
#include "platform/desktop/pointer.h"
#include "praxel_fixture.h"
#include "test_window.h"

namespace ark::maintenance {
namespace {

using desktop::tw;
using test::BusinessDb;

using test::frmteste;

QString itemsSql(int n) {
  QString sql = QStringLiteral("CREATE TABLE itens (n LONG, marca LONG); BEGIN;");
  for (int i = 0; i < n; ++i) sql += QStringLiteral("INSERT INTO itens VALUES (%1, 0);").arg(i);
  return sql + QStringLiteral("COMMIT;");
}

// Runs the window modally as the trigger does; returns once it has unloaded itself.
JobOutcome runModal(frmteste* w) {
  w->exec();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  return MaintenanceRunner::lastOutcome();
}

TEST(MaintenanceRunner, CountedSizingReachesMaxWithTheLastRowAndAnEmptySetKeepsIt) {
  BusinessDb db(QStringLiteral("teste.mdb"), itemsSql(500));
  struct Seen {
    int value = -1, max = -1;
  } full, empty;
  auto* w = new frmteste;
  w->job = [&](frmteste& f) {
    f.setStep(1);
    f.resetBar();
    db::Recordset& rs = f.reopen(f.Titens, QStringLiteral("select * from itens order by n"));
    f.countedSizing(rs);
    while (!rs.Eof()) {
      rs.Edit();
      rs.setField(QStringLiteral("marca"), Value(1));
      rs.Update();
      rs.MoveNext();
      f.advanceBar();
    }
    full = {f.barra->Value(), f.barra->Max()};
    f.setStep(2);
    f.resetBar();
    db::Recordset& none = f.reopen(f.Titens, QStringLiteral("select * from itens where n < 0"));
    f.countedSizing(none);
    while (!none.Eof()) f.advanceBar();
    empty = {f.barra->Value(), f.barra->Max()};
  };
  const JobOutcome out = runModal(w);
  ASSERT_TRUE(out.completed) << out.reason.toStdString();
  EXPECT_EQ(full.value, 500);
  EXPECT_EQ(full.max, 500);
  EXPECT_EQ(empty.value, 0);
  EXPECT_EQ(empty.max, 500);
  EXPECT_EQ(db.value(QStringLiteral("SELECT count(*) FROM itens WHERE marca = 1")), "500");
}

TEST(MaintenanceRunner, AFailingJobStopsWhereItIsKeepsWhatItWroteAndUnloads) {
  BusinessDb db(QStringLiteral("teste.mdb"), itemsSql(3));
  int pointerDuringJob = -1;
  auto* w = new frmteste;
  w->job = [&](frmteste& f) {
    pointerDuringJob = desktop::mousePointer();
    db::Recordset& rs = f.Titens.recordset();
    rs.Edit();
    rs.setField(QStringLiteral("marca"), Value(7));
    rs.Update();
    rs.MoveNext();
    rs.Edit();
    rs.setField(QStringLiteral("nao_existe"), Value(1));
  };
  const JobOutcome out = runModal(w);
  EXPECT_FALSE(out.completed);
  EXPECT_TRUE(out.reason.contains(QStringLiteral("nao_existe"))) << out.reason.toStdString();
  EXPECT_EQ(pointerDuringJob, desktop::vbHourglass);
  EXPECT_EQ(desktop::mousePointer(), desktop::vbDefault);
  EXPECT_EQ(MaintenanceRunner::loaded(QStringLiteral("frmteste")), nullptr);
  EXPECT_EQ(db.rows(QStringLiteral("SELECT marca FROM itens ORDER BY n")),
            QStringList({"7", "0", "0"}));
}

TEST(MaintenanceRunner, AMissingTableIsReportedWhenTheDataSourcesOpen) {
  BusinessDb db(QStringLiteral("teste.mdb"), QStringLiteral("CREATE TABLE outra (n LONG);"));
  bool ran = false;
  auto* w = new frmteste;
  w->job = [&](frmteste&) { ran = true; };
  const JobOutcome out = runModal(w);
  EXPECT_FALSE(out.completed);
  EXPECT_FALSE(ran);
  EXPECT_TRUE(out.reason.contains(QStringLiteral("itens"))) << out.reason.toStdString();
}

struct WindowCase {
  QString form, code, file;
  QString stepLabel, statusLabel;
  bool description, recordLabel;
  quint32 fill;
  int width, height;
  QStringList sources;  // name: record source, in binding order
};

TEST(MaintenanceRunner, TheThreeWindowsAndTheirDataSources) {
  BaseSistema = QStringLiteral("/dados/sistema/");
  const WindowCase cases[] = {
      {"frmatualizacao",
       "NEGOX",
       "negox.mdb",
       "lbl",
       "lblstatus",
       false,
       true,
       0x00808080,
       8295,
       1620,
       {"Tos: fechamento_os", "Tsaida: saida", "Tlancam: lancamento_servico",
        "Tagendaven: agenda_vendedor", "Tpc: pcs", "Tdep: dependentes", "bdprod: produto",
        "Testoque: estoque", "Tbloq: bloqueio_cliente", "Tcrecebida: contas_recebidas",
        "bdparam: parametros", "Tcreceber: contas_a_receber", "Tcliente: cliente",
        "Tconceito: conceito", "Tpatri: select * from patrimonio order by descricao"}},
      {"frmatualiza",
       "VIGO",
       "ocupax.mdb",
       "lbletapa",
       "lbl",
       true,
       false,
       0x00008000,
       8295,
       1620,
       {"Taso: aso", "Temp: empregado", "Tagenda: agenda", "Tnat: natureza_exame",
        "Tempemp: empregado_empresa", "Tagendatrei: agenda_treinamento",
        "Ttreinaemp: agenda_treinamento_empresa", "Treinainst: agenda_treinamento_instrutor",
        "Tpresenca: treinamentos_presenca", "bdparam: parametros"}},
      {"frm_atualiza",
       "PRAXEL",
       "praxel.mdb",
       "lbletapa",
       "lbl",
       true,
       false,
       0x00800000,
       8355,
       1665,
       {"Tagenda: agenda", "Ttransacao: transacao", "Tparam: parametros",
        "Tpac: select * from paciente order by cpf"}},
  };
  for (const WindowCase& c : cases) {
    SCOPED_TRACE(c.form.toStdString());
    MaintenanceRunner* w = nullptr;
    if (c.form == "frmatualizacao") w = &frmatualizacao::instance();
    if (c.form == "frmatualiza") w = &frmatualiza::instance();
    if (c.form == "frm_atualiza") w = &frm_atualiza::instance();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(MaintenanceRunner::loaded(c.form), w);
    EXPECT_EQ(w->objectName(), c.form);
    EXPECT_EQ(w->client->size(), QSize(tw(c.width), tw(c.height)));
    EXPECT_EQ(w->size(), w->client->size() + 2 * QSize(MaintenanceRunner::kBorder,
                                                       MaintenanceRunner::kBorder));
    EXPECT_TRUE(w->windowTitle().isEmpty());
    EXPECT_EQ(w->findChild<QLabel*>("lbltituloform")->text(), QStringLiteral("Atualização..."));
    EXPECT_EQ(w->findChild<QLabel*>("Label1")->text(), c.code);
    EXPECT_EQ(w->findChild<QLabel*>(c.stepLabel)->text(), QStringLiteral("Etapa 01 de 10"));
    EXPECT_EQ(w->findChild<QLabel*>(c.statusLabel), w->statusLabel);
    EXPECT_EQ(w->findChild<QLabel*>("lblLabels(6)") != nullptr, c.description);
    EXPECT_EQ(w->findChild<QLabel*>("Label3") != nullptr, c.recordLabel);
    EXPECT_EQ(w->findChild<desktop::ProgressBar*>("barra")->FillColor(), c.fill);
    QStringList sources;
    for (const auto& v : w->dataSources()) {
      sources << v->name() + QStringLiteral(": ") + v->recordSource();
      EXPECT_EQ(v->databaseName(), QStringLiteral("/dados/sistema/") + c.file);
      EXPECT_EQ(v->connect(), QStringLiteral("Access 2000;"));
      EXPECT_FALSE(v->isOpen());
    }
    EXPECT_EQ(sources, c.sources);
    delete w;
    EXPECT_EQ(MaintenanceRunner::loaded(c.form), nullptr);
  }
  BaseSistema.clear();
}

TEST(MaintenanceRunner, EachSystemsWindowRunsItsOwnJob) {
  // A database with only the parameters table: each job runs in its own window, stops at
  // its first missing table and unloads; no stamp is written.
  const struct {
    QString window, file;
  } cases[] = {{"frm_atualiza", "praxel.mdb"},
               {"frmatualizacao", "negox.mdb"},
               {"frmatualiza", "ocupax.mdb"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.window.toStdString());
    BusinessDb db(c.file, QStringLiteral("CREATE TABLE parametros (dias_agenda LONG);"));
    const JobOutcome out = showMaintenanceWindow(c.window);
    EXPECT_FALSE(out.completed);
    EXPECT_FALSE(out.reason.isEmpty());
    EXPECT_EQ(MaintenanceRunner::loaded(c.window), nullptr);
  }
  const JobOutcome unknown = showMaintenanceWindow(QStringLiteral("frmoutro"));
  EXPECT_FALSE(unknown.completed);
  EXPECT_EQ(unknown.reason, QStringLiteral("Janela de atualização desconhecida: frmoutro"));
}

}  // namespace
}  // namespace ark::maintenance
