// The installation settings panel: the first pcs row, written as each edit is finished.
#include <QApplication>
#include <QLabel>
#include <QWheelEvent>

#include "editor_fixture.h"
#include "platform/core/clock.h"

namespace ark::app::test {
namespace {

class SettingsTest : public FrmbkpTest {
 protected:
  QString pcs(const QString& field) const { return sql("select " + field + " from pcs"); }
  // A pick from the list: the combo takes the entry, then reports the activation.
  void pick(const QString& code) {
    const int i = w->cbosistema->findText(code);
    ASSERT_GE(i, 0);
    w->cbosistema->setCurrentIndex(i);
    emit w->cbosistema->activated(i);
  }
};

TEST_F(SettingsTest, ShowsTheFirstInstallationRow) {
  open();
  EXPECT_EQ(w->cbosistema->currentText(), "PRAXEL");
  EXPECT_EQ(w->txtbase->text(), "/praxel/");
  EXPECT_EQ(w->MaskEdBox1->text(), "03:00:00");
  EXPECT_TRUE(w->Check2->isChecked());
  QStringList items;
  for (int i = 0; i < w->cbosistema->count(); ++i) items << w->cbosistema->itemText(i);
  EXPECT_EQ(items, (QStringList{"NEGOX", "PRAXEL", "VIGO"}));
  EXPECT_TRUE(w->cbosistema->isEditable());
  EXPECT_EQ(w->txtbase->maxLength(), 100);
  EXPECT_EQ(w->txtbase->toolTip(), "Local da Base de Dados");
  EXPECT_EQ(w->MaskEdBox1->toolTip(), "Hora de Inicialização da Atualização");
  EXPECT_EQ(w->Check2->text(), "Contrato");
  for (QWidget* c : {static_cast<QWidget*>(w->cbosistema), static_cast<QWidget*>(w->txtbase),
                     static_cast<QWidget*>(w->MaskEdBox1), static_cast<QWidget*>(w->Check2)})
    EXPECT_TRUE(c->isEnabled()) << c->objectName().toStdString();
}

TEST_F(SettingsTest, APickSetsTheDefaultFolderTypingTheCodeDoesNot) {
  open();
  const struct {
    const char* code;
    const char* folder;
  } picks[] = {{"VIGO", "/Sistema Vigo/"},
               {"NEGOX", "/Program Files/Sistema Negox/Base/"},
               {"PRAXEL", "/Sistema Praxel/Base/"},
               {"VIGO", "/Sistema Vigo/"}};
  for (const auto& p : picks) {
    SCOPED_TRACE(p.code);
    typeInto(w->txtbase, "/minha/base/");
    pick(p.code);
    EXPECT_EQ(w->txtbase->text(), p.folder);
    EXPECT_EQ(pcs("sistema"), p.code);
    EXPECT_EQ(pcs("base"), p.folder);
  }

  // Typed and confirmed with Enter: no pick, the folder stays.
  typeInto(w->txtbase, "/outra/");
  typeInto(w->cbosistema, "NEGOX");
  pressEnter();
  EXPECT_EQ(w->txtbase->text(), "/outra/");
  EXPECT_EQ(pcs("sistema"), "NEGOX");
  EXPECT_EQ(pcs("base"), "/outra/");
  EXPECT_EQ(w->cbosistema->count(), 3);  // nothing added to the list
}

TEST_F(SettingsTest, AWheelPassingOverTheListChangesNothing) {
  open();
  w->txtbase->setFocus();
  const QPointF at(10, 10);
  QWheelEvent wheel(at, w->cbosistema->mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton,
                    Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(w->cbosistema, &wheel);
  EXPECT_EQ(w->cbosistema->currentText(), "PRAXEL");
  EXPECT_EQ(w->txtbase->text(), "/praxel/");
  EXPECT_EQ(pcs("sistema"), "PRAXEL");
  EXPECT_EQ(pcs("base"), "/praxel/");
}

TEST_F(SettingsTest, MaintenanceTimeIsStoredOnlyWhenEmptyOrValid) {
  struct Case {
    const char* typed;  // "" clears the box
    const char* stored;
    bool refused;
  };
  const Case cases[] = {
      {"043000", "1899-12-30 04:30:00", false},
      {"235959", "1899-12-30 23:59:59", false},
      {"", "", false},  // Null
      {"0430", "1899-12-30 03:00:00", true},
      {"250000", "1899-12-30 03:00:00", true},
      {"126000", "1899-12-30 03:00:00", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed);
    open();
    w->MaskEdBox1->setFocus();
    w->MaskEdBox1->selectAll();
    if (*c.typed)
      type(c.typed);
    else
      press(Qt::Key_Backspace);
    pressEnter();
    EXPECT_NE(focus(), w->MaskEdBox1);
    EXPECT_EQ(pcs("hora_atualizacao"), c.stored);
    EXPECT_EQ(sql("select hora_atualizacao is null from pcs"), *c.stored ? "0" : "1");
    if (c.refused) {
      ASSERT_EQ(box_.texts(), QStringList{"Favor Informar uma Hora Válida!"});
      EXPECT_EQ(box_.shown()[0].style, desktop::vbInformation);
      EXPECT_EQ(w->MaskEdBox1->text(), "03:00:00");
    } else {
      EXPECT_TRUE(box_.texts().isEmpty());
    }
    TearDown();
    box_.clear();
  }
}

TEST_F(SettingsTest, AnEditReachesPcsWhenFinishedAndBeforeAnyRefresh) {
  open();
  w->Check2->click();
  EXPECT_EQ(pcs("contrato"), "0");

  typeInto(w->txtbase, "/base/nova/");
  press(Qt::Key_Tab, "\t");
  EXPECT_EQ(pcs("base"), "/base/nova/");

  // Still in the box when a trigger refreshes Tpc: kept as typed, written when finished.
  typeInto(w->txtbase, "/base/digitando/");
  ASSERT_EQ(focus(), w->txtbase);
  w->Tpc.Refresh();
  EXPECT_EQ(pcs("base"), "/base/nova/");
  EXPECT_EQ(w->txtbase->text(), "/base/digitando/");
  press(Qt::Key_Tab, "\t");
  EXPECT_EQ(pcs("base"), "/base/digitando/");

  // An edit left unwritten in another control is written by the refresh.
  w->txtbase->setFocus();
  w->Check2->setChecked(true);
  w->Tpc.Refresh();
  EXPECT_EQ(pcs("contrato"), "1");

  // An unfinished time is never written by a refresh.
  w->MaskEdBox1->setFocus();
  w->MaskEdBox1->selectAll();
  type("1");
  w->Tpc.Refresh();
  EXPECT_EQ(pcs("hora_atualizacao"), "1899-12-30 03:00:00");
}

// The two triggers' ticks fall while the user is typing: the control keeps its text and its
// caret, and the edit reaches pcs as finished, not as it stood at the tick.
TEST_F(SettingsTest, ATriggerTickInTheMiddleOfTypingChangesNothingTheUserSees) {
  SettableClock clock(QDateTime(QDate(2026, 12, 10), QTime(14, 0, 5)));
  ScopedClock scoped(clock);
  struct Case {
    const char* control;
    int caret;           // where the user puts the caret; -1 selects the whole text
    const char* before;  // typed before the tick
    const char* shownAtTick;
    int caretAtTick;
    const char* after;  // typed after the tick, then Tab
    const char* field;
    const char* stored;
  };
  const Case cases[] = {
      {"txtbase", 8, "Nov", "/SistemaNov Vigo/", 11, "a", "base", "/SistemaNova Vigo/"},
      {"MaskEdBox1", -1, "04", "04:__:__", 3, "1500", "hora_atualizacao", "1899-12-30 04:15:00"},
      {"MaskEdBox1", 3, "3", "03:30:00", 4, "0", "hora_atualizacao", "1899-12-30 03:30:00"},
      {"cbosistema", -1, "PRA", "PRA", 3, "XEL", "sistema", "PRAXEL"},
      // Only a caret put somewhere, or the text selected: a tick leaves them as they are.
      {"txtbase", 3, "", "/Sistema Vigo/", 3, "X", "base", "/SiXstema Vigo/"},
      {"txtbase", -1, "", "/Sistema Vigo/", 14, "/novo/", "base", "/novo/"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.control) + " " + c.before);
    open(kThreeRows,
         "'VIGO','/Sistema Vigo/','1899-12-30 03:00:00',1,'2026-12-25 00:00:00',"
         "'1899-12-30 10:00:00','Loja Teste','12.345.678/0001-90','CAIXA-01'");
    QWidget* control = w->findChild<QWidget*>(c.control);
    ASSERT_TRUE(control);
    QLineEdit* edit = qobject_cast<QLineEdit*>(control);
    if (auto* combo = qobject_cast<QComboBox*>(control)) edit = combo->lineEdit();
    ASSERT_TRUE(edit);
    const QString field = QString::fromLatin1(c.field);
    const QString storedBefore = pcs(field);
    const QString baseBefore = pcs("base");

    control->setFocus();
    if (c.caret < 0)
      edit->selectAll();
    else
      edit->setCursorPosition(c.caret);
    type(QString::fromUtf8(c.before));
    const QString typed = edit->displayText();
    const QString expectedAtTick = QString::fromUtf8(c.shownAtTick);
    ASSERT_EQ(typed, expectedAtTick);

    w->Timer2_Timer();
    w->Timer3_Timer();
    settle();
    EXPECT_EQ(edit->displayText(), expectedAtTick);
    EXPECT_EQ(edit->cursorPosition(), c.caretAtTick);
    EXPECT_EQ(focus(), control);
    EXPECT_EQ(pcs(field), storedBefore);  // not written half-typed

    type(QString::fromUtf8(c.after));
    press(Qt::Key_Tab, "\t");
    EXPECT_NE(focus(), control);
    EXPECT_EQ(pcs(field), c.stored);
    if (field != "base") EXPECT_EQ(pcs("base"), baseBefore);
    EXPECT_TRUE(box_.texts().isEmpty()) << box_.texts().join(" | ").toStdString();
    TearDown();
    box_.clear();
  }
}

TEST_F(SettingsTest, AWriteThePcsRowRefusesIsToldOnceAndThePanelShowsPcsAgain) {
  open();
  exec(
      "CREATE TRIGGER trava BEFORE UPDATE ON pcs BEGIN SELECT RAISE(ABORT, 'arquivo travado'); "
      "END;");
  w->Check2->click();
  ASSERT_EQ(box_.shown().size(), 1);
  EXPECT_TRUE(box_.shown()[0].text.startsWith("Arquivo travado"))
      << box_.shown()[0].text.toStdString();
  EXPECT_EQ(box_.shown()[0].title, desktop::kProgramTitle);
  EXPECT_TRUE(w->Check2->isChecked());

  // A refused text edit too; the next refresh (a trigger's) does not meet the refusal again.
  box_.clear();
  typeInto(w->txtbase, "/base/nova/");
  press(Qt::Key_Tab, "\t");
  ASSERT_EQ(box_.shown().size(), 1);
  EXPECT_EQ(w->txtbase->text(), "/praxel/");
  EXPECT_NO_THROW(w->Tpc.Refresh());
  EXPECT_EQ(box_.shown().size(), 1);
  EXPECT_EQ(pcs("base"), "/praxel/");
  EXPECT_EQ(pcs("contrato"), "1");

  exec("DROP TRIGGER trava;");
  w->Check2->click();
  EXPECT_EQ(pcs("contrato"), "0");
}

TEST_F(SettingsTest, WithoutAnInstallationRowThePanelIsEmptyAndWritesNothing) {
  open(kThreeRows, QString());
  for (QWidget* c : {static_cast<QWidget*>(w->cbosistema), static_cast<QWidget*>(w->txtbase),
                     static_cast<QWidget*>(w->MaskEdBox1), static_cast<QWidget*>(w->Check2)})
    EXPECT_FALSE(c->isEnabled()) << c->objectName().toStdString();
  EXPECT_EQ(w->cbosistema->currentText(), "");
  EXPECT_EQ(w->txtbase->text(), "");
  EXPECT_EQ(w->MaskEdBox1->text(), "__:__:__");
  EXPECT_FALSE(w->Check2->isChecked());
  w->txtbase->setText("/x/");
  w->Tpc.Refresh();
  EXPECT_EQ(sql("select count(*) from pcs"), "0");
  EXPECT_TRUE(box_.texts().isEmpty());
}

}  // namespace
}  // namespace ark::app::test
