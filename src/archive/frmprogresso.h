#pragma once
// The archive run window: shown modally for one run, it builds the archive path, runs the
// archive library, follows its status lines and unloads itself.
#include <QDialog>
#include <QPixmap>

#include "platform/desktop/pacing.h"

class QLabel;
class QLineEdit;
class QTimer;

namespace ark::desktop {
class ProgressBar;
}

namespace ark::archive {

class frmprogresso : public QDialog {
  Q_OBJECT

 public:
  // The single instance, created (and loaded) on first use; unloading deletes it.
  static frmprogresso& instance();
  static bool exists();
  ~frmprogresso() override;

  void Form_Load();
  void Form_Activate();
  void txtZip_Change();
  void Timer1_Timer();

  // How the last run went: written whole, or why not.
  struct Outcome {
    bool written = false;
    QString archive;
    QString reason;
  };
  static Outcome lastOutcome();

  QLabel* lbldt = nullptr;
  QLabel* lblhr = nullptr;
  QLabel* lblorigem = nullptr;
  QLabel* lbldestino = nullptr;
  QLabel* lblstatus = nullptr;
  QLabel* lblarq = nullptr;
  desktop::ProgressBar* barra = nullptr;
  QLineEdit* txtZip = nullptr;
  QTimer* Timer1 = nullptr;

 protected:
  void showEvent(QShowEvent* e) override;
  void paintEvent(QPaintEvent* e) override;
  void reject() override {}  // Esc and the close button do not stop a run

 private:
  frmprogresso();
  void unload();
  bool activated_ = false;
  desktop::PumpPacer pacer_;
  QPixmap background_;
};

}  // namespace ark::archive
