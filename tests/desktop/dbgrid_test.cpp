// The data-bound grid over a real schedule file: rows as text, choosing a row moves the
// view, and the grid follows the view's refreshes and moves.
#include "platform/desktop/dbgrid.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTableView>

#include "platform/desktop/binding.h"
#include "platform/desktop/msgbox.h"
#include "schedule_file.h"

namespace ark::desktop {
namespace {

class GridTest : public ::testing::Test {
 protected:
  GridTest() : view_("bdbkp", "Access 2000;", "Select * from backup order by horabkp") {
    view_.setDatabaseName(file_.path());
    bindText(view_, "nomearquivo", &arquivo_);
    grid_ = std::make_unique<DBGrid>(view_, QVector<GridColumn>{{"Hora", "horabkp"},
                                                                {"Arquivo", "nomearquivo"},
                                                                {"Origem", "origem"},
                                                                {"Destino", "destino"}});
    grid_->setCaption(QStringLiteral("RELAÇÃO DE BACKUPS"));
    view_.Refresh();
  }
  QString cell(int row, int col) const { return grid_->model()->index(row, col).data().toString(); }
  int selectedRow() const {
    const auto rows = grid_->table()->selectionModel()->selectedRows();
    return rows.size() == 1 ? rows.first().row() : -1;
  }

  test::ScheduleFile file_;
  db::View view_;
  QLineEdit arquivo_;
  std::unique_ptr<DBGrid> grid_;
};

TEST_F(GridTest, ShowsTheRowsAsTextUnderTheCaption) {
  EXPECT_EQ(grid_->caption(), QStringLiteral("RELAÇÃO DE BACKUPS"));
  ASSERT_EQ(grid_->model()->rowCount(), 3);
  EXPECT_EQ(grid_->model()->headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(), "Hora");
  EXPECT_EQ(cell(0, 0), "08:30:00");
  EXPECT_EQ(cell(0, 3), "");  // Null
  EXPECT_EQ(cell(2, 0), "22:00:00");
  EXPECT_EQ(cell(2, 1), "noite");
  EXPECT_EQ(selectedRow(), 0);
  EXPECT_EQ(grid_->table()->editTriggers(), QAbstractItemView::NoEditTriggers);
}

TEST_F(GridTest, ChoosingARowMakesItTheViewsCurrentRow) {
  grid_->table()->selectRow(2);
  EXPECT_EQ(view_.recordset().currentIndex(), 2);
  EXPECT_EQ(arquivo_.text(), "noite");
  // The arrow keys move between rows.
  QKeyEvent up(QEvent::KeyPress, Qt::Key_Up, Qt::NoModifier);
  QCoreApplication::sendEvent(grid_->table(), &up);
  EXPECT_EQ(view_.recordset().currentIndex(), 1);
  EXPECT_EQ(selectedRow(), 1);
}

TEST_F(GridTest, MovingOffARowWritesItsBoundEdit) {
  arquivo_.setText("diario");  // row 0 (08:30)
  grid_->table()->selectRow(1);
  EXPECT_EQ(file_.value("select nomearquivo from backup where origem='/docs'"), "diario");
  EXPECT_EQ(cell(0, 1), "diario");
}

TEST_F(GridTest, FollowsTheViewsRefreshesAndMoves) {
  view_.recordset().MoveLast();
  EXPECT_EQ(selectedRow(), 2);

  file_.exec("insert into backup values ('1899-12-30 06:00:00','cedo','/x','/y',0)");
  view_.Refresh();
  ASSERT_EQ(grid_->model()->rowCount(), 4);
  EXPECT_EQ(cell(0, 1), "cedo");
  EXPECT_EQ(selectedRow(), 0);

  file_.exec("update backup set origem='/novo' where nomearquivo='noite'");
  view_.Refresh();
  EXPECT_EQ(cell(3, 2), "/novo");

  view_.recordset().MoveLast();
  view_.recordset().Delete();
  view_.Refresh();
  EXPECT_EQ(grid_->model()->rowCount(), 3);

  file_.exec("delete from backup");
  view_.Refresh();
  EXPECT_EQ(grid_->model()->rowCount(), 0);
  EXPECT_EQ(selectedRow(), -1);
}

TEST_F(GridTest, StoredRowBecomesTheSelectedRow) {
  db::Recordset& rs = view_.recordset();
  rs.AddNew();
  rs.setField("horabkp", Value("10:00:00"));
  rs.setField("origem", Value("/z"));
  arquivo_.setText("novo");
  rs.Update();
  rs.setBookmark(rs.LastModified());
  const int row = selectedRow();
  ASSERT_GE(row, 0);
  EXPECT_EQ(cell(row, 1), "novo");
}

TEST(Grid, OutlivedByItsView) {
  test::ScheduleFile file;
  db::View view("bdbkp", "Access 2000;", "backup");
  view.setDatabaseName(file.path());
  {
    DBGrid grid(view, {{"Hora", "horabkp"}});
    view.Refresh();
    EXPECT_EQ(grid.model()->rowCount(), 3);
  }
  view.Refresh();  // the listener of the grid gone must not be called
  view.recordset().MoveLast();
  SUCCEED();
}

}  // namespace
}  // namespace ark::desktop
