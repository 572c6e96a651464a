// What the maintenance windows paint while their jobs run: a step's label and status text
// are on screen before its work starts, and rows of a walk are painted a frame at a time
// without losing the last text before a statement or a new walk.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QLabel>
#include <QScreen>
#include <functional>
#include <memory>
#include <vector>

#include "maintenance/frm_atualiza.h"
#include "maintenance/frmatualiza.h"
#include "maintenance/frmatualizacao.h"
#include "maintenance/maintenance_runner.h"
#include "maintenance_negox/negox_fixture.h"
#include "maintenance_vigo/vigo_fixture.h"
#include "platform/core/runtime.h"
#include "platform/database/database.h"
#include "praxel_fixture.h"
#include "test_window.h"
#include "support/painted.h"

namespace ark::maintenance {
namespace {

using test::BusinessDb;
using ark::test::PaintedText;

using test::frmteste;

constexpr int kRows = 400;

QString itemsSql() {
  return QStringLiteral(
             "CREATE TABLE itens (n LONG, marca LONG);"
             "WITH RECURSIVE s(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM s WHERE i < %1)"
             " INSERT INTO itens SELECT i, 0 FROM s;")
      .arg(kRows - 1);
}

// A walk over every item with a status text per row, as the jobs' per-row texts are set.
void walkWithTexts(frmteste& f) {
  db::Recordset& rs = f.reopen(f.Titens, QStringLiteral("select * from itens order by n"));
  f.resetBar();
  f.countedSizing(rs);
  while (!rs.Eof()) {
    f.setStatus(QStringLiteral("Aguarde... Item %1").arg(rt::Text(rs.field(QStringLiteral("n")))));
    rs.Edit();
    rs.setField(QStringLiteral("marca"), Value(1));
    rs.Update();
    rs.MoveNext();
    f.advanceBar();
  }
}

TEST(MaintenancePainting, WhatTheWindowShowsWhileTheWorkAfterAPumpRuns) {
  const QString last = QStringLiteral("Aguarde... Item %1").arg(kRows - 1);
  const struct Case {
    const char* name;
    std::function<void(frmteste&)> job;  // ends where long work would start
    QString step, status;                  // what is on screen then
  } cases[] = {
      {"a status text set right after the step label",
       [](frmteste& f) {
         f.setStep(1);
         f.setStatus(QStringLiteral("Aguarde... Primeira"));
       },
       "Etapa 01 de 02", "Aguarde... Primeira"},
      {"two quick steps, the second's texts",
       [](frmteste& f) {
         f.setStep(1);
         f.setStatus(QStringLiteral("Aguarde... Primeira"));
         f.setStep(2);
         f.setStatus(QStringLiteral("Aguarde... Segunda"));
       },
       "Etapa 02 de 02", "Aguarde... Segunda"},
      {"the last row's text before a bulk statement",
       [](frmteste& f) {
         f.setStep(1);
         walkWithTexts(f);
         f.execute(f.Titens, QStringLiteral("update itens set marca = 2"));
       },
       "Etapa 01 de 02", last},
      {"the last row's text before the next walk is sized",
       [](frmteste& f) {
         f.setStep(1);
         walkWithTexts(f);
         db::Recordset& rs = f.reopen(f.Titens, QStringLiteral("select * from itens"));
         f.countedSizing(rs);
       },
       "Etapa 01 de 02", last},
      {"the next step's texts after a walk",
       [](frmteste& f) {
         f.setStep(1);
         walkWithTexts(f);
         f.setStep(2);
         f.setStatus(QStringLiteral("Aguarde... Segunda"));
       },
       "Etapa 02 de 02", "Aguarde... Segunda"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    BusinessDb db(QStringLiteral("teste.mdb"), itemsSql());
    auto* w = new frmteste;
    PaintedText step(w->stepLabel), status(w->statusLabel);
    QString stepShown, statusShown;
    w->job = [&](frmteste& f) {
      c.job(f);
      // Nothing pumps from here: what is painted now stays on screen during the work.
      stepShown = step.last();
      statusShown = status.last();
    };
    w->exec();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_TRUE(MaintenanceRunner::lastOutcome().completed)
        << MaintenanceRunner::lastOutcome().reason.toStdString();
    EXPECT_EQ(stepShown, c.step);
    EXPECT_EQ(statusShown, c.status);
  }
}

TEST(MaintenancePainting, RowsOfAWalkArePaintedAFrameAtATime) {
  BusinessDb db(QStringLiteral("teste.mdb"), itemsSql());
  auto* w = new frmteste;
  PaintedText status(w->statusLabel);
  int paintsBefore = 0, paintsInWalk = 0;
  qint64 walkMs = 0;
  w->job = [&](frmteste& f) {
    f.setStep(1);
    paintsBefore = status.paints();
    QElapsedTimer t;
    t.start();
    walkWithTexts(f);
    walkMs = t.elapsed();
    paintsInWalk = status.paints() - paintsBefore;
  };
  w->exec();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  ASSERT_TRUE(MaintenanceRunner::lastOutcome().completed);
  // The first row at once, then one paint a frame (16 ms) at most.
  EXPECT_GE(paintsInWalk, 1);
  EXPECT_LE(paintsInWalk, 2 + walkMs / desktop::PumpPacer::kFrameMs) << walkMs << " ms";
  EXPECT_EQ(db.value(QStringLiteral("SELECT count(*) FROM itens WHERE marca = 1")),
            QString::number(kRows));
}

// Each job's window and a database of empty tables for it.
struct JobDatabase {
  QString window, file, sql;
};
std::vector<JobDatabase> jobDatabases() {
  return {{"frm_atualiza", "praxel.mdb",
           QString::fromLatin1(test::kPraxelSchema) +
               "INSERT INTO parametros VALUES (30, 7, '01/12/2026', '03:00:00');"},
          {"frmatualizacao", "negox.mdb", QString::fromLatin1(test::kNegoxSchema) + test::kParam},
          {"frmatualiza", "ocupax.mdb",
           test::vigoSchema() + "INSERT INTO parametros VALUES (30, '01/05/2024', '03:00:00');"}};
}

// The three jobs over databases with empty tables: every step is quick, and each pump's
// texts must still be on screen before the work that follows it.
TEST(MaintenancePainting, EachJobPaintsEveryStepBeforeItsWork) {
  for (const JobDatabase& c : jobDatabases()) {
    SCOPED_TRACE(c.window.toStdString());
    BusinessDb db(c.file, c.sql);
    struct Seen {
      QString step, status;
    };
    std::vector<Seen> set, shownBefore;
    std::unique_ptr<PaintedText> step, status;
    MaintenanceRunner::pumpHook = [&](const MaintenanceRunner& w) {
      if (!step) {
        step = std::make_unique<PaintedText>(w.stepLabel);
        status = std::make_unique<PaintedText>(w.statusLabel);
      }
      shownBefore.push_back({step->last(), status->last()});
      set.push_back({w.stepLabel->text(), w.statusLabel->text()});
      // The fixed texts the steps set are drawn whole.
      EXPECT_TRUE(ark::test::textFits(w.stepLabel)) << w.stepLabel->text().toStdString();
      EXPECT_TRUE(ark::test::textFits(w.statusLabel)) << w.statusLabel->text().toStdString();
    };
    const JobOutcome out = showMaintenanceWindow(c.window);
    MaintenanceRunner::pumpHook = nullptr;
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_TRUE(out.completed) << out.reason.toStdString();
    ASSERT_GT(set.size(), 2u);
    for (size_t i = 1; i < set.size(); ++i) {
      SCOPED_TRACE(set[i].step.toStdString());
      EXPECT_EQ(shownBefore[i].step, set[i - 1].step);
      EXPECT_EQ(shownBefore[i].status, set[i - 1].status);
    }
  }
}

// The band's fixed texts, each step text included, are drawn whole in the fallback font
// and none runs into another.
TEST(MaintenancePainting, TheBandsFixedTextsAreWholeAndApart) {
  BaseSistema = QStringLiteral("/dados/");
  std::vector<MaintenanceRunner*> windows = {&frm_atualiza::instance(), &frmatualiza::instance(),
                                             &frmatualizacao::instance()};
  for (MaintenanceRunner* w : windows) {
    SCOPED_TRACE(w->objectName().toStdString());
    QStringList steps = {MaintenanceRunner::kDesignStep};
    for (int n = 1; n <= w->layout().steps; ++n)
      steps << QStringLiteral("Etapa %1 de %2")
                   .arg(n, 2, 10, QLatin1Char('0'))
                   .arg(w->layout().steps, 2, 10, QLatin1Char('0'));
    for (const QString& text : steps) {
      w->stepLabel->setText(text);
      const QList<QLabel*> band = w->Frame6->findChildren<QLabel*>(Qt::FindDirectChildrenOnly);
      for (QLabel* l : band) {
        if (l->text().isEmpty() || !l->pixmap().isNull()) continue;
        EXPECT_TRUE(ark::test::textFits(l))
            << l->objectName().toStdString() << ": " << l->text().toStdString();
        for (QLabel* other : band) {
          if (other == l || other->text().isEmpty() || !other->pixmap().isNull()) continue;
          EXPECT_FALSE(ark::test::textRect(l).intersects(ark::test::textRect(other)))
              << l->text().toStdString() << " / " << other->text().toStdString();
        }
      }
    }
    delete w;
  }
  BaseSistema.clear();
}

// On a screen of known size (the offscreen one, 800 x 800) each window sits at its centre
// while its job runs, inside its own thin border.
TEST(MaintenancePainting, TheWindowsSitCentredInsideTheirBorder) {
  for (const JobDatabase& c : jobDatabases()) {
    SCOPED_TRACE(c.window.toStdString());
    BusinessDb db(c.file, c.sql);
    QPoint off(99, 99);
    QSize screen;
    QImage shot;
    QRect client;
    MaintenanceRunner::pumpHook = [&](const MaintenanceRunner& w) {
      if (!shot.isNull()) return;
      off = ark::test::offCentre(&w);
      screen = w.screen()->geometry().size();
      shot = w.screen()->grabWindow(w.winId()).toImage();
      client = w.client->geometry();
    };
    const JobOutcome out = showMaintenanceWindow(c.window);
    MaintenanceRunner::pumpHook = nullptr;
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_TRUE(out.completed) << out.reason.toStdString();
    EXPECT_EQ(screen, QSize(800, 800));
    EXPECT_LE(off.manhattanLength(), 1) << off.x() << "," << off.y();
    // The border: a dark line all round the window, the client area inside it.
    ASSERT_FALSE(shot.isNull());
    EXPECT_EQ(client.topLeft(), QPoint(MaintenanceRunner::kBorder, MaintenanceRunner::kBorder));
    for (const QPoint p : {QPoint(0, 0), QPoint(shot.width() / 2, 0),
                           QPoint(0, shot.height() / 2),
                           QPoint(shot.width() - 1, shot.height() - 1)})
      EXPECT_LT(qGray(shot.pixel(p)), 128) << p.x() << "," << p.y();
  }
}

// A PRAXEL agenda long enough for its walks to be looked at: step 4's walk pumps nothing,
// so what the next step finds painted is what the window showed all through it; step 5
// paints its rows a frame at a time and its last count before the stamp.
TEST(MaintenancePainting, APraxelJobShowsItsStepsWhileTheirWalksRun) {
  const int n = 3000;
  BusinessDb db(QStringLiteral("praxel.mdb"),
                QString::fromLatin1(test::kPraxelSchema) +
                    QStringLiteral(
                        "INSERT INTO parametros VALUES (30, 7, '01/12/2026', '03:00:00');"
                        "WITH RECURSIVE s(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM s"
                        " WHERE i < %1) INSERT INTO agenda (contador, codmedico, data, hora,"
                        " cpf, nome, idade) SELECT 0, i % 7, date('now', '+' || (i % 20) ||"
                        " ' days') || ' 00:00:00', '1899-12-30 08:00:00', '', 'Paciente', '0'"
                        " FROM s;")
                        .arg(n));
  std::unique_ptr<PaintedText> step, status;
  QStringList shownAtStep5;
  MaintenanceRunner::pumpHook = [&](const MaintenanceRunner& w) {
    if (!step) {
      step = std::make_unique<PaintedText>(w.stepLabel);
      status = std::make_unique<PaintedText>(w.statusLabel);
    }
    if (shownAtStep5.isEmpty() && w.stepLabel->text() == QLatin1String("Etapa 05 de 06"))
      shownAtStep5 = {step->last(), status->last()};
  };
  const JobOutcome out = showMaintenanceWindow(QStringLiteral("frm_atualiza"));
  MaintenanceRunner::pumpHook = nullptr;
  ASSERT_TRUE(out.completed) << out.reason.toStdString();
  EXPECT_EQ(shownAtStep5, QStringList({"Etapa 04 de 06",
                                       "Aguarde... Excluindo Registros da Agenda Há Mais de 30 "
                                       "Dias."}));
  // Step 5 sets its count on every row; far fewer reach the screen, the last one included.
  EXPECT_EQ(step->last(), QStringLiteral("Etapa 06 de 06"));
  EXPECT_EQ(status->last(),
            QStringLiteral("Aguarde... Refazendo Controle da Agenda. %1 de %2")
                .arg(n + 1, 5, 10, QLatin1Char('0'))
                .arg(n, 5, 10, QLatin1Char('0')));
  EXPECT_LT(status->paints(), n / 2);
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_EQ(db.value(QStringLiteral("SELECT max(contador) FROM agenda")), QString::number(n));
}

}  // namespace
}  // namespace ark::maintenance
