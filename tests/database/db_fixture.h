#pragma once
// SQLite files for the database layer's tests, made and read directly through the C API
// so that what the views wrote is checked independently of them.
#include <QString>
#include <stdexcept>

#include "support/sqlite_file.h"
#include "support/tempdir.h"

namespace ark::db::test {

inline void exec(const QString& path, const QString& sql, bool create = false) {
  ark::test::sqliteExec(path, sql, create);
}

// The first column of the first row as text: "NULL" for a null, "" for no row.
inline QString query(const QString& path, const QString& sql) {
  return ark::test::sqliteValue(path, sql);
}

// A temporary folder with one database file made from `sql`.
class DbFile {
 public:
  explicit DbFile(const QString& sql, const QString& name = QStringLiteral("dados.mdb"))
      : path_(dir_.file(name)) {
    test::exec(path_, sql, true);
  }
  const QString& path() const { return path_; }
  QString query(const QString& sql) const { return test::query(path_, sql); }
  void exec(const QString& sql) const { test::exec(path_, sql); }

 private:
  ark::test::TempDir dir_;
  QString path_;
};

}  // namespace ark::db::test
