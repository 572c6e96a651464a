#pragma once
// How the long jobs keep their windows painted on the one thread they share with the
// windows: a message pump paints at most once a frame when asked to, and a pump held back
// is made at the next one that may not wait. The windows also place themselves here.
#include <QElapsedTimer>

class QWidget;

namespace ark::desktop {

class PumpPacer {
 public:
  // About 60 paints a second; the eye sees no more.
  static constexpr qint64 kFrameMs = 16;

  // Pumps now, whatever the time since the last pump.
  void pump();
  // Pumps when a frame has passed since the last pump; otherwise holds the pump back.
  void pumpWhenDue();
  // Makes the pump held back, if any: what the window holds is on screen when it returns.
  void flush();

  bool held() const { return held_; }
  // A frame has passed since the last pump (or there was none).
  bool due() const { return !last_.isValid() || last_.elapsed() >= kFrameMs; }

 private:
  QElapsedTimer last_;
  bool held_ = false;
};

// Pumps until the window is on screen (the display has exposed it), at most `limitMs`:
// work that starts earlier would run behind a window that was never painted.
void waitUntilExposed(QWidget* window, int limitMs = 1000);

// Moves a top-level window so that it sits centred on its screen, the frame a window
// manager draws around it included (once the manager has told its size).
void centreOnScreen(QWidget* window);

// Keeps a top-level window centred: at every show, and again once the window manager
// has framed it. Install once, before the first show.
void keepCentred(QWidget* window);

}  // namespace ark::desktop
