#pragma once
// The tray-icon control: an icon with a tooltip in the notification area, balloons, and
// the double-click and mouse-button events. Tests install a BalloonRecorder to read the
// balloons instead of showing them.
#include <QElapsedTimer>
#include <QIcon>
#include <QObject>
#include <QQueue>
#include <QString>
#include <QSystemTrayIcon>
#include <QVector>

class QMenu;

namespace ark::desktop {

// Balloon icon numbers.
enum BalloonIcon : int {
  kBalloonNone = 0,
  kBalloonInfo = 1,
  kBalloonWarning = 2,
  kBalloonError = 3,  // failures of timer-driven jobs
};

// Mouse buttons as MouseClick reports them.
enum MouseButton : int { kLeftButton = 1, kRightButton = 2, kMiddleButton = 4 };

class TrayIcon : public QObject {
  Q_OBJECT

 public:
  explicit TrayIcon(QObject* parent = nullptr);
  ~TrayIcon() override;

  bool ShowIcon() const { return shown_; }
  void setShowIcon(bool show);

  // Shows a balloon by the icon; an icon number outside BalloonIcon shows the information
  // icon. A balloon asked for right after the icon appeared waits (up to about a second)
  // until the icon has its place in the notification area, so that it points at the icon.
  void ShowBalloon(const QString& title, const QString& text, int icon, int timeoutMs);

  void setToolTip(const QString& tip);
  QString toolTip() const;
  void setIcon(const QIcon& icon);
  QIcon icon() const;

  // Pops the menu up at the mouse position (does not wait for a choice).
  void popupMenu(QMenu* menu);

  // The Qt icon behind the control (tests emit its activated signal).
  QSystemTrayIcon* systemTrayIcon() const { return tray_; }

 signals:
  void DblClick();
  void MouseClick(int button);

 private:
  struct Balloon {
    QString title, text;
    int icon;
    int timeoutMs;
  };
  void onActivated(QSystemTrayIcon::ActivationReason reason);
  void showNow(const Balloon& b);
  void flushPending();
  bool placed() const;

  QSystemTrayIcon* tray_;
  bool shown_ = false;
  QElapsedTimer sinceShown_;
  QQueue<Balloon> pending_;
  bool flushScheduled_ = false;
};

// Collects the balloons of every TrayIcon while installed; they are not shown then.
class BalloonRecorder {
 public:
  struct Balloon {
    QString title, text;
    int icon = 0;
    int timeoutMs = 0;
  };
  BalloonRecorder();
  ~BalloonRecorder();
  BalloonRecorder(const BalloonRecorder&) = delete;
  BalloonRecorder& operator=(const BalloonRecorder&) = delete;

  const QVector<Balloon>& balloons() const { return balloons_; }
  void clear() { balloons_.clear(); }
  void record(const Balloon& b) { balloons_.append(b); }

 private:
  QVector<Balloon> balloons_;
  BalloonRecorder* previous_;
};

}  // namespace ark::desktop
