#pragma once
// A temporary folder for one test, removed when the test ends.
#include <QDir>
#include <QString>
#include <QTemporaryDir>

namespace ark::test {

class TempDir {
 public:
  TempDir() : dir_(QDir::tempPath() + "/arkivor-test-XXXXXX") {}
  QString path() const { return dir_.path(); }
  QString file(const QString& name) const { return dir_.path() + "/" + name; }
  // Creates a sub-folder (and its parents) and returns its path.
  QString mkdir(const QString& name) const {
    QDir().mkpath(file(name));
    return file(name);
  }

 private:
  QTemporaryDir dir_;
};

}  // namespace ark::test
