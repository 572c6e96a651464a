// The folder picker over QFileDialog, and its scripted double.
#include "platform/desktop/folderpicker.h"

#include <QDir>
#include <QFileDialog>

namespace ark::desktop {

namespace {
FolderPicker* g_picker = nullptr;

class QtFolderPicker : public FolderPicker {
 public:
  std::optional<QString> browse(QWidget* owner, const QString& title) override {
    const QString path = QFileDialog::getExistingDirectory(owner, title, QDir::homePath(),
                                                           QFileDialog::ShowDirsOnly);
    if (path.isEmpty()) return std::nullopt;
    return path;
  }
};

QtFolderPicker g_real;
}  // namespace

std::optional<QString> BrowseForFolder(QWidget* owner, const QString& title) {
  return (g_picker ? g_picker : &g_real)->browse(owner, title);
}

std::optional<QString> ScriptedFolderPicker::browse(QWidget*, const QString& title) {
  titles_ << title;
  if (answers_.isEmpty()) return std::nullopt;
  return answers_.dequeue();
}

ScopedFolderPicker::ScopedFolderPicker(FolderPicker& p) : previous_(g_picker) {
  g_picker = &p;
}
ScopedFolderPicker::~ScopedFolderPicker() {
  g_picker = previous_;
}

}  // namespace ark::desktop
