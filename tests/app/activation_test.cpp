// Activations of the main window: returning from another window of the program reloads the
// grid at its first row; the window's own message box handing the activation back does not.
#include <QMessageBox>

#include "editor_fixture.h"

namespace ark::app::test {
namespace {

class Activation : public FrmbkpTest {
 protected:
  void activate(QWidget* other) {
    other->show();
    other->activateWindow();
    waitFor([other] { return other->isActiveWindow(); });
    ASSERT_TRUE(other->isActiveWindow());
    other->hide();
    w->activateWindow();
    waitFor([this] { return w->isActiveWindow(); });
    ASSERT_TRUE(w->isActiveWindow());
    settle();
  }
};

TEST_F(Activation, AMessageBoxClosingKeepsTheCurrentRow) {
  open();
  w->bdbkp.recordset().setCurrentIndex(2);
  QMessageBox box(QMessageBox::Question, desktop::kProgramTitle, QStringLiteral("?"));
  activate(&box);
  EXPECT_EQ(w->bdbkp.recordset().currentIndex(), 2);
}

TEST_F(Activation, ComingBackFromAnotherWindowReloadsAtTheFirstRow) {
  open();
  w->bdbkp.recordset().setCurrentIndex(2);
  QWidget other;
  activate(&other);
  EXPECT_EQ(w->bdbkp.recordset().currentIndex(), 0);
}

// A schedule database without its backup table: the first activation fails. The box comes
// once the window is on screen and painted, and its reason reads as a sentence.
TEST_F(Activation, AFailedFirstActivationIsToldOverAPaintedWindow) {
  qputenv("XDG_CONFIG_DIRS", dir_.mkdir("xdg").toUtf8());
  setProgramFolder(dir_.path());
  ark::test::createScheduleDb(file(), kThreeRows);
  exec(QStringLiteral("DROP TABLE backup"));
  w = &frmbkp::instance();
  for (QTimer* t : {w->Timer1, w->Timer2, w->Timer3, w->Timer4, w->Timer6}) t->stop();
  int paintsBeforeBox = -1;
  struct Paints : QObject {
    int n = 0;
    bool eventFilter(QObject*, QEvent* e) override {
      if (e->type() == QEvent::Paint) ++n;
      return false;
    }
  } paints;
  w->installEventFilter(&paints);
  struct Box : desktop::MsgBoxHandler {
    std::function<int(const QString&)> f;
    int show(const QString& text, int, const QString&) override { return f(text); }
  } box;
  QStringList texts;
  box.f = [&](const QString& text) {
    texts << text;
    paintsBeforeBox = paints.n;
    return desktop::vbOK;
  };
  desktop::ScopedMsgBox scoped(box);
  w->show();
  waitFor([&] { return !texts.isEmpty(); });
  settle();
  ASSERT_EQ(texts.size(), 1);
  EXPECT_TRUE(texts[0].startsWith(QStringLiteral("Tabela não encontrada"))) << texts[0].toStdString();
  EXPECT_GE(paintsBeforeBox, 1);
  w->removeEventFilter(&paints);
}

}  // namespace
}  // namespace ark::app::test
