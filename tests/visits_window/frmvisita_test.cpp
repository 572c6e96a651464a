// The reminder window: greeting and initial display, the answer highlight, the check box
// rule, the keys 1 to 3 under key preview, the message limit with its counter, and what a
// later activation resets.
#include <QCheckBox>
#include <QLabel>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>

#include "platform/desktop/controls.h"
#include "window_fixture.h"

namespace ark::visits {
namespace {

const QColor kWhite(255, 255, 255), kLightGreen(192, 255, 192), kLightRed(255, 192, 192),
    kGrey(192, 192, 192);
const QString kCounter =
    QStringLiteral("Se quiser, pode nos enviar uma mensagem por aqui...      Limite: ");

struct Display {
  bool bold[3];
  QColor fill[3];
  bool txtEnabled;
  QColor txtBack;
  QString txt;
  bool chkEnabled;
  bool chkTicked;
};

void expectDisplay(const frmvisita& w, const Display& d) {
  const QLabel* labels[] = {w.lblsim, w.lblnao, w.lbladiar};
  const desktop::Shape* shapes[] = {w.ShapeSIM, w.ShapeNAO, w.ShapeADIAR};
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(labels[i]->font().bold(), d.bold[i]) << labels[i]->objectName().toStdString();
    EXPECT_EQ(shapes[i]->fillColor(), d.fill[i]) << shapes[i]->objectName().toStdString();
  }
  EXPECT_EQ(w.txtmsg->isEnabled(), d.txtEnabled);
  EXPECT_EQ(w.txtmsg->palette().color(QPalette::Base), d.txtBack);
  EXPECT_EQ(w.txtmsg->toPlainText(), d.txt);
  EXPECT_EQ(w.chkmsg->isEnabled(), d.chkEnabled);
  EXPECT_EQ(w.chkmsg->isChecked(), d.chkTicked);
}

const Display kInitial = {
    {false, false, false}, {kWhite, kWhite, kGrey}, false, kWhite, "", true, false};

void click(QWidget* w) {
  const QPointF at(w->width() / 2.0, w->height() / 2.0);
  QMouseEvent press(QEvent::MouseButtonPress, at, w->mapToGlobal(at), Qt::LeftButton,
                    Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(w, &press);
  QMouseEvent release(QEvent::MouseButtonRelease, at, w->mapToGlobal(at), Qt::LeftButton,
                      Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(w, &release);
}

using FrmvisitaWindow = WindowTest;

TEST_F(FrmvisitaWindow, OpensGreetingInCapitalsOnAdiarWithTheDesignedDisplay) {
  makeDb();
  struct Case {
    const char* nome;
    QString greeting;
  } cases[] = {{"'loja são joão'", "LOJA SÃO JOÃO"}, {"NULL", ""}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.nome);
    test::execSql(dbPath(), QStringLiteral("update pcs set nome = %1").arg(c.nome));
    frmvisita& w = open();
    EXPECT_EQ(w.lblmsg->text(), c.greeting);
    EXPECT_EQ(w.Opcao, frmvisita::Adiar);
    expectDisplay(w, kInitial);
    for (auto* img : w.isis) EXPECT_TRUE(img->isEnabled());
    EXPECT_EQ(w.Label4->text(), kCounter + "150 caracteres.");
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Dovral Videzide®"));
    EXPECT_EQ(w.size(), QSize(425, 505));
    EXPECT_FALSE(w.windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_TRUE(w.cmdconfirma->isDefault());
    delete &w;
  }
}

TEST_F(FrmvisitaWindow, AnswerHighlightTable) {
  struct Case {
    const char* name;
    int before;
    QString typed;  // into the message while Sim is chosen
    bool ticked;    // the box ticked before the answer (only reachable by Não or Adiar)
    int chosen;
    Display expected;
  };
  const Case cases[] = {
      {"Sim",
       frmvisita::Adiar,
       "",
       false,
       frmvisita::Sim,
       {{true, false, false}, {kLightGreen, kWhite, kWhite}, true, kLightGreen, "", false, false}},
      {"Sim again keeps the message",
       frmvisita::Sim,
       "até logo",
       false,
       frmvisita::Sim,
       {{true, false, false},
        {kLightGreen, kWhite, kWhite},
        true,
        kLightGreen,
        "até logo",
        false,
        false}},
      {"Não discards the message",
       frmvisita::Sim,
       "até logo",
       false,
       frmvisita::Nao,
       {{false, true, false}, {kWhite, kLightRed, kWhite}, false, kWhite, "", true, false}},
      {"Adiar discards the message",
       frmvisita::Sim,
       "até logo",
       false,
       frmvisita::Adiar,
       {{false, false, true}, {kWhite, kWhite, kGrey}, false, kWhite, "", true, false}},
      {"Não keeps the ticked box",
       frmvisita::Adiar,
       "",
       true,
       frmvisita::Nao,
       {{false, true, false}, {kWhite, kLightRed, kWhite}, false, kWhite, "", true, true}},
      {"Adiar keeps the ticked box",
       frmvisita::Nao,
       "",
       true,
       frmvisita::Adiar,
       {{false, false, true}, {kWhite, kWhite, kGrey}, false, kWhite, "", true, true}},
  };
  makeDb();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    frmvisita& w = open();
    w.isis_Click(c.before);
    if (!c.typed.isEmpty()) w.txtmsg->setPlainText(c.typed);
    if (c.ticked) w.chkmsg->setChecked(true);
    w.isis_Click(c.chosen);
    EXPECT_EQ(w.Opcao, c.chosen);
    expectDisplay(w, c.expected);
    if (c.expected.txt.isEmpty() && !c.typed.isEmpty())
      EXPECT_EQ(w.Label4->text(), kCounter + "150 caracteres");
    delete &w;
  }
}

TEST_F(FrmvisitaWindow, TickingTheBoxShowsAdiarAndLocksTheAnswerImages) {
  makeDb();
  frmvisita& w = open();
  click(w.isis[frmvisita::Nao]);
  ASSERT_EQ(w.Opcao, frmvisita::Nao);

  w.chkmsg->setChecked(true);
  EXPECT_EQ(w.Opcao, frmvisita::Adiar);
  for (auto* img : w.isis) EXPECT_FALSE(img->isEnabled());
  expectDisplay(w, {{false, false, true}, {kWhite, kWhite, kGrey}, false, kWhite, "", true, true});
  click(w.isis[frmvisita::Sim]);
  EXPECT_EQ(w.Opcao, frmvisita::Adiar);

  click(w.isis[frmvisita::Nao]);  // still locked
  w.chkmsg->setChecked(false);
  EXPECT_EQ(w.Opcao, frmvisita::Adiar);
  for (auto* img : w.isis) EXPECT_TRUE(img->isEnabled());
  expectDisplay(w, {{false, false, true}, {kWhite, kWhite, kGrey}, false, kWhite, "", true, false});
}

TEST_F(FrmvisitaWindow, KeysOneToThreeChooseWhileTheImagesAreEnabled) {
  struct Case {
    const char* name;
    bool ticked;
    int before;
    bool inMessage;  // the keys are typed into the message box
    QString keys;
    int expected;
    QString message;
  };
  const Case cases[] = {
      {"1", false, frmvisita::Adiar, false, "1", frmvisita::Sim, ""},
      {"2", false, frmvisita::Sim, false, "2", frmvisita::Nao, ""},
      {"3", false, frmvisita::Nao, false, "3", frmvisita::Adiar, ""},
      {"other keys", false, frmvisita::Nao, false, "x40", frmvisita::Nao, ""},
      {"1 with the box ticked", true, frmvisita::Adiar, false, "1", frmvisita::Adiar, ""},
      {"2 with the box ticked", true, frmvisita::Adiar, false, "2", frmvisita::Adiar, ""},
      {"1 while writing keeps Sim and goes into the text", false, frmvisita::Sim, true, "a1b",
       frmvisita::Sim, "a1b"},
      {"2 while writing switches to Não and empties the text", false, frmvisita::Sim, true, "ab2",
       frmvisita::Nao, ""},
      {"3 while writing switches to Adiar", false, frmvisita::Sim, true, "ab3c", frmvisita::Adiar,
       ""},
  };
  makeDb();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    frmvisita& w = open();
    w.isis_Click(c.before);
    if (c.ticked) w.chkmsg->setChecked(true);
    if (c.inMessage)
      w.txtmsg->setFocus();
    else
      w.cmdconfirma->setFocus();
    type(w, c.keys);
    EXPECT_EQ(w.Opcao, c.expected);
    EXPECT_EQ(w.txtmsg->toPlainText(), c.message);
    EXPECT_EQ(w.txtmsg->isEnabled(), c.expected == frmvisita::Sim);
    delete &w;
  }
}

TEST_F(FrmvisitaWindow, MessageStopsAtOneHundredFiftyWithLineBreaksCountingTwo) {
  struct Case {
    const char* name;
    QString typed;   // typed key by key ("\n" is Enter)
    QString pasted;  // then pasted at the cursor
    QString kept;
    int left;
  };
  const QString x149(149, 'x'), x148(148, 'x');
  const Case cases[] = {
      {"150 typed, one more refused", QString(150, 'x') + "y", "", QString(150, 'x'), 0},
      {"a line break fills the last two", x148 + "\n", "", x148 + "\n", 0},
      {"a line break does not fit in one", x149 + "\n", "", x149, 1},
      {"a long paste keeps what fits", "ab", QString(200, 'p'), "ab" + QString(148, 'p'), 0},
  };
  makeDb();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    frmvisita& w = open();
    w.isis_Click(frmvisita::Sim);
    w.txtmsg->setFocus();
    type(w, c.typed);
    if (!c.pasted.isEmpty()) w.txtmsg->insertPlainText(c.pasted);
    EXPECT_EQ(w.txtmsg->toPlainText(), c.kept);
    EXPECT_EQ(w.Label4->text(), kCounter + QString::number(c.left) + " caracteres");
    delete &w;
  }
}

