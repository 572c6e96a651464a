// The schedule editor of the main window, driven as a user drives it, over a real file.
#include <QGroupBox>
#include <QLabel>

#include "editor_fixture.h"

namespace ark::app::test {
namespace {

using desktop::kProgramTitle;
using desktop::vbInformation;
using desktop::vbNo;
using desktop::vbYes;

class EditorTest : public FrmbkpTest {
 protected:
  // The nine properties a state switch sets, in their order.
  std::vector<bool> stateProperties() const {
    return {w->btinclui->isVisible(), w->btaltera->isVisible(), w->btexclui->isEnabled(),
            w->btFechar->isEnabled(), w->btok->isVisible(),     w->btcancel->isVisible(),
            w->Fbkp->isEnabled(),     w->grade->isEnabled(),    w->Timer1->isActive()};
  }
  void expectState(bool edit) const {
    const std::vector<bool> browse{true, true, true, true, false, false, false, true, true};
    std::vector<bool> expected = browse;
    if (edit) expected.flip();
    EXPECT_EQ(w->editing(), edit);
    EXPECT_EQ(stateProperties(), expected);
  }
  // A new row filled through the controls, as the user fills it.
  void fillRow(const QString& hora, const QString& arquivo, const QString& origem = "/o",
               const QString& destino = "/d") {
    if (!origem.isEmpty()) picker_.answer(origem);
    w->btorigem1->click();
    if (!destino.isEmpty()) picker_.answer(destino);
    w->btdestino1->click();
    typeInto(w->txtarquivo, arquivo);
    typeInto(w->txthora, hora);
  }
};

TEST_F(EditorTest, EmptyScheduleOnlyIncluirActs) {
  open({});
  expectState(false);
  w->btaltera->click();
  w->btexclui->click();
  EXPECT_TRUE(box_.shown().isEmpty());
  expectState(false);

  w->btinclui->click();
  expectState(true);
  EXPECT_EQ(w->txthora->text(), "__:__:__");
  EXPECT_EQ(focus(), w->txthora);
}

TEST_F(EditorTest, GravarOnAnEmptyNewRowAsksOnlyForTheSource) {
  open({});
  w->btinclui->click();
  w->btok->click();
  ASSERT_EQ(box_.shown().size(), 1);
  EXPECT_EQ(box_.shown()[0].text, "Favor Informar a Origem do Backup");
  EXPECT_EQ(box_.shown()[0].style, vbInformation);  // OK alone
  EXPECT_EQ(box_.shown()[0].title, kProgramTitle);
  EXPECT_EQ(focus(), w->btorigem1);
  expectState(true);
  EXPECT_EQ(rowCount(), 0);
}

TEST_F(EditorTest, GravarChecksInOrder) {
  const QString kBadName = "Favor Informar um Nome de Arquivo Válido (sem \"/\" ou \"\\\")";
  struct Case {
    QString origem, destino, arquivo, hora;
    QString message;  // empty: stored
    const char* focus;
  };
  const Case cases[] = {
      {"", "/d", "x", "10:00:00", "Favor Informar a Origem do Backup", "btorigem1"},
      {"/o", "", "x", "10:00:00", "Favor Informar o Destino do Backup", "btdestino1"},
      {"/o", "/d", "", "10:00:00", "Favor Informar um Nome Para o Arquivo do Backup", "txtarquivo"},
      {"/o", "/d", "x", "220", "Favor Informar uma Hora Válida!", "txthora"},  // 22:0_:__
      {"/o", "/d", "x", "240000", "Favor Informar uma Hora Válida!", "txthora"},
      {"/o", "/d", "x", "126000", "Favor Informar uma Hora Válida!", "txthora"},
      {"/o", "/d", "x", "", "Favor Informar uma Hora Válida!", "txthora"},
      {"/o", "/d", "../../x", "10:00:00", kBadName, "txtarquivo"},
      {"/o", "/d", "a\\b", "10:00:00", kBadName, "txtarquivo"},
      {"/o", "/d", "..", "10:00:00", kBadName, "txtarquivo"},
      {"/o", "/d", "a/b", "22", "Favor Informar uma Hora Válida!", "txthora"},  // the time first
      {"/o", "/d", "...x", "101010", "", nullptr},
      {"/o", "/d", "   ", "235959", "", nullptr},  // blanks are a name
      {"/o", "/d", "x", "000000", "", nullptr},
  };
  open({});
  for (const Case& c : cases) {
    SCOPED_TRACE(qPrintable(c.origem + "|" + c.destino + "|" + c.arquivo + "|" + c.hora));
    box_.clear();
    w->btinclui->click();
    fillRow(c.hora, c.arquivo, c.origem, c.destino);
    const long before = rowCount();
    w->btok->click();
    if (c.message.isEmpty()) {
      EXPECT_TRUE(box_.texts().isEmpty()) << box_.texts().join("; ").toStdString();
      EXPECT_EQ(rowCount(), before + 1);
      expectState(false);
      continue;
    }
    ASSERT_EQ(box_.texts(), QStringList{c.message});
    EXPECT_EQ(box_.shown()[0].style, vbInformation);
    EXPECT_EQ(focus()->objectName(), c.focus);
    EXPECT_EQ(rowCount(), before);
    expectState(true);
    w->btcancel->click();
  }
  EXPECT_EQ(sql("select nomearquivo from backup where horabkp like '% 23:59:59'"), "   ");
}

TEST_F(EditorTest, TheTimeIsTypedStraightAwayAfterIncluirAndAlterar) {
  open();
  for (desktop::PictureButton* button : {w->btinclui, w->btaltera}) {
    SCOPED_TRACE(button->objectName().toStdString());
    chooseRow(1);  // 12:00:00
    button->click();
    ASSERT_EQ(focus(), w->txthora);
    type("093000");
    EXPECT_EQ(w->txthora->text(), "09:30:00");
    if (button == w->btaltera) {
      w->btok->click();
      EXPECT_TRUE(box_.texts().isEmpty());
      EXPECT_EQ(sql("select horabkp from backup where nomearquivo='almoco'"),
                "1899-12-30 09:30:00");
    } else {
      w->btcancel->click();
    }
  }
}

TEST_F(EditorTest, TheStoredRowBecomesCurrentWhereverItFalls) {
  struct Case {
    int chosen;  // -1: Incluir, else Alterar on that row
    const char* hora;
    const char* arquivo;
  };
  const Case cases[] = {
      {-1, "010000", "cedo"}, {-1, "100000", "meio"},  {-1, "233000", "tarde"},
      {2, "070000", "antes"}, {0, "210000", "depois"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.arquivo);
    open();
    if (c.chosen < 0) {
      w->btinclui->click();
      fillRow(c.hora, c.arquivo);
    } else {
      chooseRow(c.chosen);
      w->btaltera->click();
      typeInto(w->txtarquivo, c.arquivo);
      typeInto(w->txthora, c.hora);
    }
    w->btok->click();
    EXPECT_TRUE(box_.texts().isEmpty());
    EXPECT_EQ(w->txtarquivo->text(), c.arquivo);
    ASSERT_GE(gridRow(), 0);
    EXPECT_EQ(gridCell(gridRow(), 1), c.arquivo);
    EXPECT_EQ(sql(QString("select count(*) from backup where nomearquivo='%1'").arg(c.arquivo)),
              "1");
    EXPECT_EQ(rowCount(), c.chosen < 0 ? 4 : 3);
    TearDown();
  }
}

TEST_F(EditorTest, ExcluirAndCancelarLeaveTheFirstRowCurrent) {
  open();
  chooseRow(2);
  EXPECT_EQ(w->txtarquivo->text(), "noite");

  box_.answer(vbNo);
  w->btexclui->click();
  ASSERT_EQ(box_.texts(), QStringList{"Excluir o Backup Programado?"});
  EXPECT_EQ(box_.shown()[0].style, desktop::vbYesNo | desktop::vbQuestion);
  EXPECT_EQ(rowCount(), 3);
  EXPECT_EQ(gridRow(), 2);

  box_.answer(vbYes);
  w->btexclui->click();
  EXPECT_EQ(rowCount(), 2);
  EXPECT_EQ(sql("select count(*) from backup where nomearquivo='noite'"), "0");
  EXPECT_EQ(gridRow(), 0);
  EXPECT_EQ(w->txtarquivo->text(), "manha");

  // Cancelar drops the changes of a row and of a new row alike.
  chooseRow(1);
  w->btaltera->click();
  typeInto(w->txtarquivo, "mudado");
  w->btcancel->click();
  expectState(false);
  EXPECT_EQ(sql("select nomearquivo from backup where horabkp like '% 12:00:00'"), "almoco");
  EXPECT_EQ(gridRow(), 0);
  EXPECT_EQ(w->txtarquivo->text(), "manha");

  w->btinclui->click();
  fillRow("050000", "novo");
  w->btcancel->click();
  EXPECT_EQ(rowCount(), 2);
  EXPECT_EQ(gridRow(), 0);
}

TEST_F(EditorTest, TimerOneIsOffExactlyWhileARowIsEdited) {
  open();
  struct Step {
    const char* what;
    std::function<void()> act;
    bool editing;
  };
  const Step steps[] = {
      {"Incluir", [this] { w->btinclui->click(); }, true},
      {"Gravar refused", [this] { w->btok->click(); }, true},
      {"Cancelar", [this] { w->btcancel->click(); }, false},
      {"Alterar", [this] { w->btaltera->click(); }, true},
      {"Gravar", [this] { w->btok->click(); }, false},
      {"Excluir (No)", [this] { box_.answer(vbNo), w->btexclui->click(); }, false},
  };
  expectState(false);
  for (const Step& s : steps) {
    SCOPED_TRACE(s.what);
    s.act();
    expectState(s.editing);
  }
}

TEST_F(EditorTest, AFailingUpdateIsReportedAndTheRowStaysInEdit) {
  open();
  exec(
      "CREATE TRIGGER recusa BEFORE INSERT ON backup BEGIN SELECT RAISE(ABORT, 'disco cheio'); "
      "END;");
  w->btinclui->click();
  fillRow("060000", "madrugada");
  w->btok->click();
  ASSERT_EQ(box_.shown().size(), 1);
  EXPECT_TRUE(box_.shown()[0].text.startsWith("Disco cheio")) << box_.shown()[0].text.toStdString();
  EXPECT_EQ(box_.shown()[0].title, kProgramTitle);
  expectState(true);
  EXPECT_EQ(w->txtarquivo->text(), "madrugada");
  EXPECT_EQ(w->txthora->text(), "06:00:00");

  // Nothing was lost: once the file takes rows again the same row is stored.
  exec("DROP TRIGGER recusa;");
  box_.clear();
  w->btok->click();
  EXPECT_TRUE(box_.texts().isEmpty());
  expectState(false);
  EXPECT_EQ(sql("select origem || '>' || destino from backup where nomearquivo='madrugada'"),
            "/o>/d");
}

TEST_F(EditorTest, FolderPickersFillTheirCaptionAndCancelKeepsIt) {
  open();
  w->btinclui->click();
  picker_.cancel();
  w->btorigem1->click();
  EXPECT_EQ(w->lblorigem->text(), "");
  picker_.answer("/home/loja/dados");
  w->btorigem1->click();
  picker_.answer("/mnt/backup");
  w->btdestino1->click();
  picker_.cancel();
  w->btdestino1->click();
  EXPECT_EQ(w->lblorigem->text(), "/home/loja/dados");
  EXPECT_EQ(w->lbldestino->text(), "/mnt/backup");
  EXPECT_EQ(picker_.titles(),
            (QStringList{"Selecione a Origem dos Dados:", "Selecione a Origem dos Dados:",
                         "Selecione a Pasta de Destino do Backup:",
                         "Selecione a Pasta de Destino do Backup:"}));
  typeInto(w->txtarquivo, "docs");
  typeInto(w->txthora, "093000");
  w->btok->click();
  EXPECT_EQ(sql("select origem || '>' || destino || '>' || sobrepoe from backup"
                " where nomearquivo='docs'"),
            "/home/loja/dados>/mnt/backup>0");
}

TEST_F(EditorTest, EnterMovesTheFocusAsTab) {
  open();
  w->btinclui->click();
  ASSERT_EQ(focus(), w->txthora);
  pressEnter();
  EXPECT_EQ(focus(), w->txtarquivo);
  pressEnter();
  EXPECT_EQ(focus(), w->Check1);
  EXPECT_FALSE(w->Check1->isChecked());  // Enter is not passed on
}

TEST_F(EditorTest, TabFollowsTheWindowsOrderPassingOverHiddenAndDisabled) {
  open();
  const QStringList edit{"txthora", "txtarquivo", "Check1", "btorigem1", "btdestino1", "cbosistema",
                         "txtbase", "MaskEdBox1", "btok",   "btcancel",  "Check2",     "txthora"};
  const QStringList browse{"cbosistema", "txtbase",  "MaskEdBox1", "table",  "btexclui",
                           "btaltera",   "btinclui", "btFechar",   "Check2", "cbosistema"};
  w->btinclui->click();
  QStringList seen{focus()->objectName()};
  for (int i = 1; i < edit.size(); ++i) {
    press(Qt::Key_Tab, "\t");
    seen << focus()->objectName();
  }
  EXPECT_EQ(seen, edit);

  w->btcancel->click();
  w->cbosistema->setFocus();
  seen = QStringList{focus()->objectName()};
  for (int i = 1; i < browse.size(); ++i) {
    press(Qt::Key_Tab, "\t");
    seen << focus()->objectName();
  }
  EXPECT_EQ(seen, browse);
}

TEST_F(EditorTest, EscHidesTheWindowOnlyInBrowseState) {
  open();
  w->btinclui->click();
  press(Qt::Key_Escape);
  EXPECT_TRUE(w->isVisible());
  expectState(true);

  w->btcancel->click();
  w->grade->table()->setFocus();
  w->TrayIcon1->setShowIcon(false);
  press(Qt::Key_Escape);
  EXPECT_FALSE(w->isVisible());
  EXPECT_TRUE(w->windowState() & Qt::WindowMinimized);
  EXPECT_TRUE(w->TrayIcon1->ShowIcon());
  EXPECT_EQ(rowCount(), 3);
}

TEST_F(EditorTest, ActivationKeepsAPendingRowAndReloadsInBrowseState) {
  open();
  w->btinclui->click();
  fillRow("043000", "pendente");
  exec("INSERT INTO backup VALUES ('1899-12-30 02:00:00','outro','/a','/b',0)");
  w->Form_Activate();
  expectState(true);
  EXPECT_EQ(w->txtarquivo->text(), "pendente");
  EXPECT_EQ(w->lblorigem->text(), "/o");
  w->btok->click();
  EXPECT_EQ(sql("select count(*) from backup where nomearquivo='pendente'"), "1");

  chooseRow(2);
  w->Form_Activate();
  EXPECT_EQ(gridRow(), 0);
  EXPECT_EQ(gridCell(0, 1), "outro");  // the reload sees rows stored elsewhere
  EXPECT_EQ(w->grade->model()->rowCount(), 5);
}

TEST_F(EditorTest, GridIsTheReadOnlyScheduleInTimeOrder) {
  open({kThreeRows[2], kThreeRows[0], kThreeRows[1]});
  EXPECT_EQ(w->grade->caption(), "RELAÇÃO DE BACKUPS");
  QStringList headers, times;
  for (int c = 0; c < w->grade->model()->columnCount(); ++c)
    headers << w->grade->model()->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString();
  for (int r = 0; r < w->grade->model()->rowCount(); ++r) times << gridCell(r, 0);
  EXPECT_EQ(headers, (QStringList{"Hora", "Arquivo", "Origem", "Destino"}));
  EXPECT_EQ(times, (QStringList{"08:00:00", "12:00:00", "20:00:00"}));
  EXPECT_EQ(w->grade->table()->editTriggers(), QAbstractItemView::NoEditTriggers);
  EXPECT_EQ(w->grade->table()->selectionBehavior(), QAbstractItemView::SelectRows);

  chooseRow(1);
  EXPECT_EQ(w->txthora->text(), "12:00:00");
  EXPECT_EQ(w->lbldestino->text(), "/bkp/almoco");
  EXPECT_TRUE(w->Check1->isChecked());
  w->grade->table()->setFocus();
  press(Qt::Key_Down);
  EXPECT_EQ(w->txtarquivo->text(), "noite");
}

}  // namespace
}  // namespace ark::app::test
