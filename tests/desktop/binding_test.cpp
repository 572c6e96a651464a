// Bound controls over a real schedule file: what they show, what they write, and that a
// show leaves them clean.
#include "platform/desktop/binding.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>

#include "platform/desktop/controls.h"
#include "schedule_file.h"

namespace ark::desktop {
namespace {

class BindingTest : public ::testing::Test {
 protected:
  BindingTest() : view_("bdbkp", "Access 2000;", "Select * from backup order by horabkp") {
    view_.setDatabaseName(file_.path());
    bindMask(view_, "horabkp", &hora_);
    bindText(view_, "nomearquivo", &arquivo_);
    bindCheck(view_, "sobrepoe", &check_);
    bindLabel(view_, "origem", &origem_);
    bindLabel(view_, "destino", &destino_);
  }
  QString stored(const char* field, const char* where) {
    return file_.value(QStringLiteral("select %1 from backup where %2").arg(field, where));
  }

  test::ScheduleFile file_;
  db::View view_;
  MaskEdBox hora_;
  QLineEdit arquivo_;
  QCheckBox check_;
  QLabel origem_, destino_;
};

TEST_F(BindingTest, ControlsShowTheCurrentRow) {
  view_.Refresh();  // first row in time order: 08:30, destino Null, sobrepoe 0
  EXPECT_EQ(hora_.text(), "08:30:00");
  EXPECT_EQ(arquivo_.text(), "manha");
  EXPECT_FALSE(check_.isChecked());
  EXPECT_EQ(origem_.text(), "/docs");
  EXPECT_EQ(destino_.text(), "");
  view_.recordset().MoveNext();  // 12:00: nomearquivo and sobrepoe Null
  EXPECT_EQ(arquivo_.text(), "");
  EXPECT_FALSE(check_.isChecked());
  view_.recordset().MoveNext();
  EXPECT_EQ(hora_.text(), "22:00:00");
  EXPECT_TRUE(check_.isChecked());
  view_.recordset().MoveNext();  // EOF: nothing to show
  EXPECT_EQ(hora_.text(), MaskEdBox::kEmpty);
  EXPECT_EQ(origem_.text(), "");
}

TEST_F(BindingTest, ShowingRowsWritesNothing) {
  const QString all =
      "select group_concat(horabkp||coalesce(nomearquivo,'~')||origem||"
      "coalesce(destino,'~')||coalesce(sobrepoe,'~')) from backup";
  const QString before = file_.value(all);
  view_.Refresh();
  view_.recordset().MoveLast();
  view_.saveBoundEdits();
  view_.recordset().MoveFirst();
  view_.Refresh();  // writes dirty bound edits first: there are none
  EXPECT_EQ(file_.value(all).toStdString(), before.toStdString());
}

TEST(Bindings, AShowLeavesTheControlClean) {
  MaskEdBox hora;
  QLineEdit text;
  QCheckBox check;
  QLabel label;
  QComboBox combo;
  combo.setEditable(true);
  const Value values[] = {Value("x"), Value::null(), Value(true), Value::time(QTime(22, 0)),
                          Value("")};
  for (const db::Binding& b :
       {maskBinding("h", &hora), textBinding("t", &text), checkBinding("c", &check),
        labelBinding("l", &label), comboBinding("s", &combo)}) {
    for (const Value& v : values) {
      b.show(v);
      EXPECT_FALSE(b.dirty()) << b.field.toStdString() << " " << v.debugString().toStdString();
    }
  }
}

TEST_F(BindingTest, EditsByUserOrCodeReachTheRow) {
  view_.Refresh();                  // 08:30
  arquivo_.setText("semanal");      // as if typed
  destino_.setText("/mnt/copias");  // as the folder picker does
  check_.setChecked(true);
  hora_.setText("09:15:00");
  view_.saveBoundEdits();
  EXPECT_EQ(stored("destino", "origem='/docs'"), "/mnt/copias");
  EXPECT_EQ(stored("sobrepoe", "origem='/docs'"), "1");
  EXPECT_EQ(stored("horabkp", "origem='/docs'"), "1899-12-30 09:15:00");
  EXPECT_EQ(stored("nomearquivo", "origem='/docs'"), "semanal");
  // Written: clean again, a second save writes nothing.
  file_.exec("update backup set destino='/outro' where origem='/docs'");
  view_.saveBoundEdits();
  EXPECT_EQ(stored("destino", "origem='/docs'"), "/outro");
}

TEST_F(BindingTest, EmptyMaskWritesNullAndAnEmptyCaptionAnEmptyText) {
  view_.Refresh();
  view_.recordset().MoveLast();  // 22:00, destino '/copias'
  hora_.setText(MaskEdBox::kEmpty);
  destino_.setText("");
  view_.saveBoundEdits();
  EXPECT_EQ(stored("horabkp", "origem='/dados'"), "NULL");
  EXPECT_EQ(stored("destino", "origem='/dados'"), "");
}

TEST_F(BindingTest, AddNewTakesTheBoundValuesAtUpdate) {
  view_.Refresh();
  db::Recordset& rs = view_.recordset();
  rs.AddNew();
  EXPECT_EQ(hora_.text(), MaskEdBox::kEmpty);  // cleared for the new row
  EXPECT_EQ(origem_.text(), "");
  hora_.setText("23:59:59");
  arquivo_.setText("fim");
  origem_.setText("/a");
  destino_.setText("/b");
  rs.Update();
  EXPECT_EQ(file_.value("select nomearquivo||origem||destino||sobrepoe from backup where horabkp "
                        "like '%23:59:59'"),
            "fim/a/b0");
}

TEST(ComboBinding, ShowsAndReadsTheTextField) {
  QComboBox combo;
  combo.setEditable(true);
  combo.addItems({"NEGOX", "PRAXEL", "VIGO"});
  const db::Binding b = comboBinding("sistema", &combo);
  b.show(Value("VIGO"));
  EXPECT_EQ(combo.currentText(), "VIGO");
  EXPECT_FALSE(b.dirty());
  b.show(Value("OUTRO"));  // not in the list: shown as typed
  EXPECT_EQ(combo.currentText(), "OUTRO");
  combo.setCurrentIndex(0);
  EXPECT_TRUE(b.dirty());
  EXPECT_EQ(b.read(), Value("NEGOX"));
  b.show(Value::null());
  EXPECT_EQ(b.read(), Value(""));
}

TEST(LabelBinding, ShowsAFolderNameAsItIsNamed) {
  QLabel label;
  const db::Binding b = labelBinding("origem", &label);
  b.show(Value("/dados/<b>fotos</b> & cia"));
  EXPECT_EQ(label.text(), "/dados/<b>fotos</b> & cia");
  EXPECT_EQ(label.textFormat(), Qt::PlainText);  // not drawn as markup
}

TEST(MaskBinding, ReadsTheShownTextOrNull) {
  MaskEdBox box;
  const db::Binding b = maskBinding("hora", &box);
  b.show(Value::null());
  EXPECT_TRUE(b.read().isNull());
  box.setText("22");
  EXPECT_EQ(b.read(), Value("22:__:__"));
  EXPECT_TRUE(b.dirty());
  b.show(Value::time(QTime(7, 5, 0)));
  EXPECT_EQ(b.read(), Value("07:05:00"));
}

}  // namespace
}  // namespace ark::desktop