TEST_F(FrmvisitaWindow, ExcessPastedInTheMiddleIsCutWhereItWasPasted) {
  makeDb();
  frmvisita& w = open();
  w.isis_Click(frmvisita::Sim);
  w.txtmsg->setFocus();
  type(w, QString(140, 'a') + "\nz");  // 143 counted
  QTextCursor c = w.txtmsg->textCursor();
  c.setPosition(140);
  w.txtmsg->setTextCursor(c);
  w.txtmsg->insertPlainText("0123456789");
  EXPECT_EQ(w.txtmsg->toPlainText(), QString(140, 'a') + "0123456" + "\nz");
  EXPECT_EQ(w.messageLength(), 150);
  EXPECT_EQ(w.messageText(), QString(140, 'a') + "0123456" + "\r\nz");
}

// The confirmation's own boxes hand the activation back when they close; only a return from
// another window of the program sets answer and display back to Adiar.
TEST_F(FrmvisitaWindow, LaterActivationResetsOnlyAfterAnotherWindowOfTheProgram) {
  makeDb();
  frmvisita& w = open();
  w.activateWindow();
  QApplication::processEvents();
  if (!w.isActiveWindow()) GTEST_SKIP() << "the platform gives no window activation";
  w.isis_Click(frmvisita::Sim);
  w.txtmsg->setPlainText("olá");

  {
    QDialog box(&w);  // a message box of the window
    box.show();
    box.activateWindow();
    QApplication::processEvents();
    box.hide();
    w.activateWindow();
    QApplication::processEvents();
  }
  EXPECT_EQ(w.Opcao, frmvisita::Sim);
  EXPECT_EQ(w.txtmsg->toPlainText(), "olá");
  {
    QMessageBox box;  // shown while no window had the activation: it has no owner
    box.show();
    box.activateWindow();
    QApplication::processEvents();
    box.hide();
    w.activateWindow();
    QApplication::processEvents();
  }
  EXPECT_EQ(w.Opcao, frmvisita::Sim);
  EXPECT_EQ(w.txtmsg->toPlainText(), "olá");

  test::execSql(dbPath(), "update pcs set nome = 'Nova Razão'");
  QWidget other;  // the main window, say
  other.show();
  other.activateWindow();
  QApplication::processEvents();
  ASSERT_FALSE(w.isActiveWindow());
  w.activateWindow();
  QApplication::processEvents();
  EXPECT_EQ(w.Opcao, frmvisita::Adiar);
  EXPECT_EQ(w.lblmsg->text(), "NOVA RAZÃO");
  expectDisplay(w, {{false, false, true}, {kWhite, kWhite, kGrey}, false, kWhite, "", true, false});
}

TEST_F(FrmvisitaWindow, EscapeDoesNotCloseTheWindow) {
  makeDb();
  frmvisita& w = open();
  QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
  QApplication::sendEvent(&w, &esc);
  EXPECT_TRUE(w.isVisible());
  EXPECT_TRUE(frmvisita::exists());
}

TEST_F(FrmvisitaWindow, AnUnreadableScheduleDatabaseIsReportedAndTheWindowCloses) {
  open();  // no database in the program folder
  QCoreApplication::processEvents();
  ASSERT_EQ(boxes.shown().size(), 1);
  EXPECT_EQ(boxes.shown()[0].style, desktop::vbCritical);
  EXPECT_TRUE(boxes.shown()[0].text.contains(dbPath())) << boxes.shown()[0].text.toStdString();
  EXPECT_FALSE(frmvisita::exists());
}

}  // namespace
}  // namespace ark::visits
