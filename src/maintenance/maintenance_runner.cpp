#include "maintenance/maintenance_runner.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFrame>
#include <QHash>
#include <QLabel>
#include <QPainter>
#include <QShowEvent>
#include <QTimer>

#ifdef __GLIBC__
#include <malloc.h>
#endif

#include "platform/core/runtime.h"
#include "platform/core/runtime_error.h"
#include "platform/database/database.h"
#include "platform/desktop/controls.h"
#include "platform/desktop/dpi.h"
#include "platform/desktop/pictures.h"
#include "platform/desktop/pointer.h"

namespace ark::maintenance {

using desktop::tw;

namespace {
QHash<QString, MaintenanceRunner*>& instances() {
  static QHash<QString, MaintenanceRunner*> h;
  return h;
}
JobOutcome g_outcome;

QLabel* label(QWidget* parent, const QString& name, int x, int y, int w, int h, qreal pt, bool bold,
              Qt::Alignment align) {
  return desktop::makeLabel(parent, name.toLatin1().constData(), QRect(tw(x), tw(y), tw(w), tw(h)),
                            pt, bold, align);
}

void setForeColor(QLabel* l, quint32 bgr) {
  QPalette p = l->palette();
  p.setColor(QPalette::WindowText, desktop::oleColor(bgr));
  l->setPalette(p);
}

constexpr quint32 kDarkGrey = 0x00404040;
// The right column holds no more than "Etapa 15 de 15", drawn against its right edge; the
// line under the title reaches to where that text begins, since the fixed descriptions and
// the NEGOX status texts are long.
constexpr int kRightColumn = 6540;
constexpr int kUnderTitle = 6870 - 840;
}  // namespace

MaintenanceRunner::MaintenanceRunner(RunnerLayout layout)
    : QDialog(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::MSWindowsFixedSizeDialogHint),
      layout_(std::move(layout)) {
  setObjectName(layout_.form);
  setWindowTitle(QString());
  setModal(true);
  // No title bar on any window manager: the border is the window's own.
  setFixedSize(tw(layout_.clientWidth) + 2 * kBorder, tw(layout_.clientHeight) + 2 * kBorder);
  desktop::keepCentred(this);
  instances().insert(layout_.form, this);

  client = new QWidget(this);
  client->setObjectName(QStringLiteral("client"));
  client->setGeometry(kBorder, kBorder, tw(layout_.clientWidth), tw(layout_.clientHeight));

  Frame6 = new QFrame(client);
  Frame6->setObjectName(QStringLiteral("Frame6"));
  Frame6->setGeometry(0, 0, tw(8895), tw(735));
  Frame6->setAutoFillBackground(true);
  QPalette white = Frame6->palette();
  white.setColor(QPalette::Window, Qt::white);
  Frame6->setPalette(white);

  logo = new desktop::ImageControl(Frame6);
  logo->setObjectName(layout_.logo);
  logo->setGeometry(tw(120), tw(60), tw(615), tw(615));
  logo->setPicture(desktop::pictures::maintenanceLogo(tw(615)));

  lbltituloform = label(Frame6, QStringLiteral("lbltituloform"), 840, 30, 4800, 390, 14.25, true,
                        Qt::AlignLeft | Qt::AlignVCenter);
  lbltituloform->setText(QStringLiteral("Atualização..."));
  Label1 = label(Frame6, QStringLiteral("Label1"), kRightColumn, 45, 8175 - kRightColumn, 285, 9.75,
                 true, Qt::AlignRight | Qt::AlignVCenter);
  Label1->setText(layout_.systemCode);
  stepLabel = label(Frame6, layout_.stepLabel, kRightColumn, 375, 8175 - kRightColumn, 285, 9.75,
                    false, Qt::AlignRight | Qt::AlignVCenter);
  stepLabel->setText(kDesignStep);

  QLabel* underBand = nullptr;
  if (layout_.description.isEmpty()) {
    statusLabel = label(Frame6, layout_.statusLabel, 840, 435, kUnderTitle, 255, 8.25, false,
                        Qt::AlignLeft | Qt::AlignVCenter);
  } else {
    description = label(Frame6, QStringLiteral("lblLabels(6)"), 840, 435, kUnderTitle, 255, 8.25,
                        false, Qt::AlignLeft | Qt::AlignVCenter);
    description->setText(layout_.description);
    underBand = statusLabel = label(client, layout_.statusLabel, 120, 870, layout_.clientWidth - 240,
                                    285, 8.25, false, Qt::AlignCenter);
    statusLabel->setText(QStringLiteral("Aguarde... "));
  }
  if (layout_.recordLabel) {
    underBand = Label3 = label(client, QStringLiteral("Label3"), 120, 870, layout_.clientWidth - 240,
                               285, 8.25, false, Qt::AlignCenter);
    Label3->setText(QStringLiteral("Aguarde..."));
  }
  if (underBand) setForeColor(underBand, kDarkGrey);

  barra = new desktop::ProgressBar(client);
  barra->setObjectName(QStringLiteral("barra"));
  barra->setGeometry(0, tw(layout_.clientHeight) - tw(345), tw(layout_.clientWidth), tw(345));
  barra->setBackColor(0x00C0C0C0);
  barra->setForeColor(0x00FFFFFF);
  barra->setFillColor(layout_.fillColor);
  QFont mono(QStringLiteral("Consolas"));
  mono.setPointSizeF(9.75);
  barra->setFont(mono);
}

MaintenanceRunner::~MaintenanceRunner() {
  auto it = instances().find(layout_.form);
  if (it != instances().end() && it.value() == this) instances().erase(it);
  // The program stays resident between jobs: what the job's views and connection held
  // goes back to the system, not only to the allocator.
  sources_.clear();
#ifdef __GLIBC__
  malloc_trim(0);
#endif
}

MaintenanceRunner* MaintenanceRunner::loaded(const QString& form) {
  return instances().value(form, nullptr);
}

JobOutcome MaintenanceRunner::lastOutcome() {
  return g_outcome;
}

db::View& MaintenanceRunner::dataSource(const QString& name, const QString& recordSource) {
  sources_.push_back(std::make_unique<db::View>(name, kConnect, recordSource));
  return *sources_.back();
}

void MaintenanceRunner::Form_Load() {
  // The trigger tested this very path: BaseSistema carries its own separator.
  for (const auto& v : sources_) v->setDatabaseName(BaseSistema + layout_.databaseFile);
}

void MaintenanceRunner::showEvent(QShowEvent* e) {
  QDialog::showEvent(e);
  if (activated_) return;
  activated_ = true;
  // The job starts once the window has been painted.
  QTimer::singleShot(0, this, &MaintenanceRunner::Form_Activate);
}

void MaintenanceRunner::paintEvent(QPaintEvent*) {
  // A fixed dialog border: a dark outer line and a light inner one.
  QPainter p(this);
  p.setPen(QColor(0x6e, 0x6e, 0x6e));
  p.drawRect(rect().adjusted(0, 0, -1, -1));
  p.setPen(QColor(0xf4, 0xf4, 0xf4));
  p.drawRect(rect().adjusted(1, 1, -2, -2));
}

void MaintenanceRunner::Form_Activate() {
  // The job holds the thread from here on: the window must be on screen first.
  desktop::waitUntilExposed(this);
  desktop::setMousePointer(desktop::vbHourglass);
  try {
    // The data sources open when the load has ended, each on its record source.
    for (const auto& v : sources_) v->recordset();
    runJob();
    g_outcome = {true, {}};
  } catch (const RuntimeError& e) {
    g_outcome = {false, e.message()};
  } catch (const std::exception& e) {
    g_outcome = {false, QString::fromLocal8Bit(e.what())};
  }
  unload();
}

void MaintenanceRunner::unload() {
  auto it = instances().find(layout_.form);
  if (it != instances().end() && it.value() == this) instances().erase(it);
  done(0);
  // The hourglass belongs to the window and goes with it.
  desktop::setMousePointer(desktop::vbDefault);
  deleteLater();
}

// --- idioms ----------------------------------------------------------------------------

void MaintenanceRunner::DoEvents() {
  if (pumpHook) pumpHook(*this);
  // Painting every row of a long walk would cost more than the walk: within the rows a
  // repaint a frame is plenty, and what is held back is painted before the next long work.
  if (rows_)
    pacer_.pumpWhenDue();
  else
    pacer_.pump();
}

void MaintenanceRunner::setStep(int n) {
  if (n != stepShown_) {
    stepText_ = QStringLiteral("Etapa %1 de %2")
                    .arg(n, 2, 10, QLatin1Char('0'))
                    .arg(layout_.steps, 2, 10, QLatin1Char('0'));
    stepShown_ = n;
  }
  const QString& text = stepText_;
  // A step opens: its labels are painted before its work starts.
  if (text != stepLabel->text()) rows_ = false;
  stepLabel->setText(text);
  DoEvents();
}

void MaintenanceRunner::setStatus(const QString& text) {
  statusLabel->setText(text);
  DoEvents();
}

void MaintenanceRunner::setRecord(const QString& text) {
  if (Label3) Label3->setText(text);
  DoEvents();
  // The record label follows the rows.
  rows_ = true;
}

void MaintenanceRunner::execute(db::View& view, const QString& statement) {
  pacer_.flush();
  view.database().Execute(statement);
}

db::Recordset& MaintenanceRunner::reopen(db::View& view, const QString& source) {
  view.setRecordSource(source);
  view.RefreshToRead();
  return view.recordset();
}

void MaintenanceRunner::countedSizing(db::Recordset& rs) {
  // A new walk: its first rows paint at once, and the last ones of the walk before are
  // on screen before the move to its last row.
  pacer_.flush();
  rows_ = false;
  if (rs.RecordCount() == 0) return;
  rs.MoveLast();
  barra->setMax(int(rs.RecordCount()));
  rs.MoveFirst();
}

void MaintenanceRunner::resetBar() {
  barra->setValue(0);
  pacer_.flush();
  rows_ = false;
}

void MaintenanceRunner::advanceBar() {
  barra->setValue(barra->Value() + 1);
  rows_ = true;
}

void MaintenanceRunner::stamp(db::View& param,
                              std::initializer_list<std::pair<QString, Value>> fields) {
  pacer_.flush();
  db::Recordset& rs = param.recordset();
  rs.Edit();
  for (const auto& [name, value] : fields) rs.setField(name, value);
  rs.Update();
}

QString MaintenanceRunner::todayLiteral() {
  return QLatin1Char('#') + rt::Format(rt::Date(), QStringLiteral("mm/dd/yyyy")) + QLatin1Char('#');
}

}  // namespace ark::maintenance
