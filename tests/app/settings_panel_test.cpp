// The installation settings panel: the first pcs row, written as each edit is finished.
#include <QApplication>
#include <QLabel>
#include <QWheelEvent>

#include "editor_fixture.h"

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

  // Still in the box when a trigger refreshes Tpc: written first, not dropped.
  typeInto(w->txtbase, "/base/digitando/");
  ASSERT_EQ(focus(), w->txtbase);
  w->Tpc.Refresh();
  EXPECT_EQ(pcs("base"), "/base/digitando/");
  EXPECT_EQ(w->txtbase->text(), "/base/digitando/");

  // An unfinished time is never written by a refresh.
  w->MaskEdBox1->setFocus();
  w->MaskEdBox1->selectAll();
  type("1");
  w->Tpc.Refresh();
  EXPECT_EQ(pcs("hora_atualizacao"), "1899-12-30 03:00:00");
}

TEST_F(SettingsTest, AWriteThePcsRowRefusesIsToldOnceAndThePanelShowsPcsAgain) {
  open();
  exec(
      "CREATE TRIGGER trava BEFORE UPDATE ON pcs BEGIN SELECT RAISE(ABORT, 'arquivo travado'); "
      "END;");
  w->Check2->click();
  ASSERT_EQ(box_.shown().size(), 1);
  EXPECT_TRUE(box_.shown()[0].text.contains("arquivo travado"));
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
