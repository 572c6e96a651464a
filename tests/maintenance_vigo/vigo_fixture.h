#pragma once
// The VIGO database "ocupax.mdb" for the maintenance tests, and a runner of the VIGO job
// that records what the window shows at every message pump.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QLabel>
#include <QMap>
#include <QStringList>
#include <memory>
#include <vector>

#include "maintenance/frmatualiza.h"
#include "maintenance/praxel_fixture.h"
#include "maintenance_vigo/vigo_schema.h"
#include "platform/core/clock.h"
#include "platform/desktop/controls.h"

namespace ark::maintenance::test {

// A test date "dd/mm/yyyy" as an SQL literal: the text itself, or the canonical date-time
// of a DATETIME column; the empty mask and what is no date stay as they are.
inline QString dateLiteral(const QString& dmy, bool asDateTime) {
  const QDate d = QDate::fromString(dmy, QStringLiteral("dd/MM/yyyy"));
  if (!asDateTime || !d.isValid()) return QLatin1Char('\'') + dmy + QLatin1Char('\'');
  return QLatin1Char('\'') + d.toString(QStringLiteral("yyyy-MM-dd")) +
         QStringLiteral(" 00:00:00'");
}

// One attendance: a row that reaches step 15 as "LIBERADO" unless `set` says otherwise.
// Values of `set` are SQL literals; "d:dd/mm/yyyy" is a test date in the schema's form.
inline QString asoInsert(int controle, const QMap<QString, QString>& set, bool asDateTime) {
  QMap<QString, QString> v = {
      {"controle", QString::number(controle)},
      {"empregado", QStringLiteral("'Empregado %1'").arg(controle)},
      {"cpf", "'999'"},
      {"data", "'2024-03-01 00:00:00'"},
      {"natureza_exame", "'PERIODICO'"},
      {"situacao", "'ANTIGA'"},
      {"cor_situacao", "1"},
      {"toxicologico", "'Negativo'"},
      {"toxicologico_data", "d:01/03/2024"},
      {"etilometro", "NULL"},
      {"etilometro_data", "'__/__/____'"},
      {"teste_psicometrico", "NULL"},
      {"teste_psicometrico_data", "'__/__/____'"},
      {"dias_bloqueado", "0"},
      {"dias_bloqueadoe", "0"},
      {"bloqueio_atendimento_num", "0"},
      {"pendencia", "'Nenhuma'"},
      {"pendencia_asoe", "'Nenhuma'"},
      {"aptidao_funcao", "'Apto'"},
      {"aptidao_funcaoi", "'Apto'"},
      {"realizou_clinico_data", "'01/03/2024'"},
      {"data_validade_aso", "d:01/03/2025"},
      {"data_validade_asoe", "'__/__/____'"},
  };
  for (auto it = set.begin(); it != set.end(); ++it) v[it.key()] = it.value();
  QStringList cols, vals;
  for (auto it = v.begin(); it != v.end(); ++it) {
    cols << it.key();
    vals << (it.value().startsWith(QLatin1String("d:")) ? dateLiteral(it.value().mid(2), asDateTime)
                                                        : it.value());
  }
  return QStringLiteral("INSERT INTO aso (%1) VALUES (%2);").arg(cols.join(','), vals.join(','));
}

// What the window showed at one message pump.
struct Pump {
  QString step, status;
  quint32 statusColor, fill;
  int value, max;
};

// The VIGO job on a fresh "ocupax.mdb", the clock at 10/05/2024 14:35:07.
class VigoJob : public ::testing::Test {
 protected:
  SettableClock clock{QDateTime(QDate(2024, 5, 10), QTime(14, 35, 7))};
  ScopedClock scoped{clock};
  std::unique_ptr<BusinessDb> db;
  std::vector<Pump> pumps;

  static inline const QString kParam =
      QStringLiteral("INSERT INTO parametros VALUES (30, '01/05/2024', '03:00:00');");

  void make(const QString& data, const QString& schema = vigoSchema()) {
    db.reset();
    db = std::make_unique<BusinessDb>(QStringLiteral("ocupax.mdb"), schema + data);
  }

  JobOutcome run() {
    pumps.clear();
    MaintenanceRunner::pumpHook = [this](const MaintenanceRunner& w) {
      pumps.push_back({w.stepLabel->text(), w.statusLabel->text(),
                       desktop::toOleColor(w.statusLabel->palette().color(QPalette::WindowText)),
                       w.barra->FillColor(), w.barra->Value(), w.barra->Max()});
    };
    frmatualiza::instance().exec();
    MaintenanceRunner::pumpHook = nullptr;
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return MaintenanceRunner::lastOutcome();
  }
  void runCompleted() {
    const JobOutcome out = run();
    ASSERT_TRUE(out.completed) << out.reason.toStdString();
  }

  // The pumps made while the step label read "Etapa NN de 15".
  std::vector<Pump> during(int step) const {
    const QString label = QStringLiteral("Etapa %1 de 15").arg(step, 2, 10, QLatin1Char('0'));
    std::vector<Pump> out;
    for (const Pump& p : pumps)
      if (p.step == label) out.push_back(p);
    return out;
  }
  QStringList statuses() const {
    QStringList out;
    for (const Pump& p : pumps)
      if (out.isEmpty() || out.last() != p.status) out << p.status;
    return out;
  }
  QStringList col(const QString& sql) const { return db->rows(sql); }
};

}  // namespace ark::maintenance::test
