#pragma once
// The shell folder picker: the user chooses a folder of the file system, or cancels.
// Tests install a ScriptedFolderPicker that answers with prepared paths.
#include <QQueue>
#include <QString>
#include <QStringList>
#include <optional>

class QWidget;

namespace ark::desktop {

// The chosen folder, or nullopt when the user cancelled. Only folders can be chosen.
std::optional<QString> BrowseForFolder(QWidget* owner, const QString& title);

class FolderPicker {
 public:
  virtual ~FolderPicker() = default;
  virtual std::optional<QString> browse(QWidget* owner, const QString& title) = 0;
};

// Answers from a queue (nullopt = cancel); an empty queue cancels. Records the titles.
class ScriptedFolderPicker : public FolderPicker {
 public:
  void answer(const QString& path) { answers_.enqueue(path); }
  void cancel() { answers_.enqueue(std::nullopt); }
  const QStringList& titles() const { return titles_; }

  std::optional<QString> browse(QWidget* owner, const QString& title) override;

 private:
  QQueue<std::optional<QString>> answers_;
  QStringList titles_;
};

// Installs a picker for the lifetime of the object (tests).
class ScopedFolderPicker {
 public:
  explicit ScopedFolderPicker(FolderPicker& p);
  ~ScopedFolderPicker();
  ScopedFolderPicker(const ScopedFolderPicker&) = delete;
  ScopedFolderPicker& operator=(const ScopedFolderPicker&) = delete;

 private:
  FolderPicker* previous_;
};

}  // namespace ark::desktop
