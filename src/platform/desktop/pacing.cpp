#include "platform/desktop/pacing.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QWidget>
#include <QWindow>

namespace ark::desktop {

void PumpPacer::pump() {
  held_ = false;
  QCoreApplication::processEvents();
  last_.start();
}

void PumpPacer::pumpWhenDue() {
  if (!due()) {
    held_ = true;
    return;
  }
  pump();
}

void PumpPacer::flush() {
  if (held_) pump();
}

void waitUntilExposed(QWidget* window, int limitMs) {
  QElapsedTimer t;
  t.start();
  QPointer<QWidget> w(window);
  while (w && w->isVisible() && t.elapsed() < limitMs) {
    QWindow* handle = w->windowHandle();
    if (handle && handle->isExposed()) break;
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
  }
  // The first paint of an exposed window is posted: deliver it.
  if (w) QCoreApplication::processEvents();
}

void centreOnScreen(QWidget* window) {
  QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
  if (!screen) return;
  // Before the window manager has framed the window its frame is the window itself.
  QSize outer = window->size();
  if (QWindow* handle = window->windowHandle()) {
    const QMargins m = handle->frameMargins();
    outer += QSize(m.left() + m.right(), m.top() + m.bottom());
  }
  const QRect area = screen->availableGeometry();
  // move() places the frame's corner for a top-level window.
  window->move(area.x() + (area.width() - outer.width()) / 2,
               area.y() + (area.height() - outer.height()) / 2);
}

namespace {

// Centres its window when shown, and again when its frame is first known to differ from
// what the last centring assumed.
class Centring : public QObject {
 public:
  explicit Centring(QWidget* w) : QObject(w), window_(w) { w->installEventFilter(this); }

  bool eventFilter(QObject* o, QEvent* e) override {
    if (o == window_ && e->type() == QEvent::Show) {
      centreOnScreen(window_);
      watchHandle();
      margins_ = currentMargins();
    } else if (o == handle_ && (e->type() == QEvent::Expose || e->type() == QEvent::Move)) {
      const QMargins now = currentMargins();
      if (now != margins_) {
        margins_ = now;
        centreOnScreen(window_);
      }
    }
    return false;
  }

 private:
  QMargins currentMargins() const {
    return window_->windowHandle() ? window_->windowHandle()->frameMargins() : QMargins();
  }
  void watchHandle() {
    QWindow* h = window_->windowHandle();
    if (!h || h == handle_) return;
    if (handle_) handle_->removeEventFilter(this);
    handle_ = h;
    h->installEventFilter(this);
  }

  QWidget* window_;
  QPointer<QWindow> handle_;
  QMargins margins_;
};

}  // namespace

void keepCentred(QWidget* window) {
  new Centring(window);
}

}  // namespace ark::desktop
