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

}  // namespace
}  // namespace ark::app::test
