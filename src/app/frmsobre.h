#pragma once
// The splash window: the installation record and a progress animation of about twelve
// seconds, then the main window.
#include <QDialog>

#include "platform/database/database.h"

class QLabel;
class QTimer;

namespace ark::desktop {
class ProgressBar;
}

namespace ark::app {

class frmsobre : public QDialog {
  Q_OBJECT

 public:
  static frmsobre& instance();
  static bool exists();
  ~frmsobre() override;

  db::View Tpc{QStringLiteral("Tpc"), QStringLiteral("Access 2000;pwd=83luas"),
               QStringLiteral("pcs")};

  // Raises when the schedule database cannot be read.
  void Form_Activate();
  void Timer1_Timer();
  // The status text for a bar value; empty when it stays as it is.
  static QString statusFor(int v);

  QLabel* lblnome = nullptr;
  QLabel* lblsistema = nullptr;
  QLabel* lblpc = nullptr;
  QLabel* lblstatus = nullptr;
  desktop::ProgressBar* barra = nullptr;
  QTimer* Timer1 = nullptr;

 signals:
  // The schedule database could not be read; the process is to end.
  void failed();

 protected:
  void showEvent(QShowEvent* e) override;
  void paintEvent(QPaintEvent* e) override;
  void reject() override {}

 private:
  frmsobre();
  void unload();
  bool activated_ = false;
};

}  // namespace ark::app
