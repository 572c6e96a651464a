// The tray-icon control: activation reasons to its events, balloons to the recorder.
#include "platform/desktop/tray.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QMenu>

namespace ark::desktop {
namespace {

TEST(TrayIcon, MapsActivationReasonsToItsEvents) {
  struct Case {
    QSystemTrayIcon::ActivationReason reason;
    int dblClicks;
    QList<int> buttons;
  } cases[] = {
      {QSystemTrayIcon::DoubleClick, 1, {}},
      {QSystemTrayIcon::Context, 0, {kRightButton}},
      {QSystemTrayIcon::Trigger, 0, {kLeftButton}},
      {QSystemTrayIcon::MiddleClick, 0, {kMiddleButton}},
      {QSystemTrayIcon::Unknown, 0, {}},
  };
  for (const Case& c : cases) {
    TrayIcon tray;
    int dbl = 0;
    QList<int> buttons;
    QObject::connect(&tray, &TrayIcon::DblClick, [&] { ++dbl; });
    QObject::connect(&tray, &TrayIcon::MouseClick, [&](int b) { buttons << b; });
    emit tray.systemTrayIcon()->activated(c.reason);
    EXPECT_EQ(dbl, c.dblClicks) << c.reason;
    EXPECT_EQ(buttons, c.buttons) << c.reason;
  }
}

TEST(TrayIcon, ShowsAndHidesTheIcon) {
  TrayIcon tray;
  tray.setToolTip(QStringLiteral("Dovral Videzide® - Arkivor 2026"));
  tray.setShowIcon(true);
  EXPECT_TRUE(tray.ShowIcon());
  EXPECT_TRUE(tray.systemTrayIcon()->isVisible());
  EXPECT_EQ(tray.systemTrayIcon()->toolTip(), QStringLiteral("Dovral Videzide® - Arkivor 2026"));
  tray.setShowIcon(false);
  EXPECT_FALSE(tray.systemTrayIcon()->isVisible());
}

TEST(TrayIcon, RecorderTakesTheBalloons) {
  BalloonRecorder recorder;
  TrayIcon tray;
  tray.setShowIcon(true);
  tray.ShowBalloon(QStringLiteral("Sistema de Backup Dovral® Iniciado."),
                   QStringLiteral("Dois Clicks no ícone para configurar. "), kBalloonInfo, 3000);
  tray.ShowBalloon(QStringLiteral("Falha"), QString(), kBalloonError, 3000);
  ASSERT_EQ(recorder.balloons().size(), 2);
  EXPECT_EQ(recorder.balloons()[0].text, QStringLiteral("Dois Clicks no ícone para configurar. "));
  EXPECT_EQ(recorder.balloons()[0].icon, 1);
  EXPECT_EQ(recorder.balloons()[1].title, QStringLiteral("Falha"));
  EXPECT_EQ(recorder.balloons()[1].text, QString());
  EXPECT_EQ(recorder.balloons()[1].icon, kBalloonError);
}

TEST(TrayIcon, PopsTheMenuUp) {
  TrayIcon tray;
  QMenu menu;
  menu.addAction(QStringLiteral("&Configurações"));
  tray.popupMenu(&menu);
  EXPECT_TRUE(menu.isVisible());
  menu.close();
}

}  // namespace
}  // namespace ark::desktop
