// SendKeys: Tab moves the focus along the tab order as the key does; characters are typed.
#include "platform/desktop/sendkeys.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QWidget>

namespace ark::desktop {
namespace {

// A window whose tab order differs from the creation order, with a disabled and a hidden
// control in it, and Enter turned into Tab by a key preview (as the main window does).
class FocusWindow : public QWidget {
 public:
  FocusWindow() {
    a = new QLineEdit(this);
    d = new QLineEdit(this);
    b = new QCheckBox(this);
    c = new QPushButton(this);
    e = new QPushButton(this);
    a->setObjectName("a");
    b->setObjectName("b");
    c->setObjectName("c");
    d->setObjectName("d");
    e->setObjectName("e");
    QWidget::setTabOrder(a, b);
    QWidget::setTabOrder(b, c);
    QWidget::setTabOrder(c, d);
    QWidget::setTabOrder(d, e);
    for (QWidget* w : {static_cast<QWidget*>(a), static_cast<QWidget*>(b), static_cast<QWidget*>(c),
                       static_cast<QWidget*>(d), static_cast<QWidget*>(e)}) {
      w->setFocusPolicy(Qt::StrongFocus);
      w->installEventFilter(this);
    }
    show();
    QApplication::setActiveWindow(this);
    activateWindow();
    QApplication::processEvents();
  }
  QString focused() const {
    QWidget* f = QApplication::focusWidget();
    return f ? f->objectName() : QString();
  }
  bool eventFilter(QObject* o, QEvent* ev) override {
    if (ev->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(ev)->key() == Qt::Key_Return) {
      SendKeys(QStringLiteral("{tab}"), false);
      return true;
    }
    return QWidget::eventFilter(o, ev);
  }
  QLineEdit *a, *d;
  QCheckBox* b;
  QPushButton *c, *e;
};

TEST(SendKeys, TabFollowsTheTabOrderPassingOverDisabledAndHiddenControls) {
  FocusWindow w;
  w.b->setEnabled(false);
  w.c->hide();
  w.a->setFocus();
  ASSERT_EQ(w.focused(), "a");
  SendKeys(QStringLiteral("{tab}"), true);
  EXPECT_EQ(w.focused(), "d");
  SendKeys(QStringLiteral("{TAB}"), false);
  EXPECT_EQ(w.focused(), "d");  // not before the current event is done
  QApplication::processEvents();
  EXPECT_EQ(w.focused(), "e");
}

TEST(SendKeys, EnterTurnedIntoTabByAKeyPreview) {
  FocusWindow w;
  w.a->setFocus();
  QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
  QCoreApplication::sendEvent(w.a, &enter);
  QApplication::processEvents();
  EXPECT_EQ(w.focused(), "b");
  EXPECT_FALSE(w.b->isChecked());
}

TEST(SendKeys, TypesCharactersIntoTheFocusedControlAndFollowsTheFocus) {
  FocusWindow w;
  w.b->setEnabled(false);
  w.c->setEnabled(false);
  w.a->setFocus();
  SendKeys(QStringLiteral("ab{tab}{{}x"), true);
  EXPECT_EQ(w.a->text(), QStringLiteral("ab"));
  EXPECT_EQ(w.d->text(), QStringLiteral("{x"));
}

}  // namespace
}  // namespace ark::desktop
