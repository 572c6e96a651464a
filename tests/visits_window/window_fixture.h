#pragma once
// A reminder window over a real schedule database in a temporary program folder, with the
// settable clock and the scripted message box installed.
#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>

#include "platform/core/clock.h"
#include "platform/core/paths.h"
#include "platform/desktop/msgbox.h"
#include "support/schedule_fixture.h"
#include "support/tempdir.h"
#include "visits/frmvisita.h"

namespace ark::visits {

// The pcs row with the given SQL literals for data_visita, hora_visita, nome and cnpj.
inline QString pcsRow(const QString& data, const QString& hora,
                      const QString& nome = QStringLiteral("'loja são joão'"),
                      const QString& cnpj = QStringLiteral("'12.345.678/0001-90'")) {
  return QStringLiteral("'PRAXEL','/base/','1899-12-30 03:00:00',1,%1,%2,%3,%4,'CAIXA-01'")
      .arg(data, hora, nome, cnpj);
}

class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override { setProgramFolder(dir.path()); }
  void TearDown() override {
    if (frmvisita::exists()) delete &frmvisita::instance();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    setProgramFolder({});
  }

  QString dbPath() const { return dir.file(QStringLiteral("backupdovral.mdb")); }
  void makeDb(const QString& data = QStringLiteral("'2026-12-28 00:00:00'"),
              const QString& hora = QStringLiteral("'1899-12-30 10:00:00'"),
              const QString& nome = QStringLiteral("'loja são joão'")) {
    test::createScheduleDb(dbPath(), {}, pcsRow(data, hora, nome));
  }
  QString stored(const char* field) const {
    return test::querySql(dbPath(), QStringLiteral("select %1 from pcs").arg(field));
  }

  // Loads and shows the window, which activates it.
  frmvisita& open() {
    frmvisita& w = frmvisita::instance();
    w.show();
    return w;
  }

  // Key presses as the keyboard gives them, each to the control that has the focus then.
  static void type(frmvisita& w, const QString& keys) {
    for (QChar c : keys) {
      const bool enter = c == QLatin1Char('\n');
      const int code = enter ? int(Qt::Key_Return) : int(c.toUpper().unicode());
      const QString text = enter ? QStringLiteral("\r") : QString(c);
      QWidget* target = w.focusWidget() ? w.focusWidget() : &w;
      QKeyEvent press(QEvent::KeyPress, code, Qt::NoModifier, text);
      QApplication::sendEvent(target, &press);
      QKeyEvent release(QEvent::KeyRelease, code, Qt::NoModifier, text);
      QApplication::sendEvent(target, &release);
    }
  }

  test::TempDir dir;
  SettableClock clock{QDateTime(QDate(2026, 12, 28), QTime(10, 5))};
  ScopedClock scopedClock{clock};
  desktop::ScriptedMsgBox boxes;
  desktop::ScopedMsgBox scopedBoxes{boxes};
};

}  // namespace ark::visits
