// The tray-icon control over QSystemTrayIcon.
#include "platform/desktop/tray.h"

#include <QCoreApplication>
#include <QCursor>
#include <QMenu>
#include <QTimer>

namespace ark::desktop {

namespace {
BalloonRecorder* g_recorder = nullptr;
constexpr int kPlacementWaitMs = 1000;
constexpr int kPlacementPollMs = 100;

QSystemTrayIcon::MessageIcon messageIcon(int icon) {
  switch (icon) {
    case kBalloonNone:
      return QSystemTrayIcon::NoIcon;
    case kBalloonWarning:
      return QSystemTrayIcon::Warning;
    case kBalloonError:
      return QSystemTrayIcon::Critical;
    default:
      return QSystemTrayIcon::Information;
  }
}
}  // namespace

BalloonRecorder::BalloonRecorder() : previous_(g_recorder) {
  g_recorder = this;
}
BalloonRecorder::~BalloonRecorder() {
  g_recorder = previous_;
}

TrayIcon::TrayIcon(QObject* parent) : QObject(parent), tray_(new QSystemTrayIcon(this)) {
  connect(tray_, &QSystemTrayIcon::activated, this, &TrayIcon::onActivated);
  // The icon must not stay behind in the notification area after the program ends.
  if (QCoreApplication::instance())
    connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, tray_,
            &QSystemTrayIcon::hide);
}

TrayIcon::~TrayIcon() {
  tray_->hide();
}

void TrayIcon::setShowIcon(bool show) {
  if (show && !shown_) sinceShown_.start();
  shown_ = show;
  tray_->setVisible(show);
}

void TrayIcon::setToolTip(const QString& tip) {
  tray_->setToolTip(tip);
}
QString TrayIcon::toolTip() const {
  return tray_->toolTip();
}
void TrayIcon::setIcon(const QIcon& icon) {
  tray_->setIcon(icon);
}
QIcon TrayIcon::icon() const {
  return tray_->icon();
}

void TrayIcon::popupMenu(QMenu* menu) {
  if (menu) menu->popup(QCursor::pos());
}

void TrayIcon::onActivated(QSystemTrayIcon::ActivationReason reason) {
  switch (reason) {
    case QSystemTrayIcon::DoubleClick:
      emit DblClick();
      break;
    case QSystemTrayIcon::Context:
      emit MouseClick(kRightButton);
      break;
    case QSystemTrayIcon::Trigger:
      emit MouseClick(kLeftButton);
      break;
    case QSystemTrayIcon::MiddleClick:
      emit MouseClick(kMiddleButton);
      break;
    default:
      break;
  }
}

bool TrayIcon::placed() const {
  if (!shown_ || !sinceShown_.isValid() || sinceShown_.elapsed() >= kPlacementWaitMs) return true;
  // Until the notification area embeds it, the icon reports a valid geometry at the
  // screen's origin.
  const QRect g = tray_->geometry();
  return g.isValid() && g.topLeft() != QPoint(0, 0);
}

void TrayIcon::ShowBalloon(const QString& title, const QString& text, int icon, int timeoutMs) {
  if (g_recorder) {
    g_recorder->record({title, text, icon, timeoutMs});
    return;
  }
  const Balloon b{title, text, icon, timeoutMs};
  if (pending_.isEmpty() && placed()) {
    showNow(b);
    return;
  }
  pending_.enqueue(b);
  if (!flushScheduled_) {
    flushScheduled_ = true;
    QTimer::singleShot(kPlacementPollMs, this, &TrayIcon::flushPending);
  }
}

void TrayIcon::flushPending() {
  flushScheduled_ = false;
  if (!placed()) {
    flushScheduled_ = true;
    QTimer::singleShot(kPlacementPollMs, this, &TrayIcon::flushPending);
    return;
  }
  while (!pending_.isEmpty()) showNow(pending_.dequeue());
}

void TrayIcon::showNow(const Balloon& b) {
  // Some notification servers drop a message with an empty body, title and all.
  const QString body = b.text.isEmpty() ? QStringLiteral(" ") : b.text;
  tray_->showMessage(b.title, body, messageIcon(b.icon), b.timeoutMs);
}

}  // namespace ark::desktop
