#pragma once
// The main window over a real schedule database in a temporary program folder, with the
// scripted message box, a folder-picker double and the tray balloons recorded.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTableView>
#include <QTimer>

#include "app/frmbkp.h"
#include "platform/core/paths.h"
#include "platform/desktop/controls.h"
#include "platform/desktop/dbgrid.h"
#include "platform/desktop/folderpicker.h"
#include "platform/desktop/msgbox.h"
#include "platform/desktop/tray.h"
#include "support/schedule_fixture.h"
#include "support/tempdir.h"

// Readable failures.
inline void PrintTo(const QString& s, std::ostream* os) {
  *os << '"' << s.toStdString() << '"';
}

namespace ark::app::test {

using ark::test::BackupRow;

inline const QList<BackupRow> kThreeRows = {
    {"08:00:00", "manha", "/dados/manha", "/bkp/manha", false},
    {"12:00:00", "almoco", "/dados/almoco", "/bkp/almoco", true},
    {"20:00:00", "noite", "/dados/noite", "/bkp/noite", false},
};

class FrmbkpTest : public ::testing::Test {
 protected:
  // Creates the database, then the window (its load opens the views) and shows it active.
  void open(const QList<BackupRow>& rows = kThreeRows,
            const QString& pcs = QStringLiteral(
                "'PRAXEL','/praxel/','1899-12-30 03:00:00',1,'2026-12-25 00:00:00',"
                "'1899-12-30 10:00:00','Loja Teste','12.345.678/0001-90','CAIXA-01'")) {
    qputenv("XDG_CONFIG_DIRS", dir_.mkdir("xdg").toUtf8());
    setProgramFolder(dir_.path());
    for (const char* suffix : {"", "-wal", "-shm"}) QFile::remove(file() + suffix);
    ark::test::createScheduleDb(file(), rows, pcs);
    w = &frmbkp::instance();
    // Only the editor's own timer is of interest here.
    for (QTimer* t : {w->Timer2, w->Timer3, w->Timer4, w->Timer6}) t->stop();
    w->show();
    w->activateWindow();
    waitFor([this] { return w->isActiveWindow(); });
    ASSERT_TRUE(w->isActiveWindow());
  }

  void TearDown() override {
    if (frmbkp::exists()) delete &frmbkp::instance();
    setProgramFolder(QString());
  }

  QString file() const { return dir_.file(QStringLiteral("backupdovral.mdb")); }
  QString sql(const QString& query) const { return ark::test::querySql(file(), query); }
  void exec(const QString& statement) const { ark::test::execSql(file(), statement); }

  template <typename F>
  static void waitFor(F done, int ms = 2000) {
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  }
  static void settle() {
    for (int i = 0; i < 5; ++i) QCoreApplication::processEvents();
  }
  static QWidget* focus() { return QApplication::focusWidget(); }

  // A key pressed as the user presses it: to the control with the focus.
  static void press(int key, const QString& text = QString()) {
    QWidget* target = focus() ? focus() : QApplication::activeWindow();
    QKeyEvent down(QEvent::KeyPress, key, Qt::NoModifier, text);
    QCoreApplication::sendEvent(target, &down);
    QWidget* up = focus() ? focus() : target;
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QCoreApplication::sendEvent(up, &release);
    settle();
  }
  static void pressEnter() { press(Qt::Key_Return, QStringLiteral("\r")); }
  // Typed key by key into the control with the focus.
  static void type(const QString& text) {
    for (QChar c : text) press(c.toUpper().unicode(), QString(c));
  }
  static void typeInto(QWidget* control, const QString& text) {
    control->setFocus();
    if (auto* e = qobject_cast<QLineEdit*>(control)) {
      e->selectAll();
    } else if (auto* c = qobject_cast<QComboBox*>(control)) {
      c->lineEdit()->selectAll();
    }
    type(text);
  }

  int gridRow() const {
    const auto rows = w->grade->table()->selectionModel()->selectedRows();
    return rows.size() == 1 ? rows.first().row() : -1;
  }
  QString gridCell(int row, int col) const {
    return w->grade->model()->index(row, col).data().toString();
  }
  void chooseRow(int row) { w->grade->table()->selectRow(row); }
  long rowCount() const { return sql("select count(*) from backup").toLong(); }

  ark::test::TempDir dir_;
  desktop::BalloonRecorder balloons_;
  desktop::ScriptedMsgBox box_;
  desktop::ScopedMsgBox scopedBox_{box_};
  desktop::ScriptedFolderPicker picker_;
  desktop::ScopedFolderPicker scopedPicker_{picker_};
  frmbkp* w = nullptr;
};

}  // namespace ark::app::test
