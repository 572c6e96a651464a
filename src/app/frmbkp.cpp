#include "app/frmbkp.h"

#include <QAction>
#include <QApplication>
#include <QEvent>
#include <QFileDialog>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QScreen>
#include <QTimer>
#include <QWindow>

#include "app/windows.h"
#include "archive/operacao_backup.h"
#include "platform/core/clock.h"
#include "platform/core/paths.h"
#include "platform/core/runtime.h"
#include "platform/core/runtime_error.h"
#include "platform/desktop/controls.h"
#include "platform/desktop/dpi.h"
#include "platform/desktop/msgbox.h"
#include "platform/desktop/pacing.h"
#include "platform/desktop/pictures.h"
#include "platform/desktop/pointer.h"
#include "platform/desktop/registry.h"
#include "platform/desktop/tray.h"
#include "schedule/backup_scheduler.h"
#include "schedule/schedule_store.h"
#include "schedule/triggers.h"

namespace ark::app {

using desktop::tw;

namespace {
frmbkp* g_instance = nullptr;

constexpr int kMajor = 2026, kMinor = 1, kRevision = 0;

}  // namespace

frmbkp& frmbkp::instance() {
  if (!g_instance) {
    g_instance = new frmbkp;
    g_instance->Form_Load();
  }
  return *g_instance;
}

bool frmbkp::exists() {
  return g_instance != nullptr;
}

frmbkp::frmbkp() : QWidget(nullptr, Qt::FramelessWindowHint | Qt::Tool) {
  setObjectName(QStringLiteral("frmbkp"));
  setWindowTitle(QStringLiteral("Arkivor - Backup"));
  setFixedSize(tw(9390), tw(6000));
  if (QScreen* screen = QGuiApplication::primaryScreen())
    move(screen->availableGeometry().center() - rect().center());
  buildShell();
  connect(qGuiApp, &QGuiApplication::focusWindowChanged, this, &frmbkp::focusWindowChanged);
  buildEditor();
  buildSettings();
  setTabOrder();
}

frmbkp::~frmbkp() {
  if (g_instance == this) g_instance = nullptr;
}

void frmbkp::buildShell() {
  // Date and time in the title band, the version in the light bottom corner.
  lbldt = desktop::makeLabel(this, "lbldt", QRect(380, 8, 120, 18), 9, true, Qt::AlignCenter);
  lblhr = desktop::makeLabel(this, "lblhr", QRect(500, 8, 110, 18), 9, true, Qt::AlignCenter);
  lblver = desktop::makeLabel(this, "lblver", QRect(tw(7600), tw(5640), tw(1650), tw(255)), 7,
                              false, Qt::AlignCenter);
  for (QLabel* l : {lbldt, lblhr}) l->setStyleSheet(QStringLiteral("color: white;"));
  lblver->setStyleSheet(QStringLiteral("color: #1f2d44;"));

  txtZip = new QLineEdit(this);
  txtZip->setObjectName(QStringLiteral("txtZip"));
  txtZip->setVisible(false);

  TrayIcon1 = new desktop::TrayIcon(this);
  TrayIcon1->setObjectName(QStringLiteral("TrayIcon1"));
  TrayIcon1->setIcon(desktop::pictures::programIcon());
  TrayIcon1->setToolTip(QStringLiteral("Dovral Videzide® - Arkivor 2026"));
  connect(TrayIcon1, &desktop::TrayIcon::DblClick, this, &frmbkp::TrayIcon1_DblClick);
  connect(TrayIcon1, &desktop::TrayIcon::MouseClick, this, &frmbkp::TrayIcon1_MouseClick);

  mnumenu = new QMenu(this);
  mnumenu->setObjectName(QStringLiteral("mnumenu"));
  mnuconfig = mnumenu->addAction(QStringLiteral("&Configurações"));
  mnuconfig->setObjectName(QStringLiteral("mnuconfig"));
  t1 = mnumenu->addSeparator();
  t1->setObjectName(QStringLiteral("t1"));
  mnufechar = mnumenu->addAction(QStringLiteral("&Sair"));
  mnufechar->setObjectName(QStringLiteral("mnufechar"));
  connect(mnuconfig, &QAction::triggered, this, &frmbkp::mnuconfig_Click);
  connect(mnufechar, &QAction::triggered, this, &frmbkp::mnufechar_Click);

  auto makeTimer = [this](const char* name, int interval, void (frmbkp::*handler)()) {
    auto* t = new QTimer(this);
    t->setObjectName(QString::fromLatin1(name));
    t->setInterval(interval);
    connect(t, &QTimer::timeout, this, handler);
    return t;
  };
  Timer1 = makeTimer("Timer1", 30000, &frmbkp::Timer1_Timer);
  Timer2 = makeTimer("Timer2", 50000, &frmbkp::Timer2_Timer);
  Timer3 = makeTimer("Timer3", 65000, &frmbkp::Timer3_Timer);
  Timer4 = makeTimer("Timer4", 2000, &frmbkp::Timer4_Timer);
  Timer6 = makeTimer("Timer6", 1000, &frmbkp::Timer6_Timer);
}

void frmbkp::Form_Load() {
  const QString file = schedule::scheduleDatabasePath(programFolder());
  Tpc.setDatabaseName(file);
  bdbkp.setDatabaseName(file);
  Tbkp.setDatabaseName(file);
  desktop::SaveRegString(desktop::HKEY_LOCAL_MACHINE, desktop::kRunKey, QStringLiteral("SALVIX"),
                         joinPath(programFolder(), QStringLiteral("SALVIX")));
  archive::InicializaZip(this, txtZip);
  TrayIcon1->setShowIcon(true);
  TrayIcon1->ShowBalloon(QStringLiteral("Sistema de Backup Dovral® Iniciado."),
                         QStringLiteral("Dois Clicks no ícone para configurar. "),
                         desktop::kBalloonInfo, 3000);
  for (QTimer* t : {Timer1, Timer2, Timer3, Timer4, Timer6}) t->start();
  // The views open when the load ends; the settings panel shows the installation record.
  try {
    bindEditor();
    bindSettings();
    Tpc.Refresh();
  } catch (const RuntimeError& e) {
    reportError(QStringLiteral("Falha ao abrir o banco de dados!"), e.message());
  }
}

void frmbkp::Form_Activate() {
  Timer6_Timer();
  // A pending row keeps its edit: the grid is reloaded only in browse state.
  if (!editing_) {
    try {
      bdbkp.setRecordSource(QStringLiteral("Select * from backup order by horabkp"));
      bdbkp.Refresh();
    } catch (const RuntimeError& e) {
      // Not from inside the show: a box opened there runs before the window is on screen,
      // which then stays unpainted behind it.
      QMetaObject::invokeMethod(
          this,
          [this, reason = e.message()] {
            desktop::waitUntilExposed(this);
            desktop::MsgBox(desktop::asSentence(reason), desktop::vbCritical);
          },
          Qt::QueuedConnection);
    }
  }
  lblver->setText(QStringLiteral("%1.%2.%3").arg(kMajor).arg(kMinor).arg(kRevision));
}

void frmbkp::showEvent(QShowEvent* e) {
  QWidget::showEvent(e);
  activatedByShow_ = true;
  Form_Activate();
}

void frmbkp::changeEvent(QEvent* e) {
  QWidget::changeEvent(e);
  if (e->type() == QEvent::ActivationChange && isActiveWindow()) {
    // The show has already run the activation of this showing, and the window's own
    // message boxes and folder picker hand the activation back without a new one.
    if (activatedByShow_ || returnFromBox_) {
      activatedByShow_ = false;
      returnFromBox_ = false;
    } else {
      Form_Activate();
    }
  }
}

void frmbkp::focusWindowChanged(QWindow* now) {
  if (!now || now == windowHandle()) return;
  returnFromBox_ = false;
  for (QWidget* w : QApplication::topLevelWidgets())
    if (w->windowHandle() == now)
      returnFromBox_ = qobject_cast<QMessageBox*>(w) || qobject_cast<QFileDialog*>(w);
}

void frmbkp::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.drawPixmap(0, 0, desktop::pictures::mainBackground());
}

