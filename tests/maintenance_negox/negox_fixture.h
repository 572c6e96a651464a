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
#include "maintenance_negox/negox_schema.h"
#include "platform/core/clock.h"
#include "platform/desktop/controls.h"

// Readable texts in test messages.
inline void PrintTo(const QString& s, std::ostream* os) {
  *os << '"' << s.toStdString() << '"';
}

namespace ark::maintenance::test {

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
