#pragma once
// What the three maintenance windows share: the window with its band, labels and bar,
// the data sources bound to the business database, the step-runner idioms, the closing
// stamp and the unload that ends the trigger's modal show.
#include <QDialog>
#include <QString>
#include <functional>
#include <initializer_list>
#include <memory>
#include <utility>
#include <vector>

#include "maintenance/maintenance.h"
#include "platform/core/value.h"
#include "platform/desktop/pacing.h"

class QLabel;
class QFrame;

namespace ark::db {
class View;
class Recordset;
}  // namespace ark::db

namespace ark::desktop {
class ProgressBar;
class ImageControl;
}  // namespace ark::desktop

namespace ark::maintenance {

// What tells the windows apart.
struct RunnerLayout {
  QString form;            // the window's name: "frm_atualiza"
  QString systemCode;      // Label1: "PRAXEL"
  QString databaseFile;    // after BaseSistema: "praxel.mdb"
  int steps = 0;           // the "de MM" of the step texts
  int clientWidth = 8295;  // twips
  int clientHeight = 1620;
  QString logo;              // "Image2", or "isis(8)" in the NEGOX window
  QString stepLabel;         // "lbletapa", or "lbl" in the NEGOX window
  QString statusLabel;       // "lbl", or "lblstatus" in the NEGOX window
  QString description;       // lblLabels(6) under the title; empty: the status label is there
  bool recordLabel = false;  // Label3 under the band (NEGOX)
  quint32 fillColor = 0;     // the bar's fill, 0x00BBGGRR
};


class MaintenanceRunner : public QDialog {
  Q_OBJECT

 public:
  static inline const QString kConnect = QStringLiteral("Access 2000;");
  static inline const QString kDesignStep = QStringLiteral("Etapa 01 de 10");

  ~MaintenanceRunner() override;

  // Points every data source, in the window's order, at BaseSistema followed directly
  // by the database file name; nothing is opened here.
  void Form_Load();

  // How the last job of any maintenance window ended.
  static JobOutcome lastOutcome();
  // The loaded instance of a window, or nullptr.
  static MaintenanceRunner* loaded(const QString& form);

  // Sees the window at every message pump of a job, painted at once or held back (tests
  // watch the labels with it).
  static inline std::function<void(const MaintenanceRunner&)> pumpHook;

  // The thin fixed dialog border drawn around the client area, in pixels.
  static constexpr int kBorder = 2;

  const RunnerLayout& layout() const { return layout_; }
  const std::vector<std::unique_ptr<db::View>>& dataSources() const { return sources_; }

  QWidget* client = nullptr;  // the client area, inside the border
  QFrame* Frame6 = nullptr;
  desktop::ImageControl* logo = nullptr;
  QLabel* lbltituloform = nullptr;
  QLabel* Label1 = nullptr;
  QLabel* stepLabel = nullptr;    // lbletapa / lbl
  QLabel* statusLabel = nullptr;  // lbl / lblstatus
  QLabel* description = nullptr;  // lblLabels(6), none in the NEGOX window
  QLabel* Label3 = nullptr;       // NEGOX only
  desktop::ProgressBar* barra = nullptr;

 protected:
  explicit MaintenanceRunner(RunnerLayout layout);

  // A data source of the window, in binding order: declare them in the window's order.
  db::View& dataSource(const QString& name, const QString& recordSource);

  // The job's steps, in order. A run-time error stops the job where it is raised.
  virtual void runJob() = 0;

  // --- the step-runner idioms --------------------------------------------------------
  // The message pump after a label change. It paints at once while a step opens; once the
  // rows of a walk are running it paints at most once a frame, and a pump held back is made
  // before the next bulk statement, bar reset, sizing or stamp, and at the next step.
  void DoEvents();
  // "Etapa NN de MM", then a pump.
  void setStep(int n);
  void setStatus(const QString& text);  // then a pump
  void setRecord(const QString& text);  // Label3, then a pump
  // One DELETE or UPDATE on the database of a data source.
  void execute(db::View& view, const QString& statement);
  // RecordSource := source, then Refresh.
  db::Recordset& reopen(db::View& view, const QString& source);
  // The bar's Max from the set's RecordCount after a move to the last row (RecordCount
  // counts only the rows visited); an empty set leaves Max as it was.
  void countedSizing(db::Recordset& rs);
  void resetBar();    // Value := 0
  void advanceBar();  // Value read back, plus one
  // Edit on the current row of `param`, the stamp fields, Update.
  void stamp(db::View& param, std::initializer_list<std::pair<QString, Value>> fields);

  // "#mm/dd/yyyy#" of today, month first whatever the locale.
  static QString todayLiteral();

  void showEvent(QShowEvent* e) override;
  void paintEvent(QPaintEvent* e) override;
  void reject() override {}  // Esc does not stop a job

 private:
  void Form_Activate();
  void unload();

  RunnerLayout layout_;
  desktop::PumpPacer pacer_;
  bool rows_ = false;  // the rows of a walk are running: per-row pumps may be held back
  int stepShown_ = -1;  // the step whose text stepText_ holds (some jobs set it each row)
  QString stepText_;
  std::vector<std::unique_ptr<db::View>> sources_;
  bool activated_ = false;
};

}  // namespace ark::maintenance