void frmbkp::Timer1_Timer() {
  schedule::BackupScheduler::Hooks hooks;
  hooks.balloon = [this](const QString& title, const QString& text, bool error) {
    TrayIcon1->ShowBalloon(title, text, error ? desktop::kBalloonError : desktop::kBalloonInfo,
                           3000);
  };
  hooks.setHourglass = [](bool on) {
    desktop::setMousePointer(on ? desktop::vbHourglass : desktop::vbDefault);
  };
  hooks.runArchive = [](const schedule::RunParameters& p) { return runArchive(p); };
  schedule::BackupScheduler(Tbkp, hooks).Timer1_Timer();
}

void frmbkp::Timer2_Timer() {
  schedule::MaintenanceTrigger::Hooks hooks;
  hooks.setParameters = [](const QString& base, const QString& code) {
    setMaintenanceParameters(base, code);
  };
  hooks.showWindow = [this](const schedule::SystemEntry& e) {
    const MaintenanceOutcome out = runMaintenance(e.window);
    if (!out.completed)
      TrayIcon1->ShowBalloon(QStringLiteral("Falha na Atualização!"),
                             desktop::asSentence(out.reason), desktop::kBalloonError, 3000);
  };
  try {
    schedule::MaintenanceTrigger(Tpc, hooks).Timer2_Timer();
  } catch (const RuntimeError& e) {
    reportError(QStringLiteral("Falha na Atualização!"), e.message());
  }
}

void frmbkp::Timer3_Timer() {
  schedule::VisitTrigger::Hooks hooks;
  hooks.reminderVisible = [] { return reminderVisible(); };
  hooks.showReminder = [] { showReminder(); };
  try {
    schedule::VisitTrigger(Tpc, hooks).Timer3_Timer();
  } catch (const RuntimeError& e) {
    reportError(QStringLiteral("Falha no Lembrete de Visita!"), e.message());
  }
}

void frmbkp::Timer4_Timer() {
  hide();
  Timer4->stop();
}

void frmbkp::Timer6_Timer() {
  lbldt->setText(rt::Format(rt::Date(), QStringLiteral("dd/mmm/yyyy")));
  lblhr->setText(rt::CStr(rt::Time()));
}

void frmbkp::TrayIcon1_DblClick() {
  returnFromBox_ = false;
  setWindowState(windowState() & ~Qt::WindowMinimized);
  show();
  raise();
  activateWindow();
}

void frmbkp::mnuconfig_Click() {
  TrayIcon1_DblClick();
}

void frmbkp::TrayIcon1_MouseClick(int button) {
  if (button == desktop::kRightButton) TrayIcon1->popupMenu(mnumenu);
}

void frmbkp::mnufechar_Click() {
  if (desktop::MsgBox(QStringLiteral("Sair do Arkivor?"), desktop::vbYesNo | desktop::vbQuestion) ==
      desktop::vbYes) {
    endProcess();
  }
}

void frmbkp::reportError(const QString& title, const QString& message) {
  TrayIcon1->ShowBalloon(title, desktop::asSentence(message), desktop::kBalloonError, 3000);
}

}  // namespace ark::app
