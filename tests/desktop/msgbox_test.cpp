// Message boxes: the scripted double, and the real box's lines, icon, buttons and captions.
#include "platform/desktop/msgbox.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

namespace ark::desktop {
namespace {

TEST(ScriptedMsgBox, RecordsEachBoxAndAnswersFromItsQueue) {
  ScriptedMsgBox boxes;
  ScopedMsgBox scope(boxes);
  boxes.answer(vbNo);
  EXPECT_EQ(MsgBox(QStringLiteral("Sair do Arkivor?"), vbYesNo + vbQuestion), vbNo);
  // Queue empty: the default button.
  EXPECT_EQ(MsgBox(QStringLiteral("Excluir o Backup Programado?"), vbYesNo + vbQuestion), vbYes);
  EXPECT_EQ(MsgBox(QStringLiteral("x"), vbYesNo + vbDefaultButton2), vbNo);
  EXPECT_EQ(MsgBox(QStringLiteral("a\rb"), vbInformation, QString()), vbOK);
  boxes.setFallback(vbNo);
  EXPECT_EQ(MsgBox(QStringLiteral("y"), vbYesNo), vbNo);

  ASSERT_EQ(boxes.shown().size(), 5);
  EXPECT_EQ(boxes.shown()[0].text, QStringLiteral("Sair do Arkivor?"));
  EXPECT_EQ(boxes.shown()[0].style, 36);
  EXPECT_EQ(boxes.shown()[0].title, QStringLiteral("Dovral Videzide® - Arkivor"));
  EXPECT_EQ(boxes.shown()[3].text, QStringLiteral("a\rb"));  // as given
  EXPECT_EQ(boxes.shown()[3].title, kProgramTitle);          // no title: the program's
}

TEST(ScriptedMsgBox, ScopesNest) {
  ScriptedMsgBox outer, inner;
  ScopedMsgBox a(outer);
  {
    ScopedMsgBox b(inner);
    MsgBox(QStringLiteral("inner"));
  }
  MsgBox(QStringLiteral("outer"));
  EXPECT_EQ(inner.texts(), QStringList{QStringLiteral("inner")});
  EXPECT_EQ(outer.texts(), QStringList{QStringLiteral("outer")});
}

TEST(MsgBoxText, AReasonShownAloneReadsAsASentence) {
  const struct {
    const char* given;
    const char* shown;
  } cases[] = {
      {"tabela não encontrada: backup", "Tabela não encontrada: backup"},
      {"o arquivo não é um banco de dados", "O arquivo não é um banco de dados"},
      {"é preciso fechar o sistema", "É preciso fechar o sistema"},
      {"Disco cheio", "Disco cheio"},
      {"/dados/backupdovral.mdb: somente leitura", "/dados/backupdovral.mdb: somente leitura"},
      {"", ""},
  };
  for (const auto& c : cases)
    EXPECT_EQ(asSentence(QString::fromUtf8(c.given)), QString::fromUtf8(c.shown)) << c.given;
}

// The real box, driven while its exec() runs.
struct Seen {
  QString text, title;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  QMessageBox::StandardButtons buttons;
  QString captions;  // in the order of the answers
  bool found = false;
};

int runReal(const QString& text, int style, QMessageBox::StandardButton press, Seen& seen) {
  QTimer::singleShot(0, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box) return;
    QStringList captions;
    for (QMessageBox::StandardButton b :
         {QMessageBox::Ok, QMessageBox::Cancel, QMessageBox::Abort, QMessageBox::Retry,
          QMessageBox::Ignore, QMessageBox::Yes, QMessageBox::No})
      if (box->button(b)) captions << box->button(b)->text();
    seen = {box->text(), box->windowTitle(), box->icon(), box->standardButtons()};
    seen.captions = captions.join(',');
    seen.found = true;
    if (press == QMessageBox::NoButton)
      box->reject();  // Esc or the close button
    else
      box->button(press)->click();
  });
  return MsgBox(text, style);
}

TEST(QtMsgBox, ShowsLinesIconAndButtonsAndReturnsTheAnswer) {
  struct Case {
    int style;
    QMessageBox::StandardButton press;
    QMessageBox::Icon icon;
    QMessageBox::StandardButtons buttons;
    int result;
    const char* captions;
  } cases[] = {
      {vbOKOnly + vbInformation, QMessageBox::Ok, QMessageBox::Information, QMessageBox::Ok, vbOK,
       "OK"},
      {vbYesNo + vbQuestion, QMessageBox::Yes, QMessageBox::Question,
       QMessageBox::Yes | QMessageBox::No, vbYes, "&Sim,&Não"},
      {vbYesNo + vbExclamation, QMessageBox::No, QMessageBox::Warning,
       QMessageBox::Yes | QMessageBox::No, vbNo, "&Sim,&Não"},
      {vbYesNo + vbQuestion, QMessageBox::NoButton, QMessageBox::Question,
       QMessageBox::Yes | QMessageBox::No, vbNo, "&Sim,&Não"},
      {vbCritical, QMessageBox::NoButton, QMessageBox::Critical, QMessageBox::Ok, vbOK, "OK"},
      {vbOKOnly, QMessageBox::Ok, QMessageBox::NoIcon, QMessageBox::Ok, vbOK, "OK"},
      {vbYesNoCancel, QMessageBox::NoButton, QMessageBox::NoIcon,
       QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, vbCancel, "Cancelar,&Sim,&Não"},
      {vbAbortRetryIgnore, QMessageBox::Retry, QMessageBox::NoIcon,
       QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore, vbRetry,
       "&Anular,&Repetir,&Ignorar"},
  };
  for (const Case& c : cases) {
    Seen seen;
    const int result =
        runReal(QStringLiteral("Linha 1\rLinha 2\r\rLinha <4>"), c.style, c.press, seen);
    ASSERT_TRUE(seen.found) << c.style;
    EXPECT_EQ(seen.text, QStringLiteral("Linha 1\nLinha 2\n\nLinha <4>"));
    EXPECT_EQ(seen.title, kProgramTitle);
    EXPECT_EQ(seen.icon, c.icon) << c.style;
    EXPECT_EQ(seen.buttons, c.buttons) << c.style;
    EXPECT_EQ(result, c.result) << c.style;
    EXPECT_EQ(seen.captions, QString::fromUtf8(c.captions)) << c.style;
  }
}

}  // namespace
}  // namespace ark::desktop
