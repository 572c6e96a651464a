// The form controls: the masked box as shown, the progress bar keeping what it is given.
#include "platform/desktop/controls.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QElapsedTimer>
#include <QScreen>
#include <QWindow>

namespace ark::desktop {
namespace {

void type(QWidget* w, const QString& keys) {
  for (QChar c : keys) {
    QKeyEvent press(QEvent::KeyPress, c.unicode(), Qt::NoModifier, QString(c));
    QCoreApplication::sendEvent(w, &press);
  }
}

TEST(MaskEdBox, TextIsWhatTheBoxShows) {
  struct Case {
    const char* typed;
    const char* shown;
  } cases[] = {
      {"", "__:__:__"},       {"22", "22:__:__"},
      {"220000", "22:00:00"}, {"2359591", "23:59:59"},  // no seventh digit
      {"2a2", "22:__:__"},                              // letters are not taken
  };
  for (const Case& c : cases) {
    MaskEdBox box;
    box.setCursorPosition(0);
    type(&box, QString::fromUtf8(c.typed));
    EXPECT_EQ(box.text(), QString::fromUtf8(c.shown)) << c.typed;
  }
}

TEST(MaskEdBox, SetTextPutsEachDigitInItsPlaceAndTheCaretOnTheFirst) {
  struct Case {
    const char* given;
    const char* shown;
    const char* afterTyping1;  // the caret is on the first position, typing overwrites
  } cases[] = {
      {"22:00:00", "22:00:00", "12:00:00"}, {"22:0", "22:0_:__", "12:0_:__"},
      {"22:_0:00", "22:_0:00", "12:_0:00"}, {"__:_5:__", "__:_5:__", "1_:_5:__"},
      {"2_:00:00", "2_:00:00", "1_:00:00"}, {"__:__:__", "__:__:__", "1_:__:__"},
      {"", "__:__:__", "1_:__:__"},
  };
  for (const Case& c : cases) {
    MaskEdBox box;
    box.setText(QStringLiteral("07:30:00"));
    box.setText(QString::fromUtf8(c.given));
    EXPECT_EQ(box.text(), QString::fromUtf8(c.shown)) << c.given;
    EXPECT_FALSE(box.isModified()) << c.given;
    type(&box, QStringLiteral("1"));
    EXPECT_EQ(box.text(), QString::fromUtf8(c.afterTyping1)) << c.given;
  }
}

TEST(MaskEdBox, FocusByTabOrByTheCodePutsTheCaretOnTheFirstDigit) {
  struct Case {
    Qt::FocusReason reason;
    const char* afterTyping4;
  } cases[] = {
      {Qt::TabFocusReason, "42:00:00"},
      {Qt::BacktabFocusReason, "42:00:00"},
      {Qt::OtherFocusReason, "42:00:00"},         // setFocus()
      {Qt::ActiveWindowFocusReason, "22:40:00"},  // back from a message box: caret kept
  };
  for (const Case& c : cases) {
    QWidget window;
    auto* other = new QLineEdit(&window);
    auto* box = new MaskEdBox(&window);
    box->move(0, 30);
    window.show();
    QApplication::setActiveWindow(&window);
    other->setFocus();
    ASSERT_EQ(QApplication::focusWidget(), other);
    box->setText(QStringLiteral("22:00:00"));
    box->setCursorPosition(3);
    box->setFocus(c.reason);
    ASSERT_EQ(QApplication::focusWidget(), box) << c.reason;
    type(box, QStringLiteral("4"));
    EXPECT_EQ(box->text(), QString::fromUtf8(c.afterTyping4)) << c.reason;
  }
}

TEST(ProgressBar, KeepsValueAndMaxAsSet) {
  struct Case {
    int max, value;
    double drawn;
  } cases[] = {
      {0, 5, 0.0},                     // no range yet: the value still reads back
      {60, 30, 0.5},   {60, 61, 1.0},  // beyond Max
      {100, -3, 0.0},                  // below zero
      {500, 500, 1.0}, {-10, 4, 0.0},
  };
  for (const Case& c : cases) {
    ProgressBar bar;
    bar.setMax(c.max);
    bar.setValue(c.value);
    EXPECT_EQ(bar.Max(), c.max);
    EXPECT_EQ(bar.Value(), c.value);
    EXPECT_DOUBLE_EQ(bar.fraction(), c.drawn) << c.max << " " << c.value;
    bar.setValue(bar.Value() + 1);  // the runner's step: read back, plus one
    EXPECT_EQ(bar.Value(), c.value + 1);
  }
}

TEST(ProgressBar, DefaultRangeAndFillColour) {
  ProgressBar bar;
  EXPECT_EQ(bar.Max(), 100);
  EXPECT_EQ(bar.Value(), 0);
  bar.setFillColor(0x00008000);
  EXPECT_EQ(bar.FillColor(), 0x00008000u);
  EXPECT_EQ(oleColor(0x00800000), QColor(0, 0, 128));  // &H00800000& is dark blue
  EXPECT_EQ(oleColor(0x00404040), QColor(64, 64, 64));
}

// Moved a row at a time, as the jobs move it, the bar on screen shows what a bar set
// straight to the same value shows: no step that changes a pixel or the percentage is lost.
TEST(ProgressBar, ShowsEveryStepThatChangesWhatIsPainted) {
  ProgressBar bar;
  bar.resize(150, 20);
  bar.setMax(997);
  bar.show();
  QElapsedTimer waited;
  waited.start();
  while (!(bar.windowHandle() && bar.windowHandle()->isExposed()) && waited.elapsed() < 5000)
    QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
  ASSERT_TRUE(bar.windowHandle()->isExposed());
  QCoreApplication::processEvents();
  ProgressBar fresh;
  fresh.resize(bar.size());
  fresh.setMax(bar.Max());
  for (int v = 1; v <= bar.Max(); ++v) {
    bar.setValue(bar.Value() + 1);
    QCoreApplication::processEvents();
    if (v % 37 != 0 && v != bar.Max()) continue;
    fresh.setValue(v);
    // The screen's copy, not a new rendering: what the last repaint left there.
    const QImage shown = bar.screen()->grabWindow(bar.winId()).toImage();
    ASSERT_EQ(shown.convertToFormat(QImage::Format_RGB32),
              fresh.grab().toImage().convertToFormat(QImage::Format_RGB32))
        << v;
  }
}

TEST(ImageControl, ClicksOnlyWhileEnabled) {
  ImageControl image;
  image.resize(48, 48);
  int clicks = 0;
  QObject::connect(&image, &ImageControl::Click, [&] { ++clicks; });
  auto click = [&] {
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(10, 10), QPointF(10, 10),
                        Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&image, &release);
  };
  click();
  EXPECT_EQ(clicks, 1);
  image.setEnabled(false);
  click();
  EXPECT_EQ(clicks, 1);
}

}  // namespace
}  // namespace ark::desktop
