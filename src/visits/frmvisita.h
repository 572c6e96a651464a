#pragma once
// The monthly visit reminder window.
#include <QDialog>

namespace ark::visits {

class frmvisita : public QDialog {
  Q_OBJECT

 public:
  // The single instance, created (and loaded) on first use; unloading deletes it.
  static frmvisita& instance();
  static bool exists();
  ~frmvisita() override;

 private:
  frmvisita();
};

}  // namespace ark::visits
