#pragma once
// SQLite files for the database layer's tests, made and read directly through the C API
// so that what the views wrote is checked independently of them.
#include <sqlite3.h>

#include <QString>
#include <stdexcept>

#include "support/tempdir.h"

namespace ark::db::test {

inline void exec(const QString& path, const QString& sql, bool create = false) {
  sqlite3* h = nullptr;
  int flags = SQLITE_OPEN_READWRITE | (create ? SQLITE_OPEN_CREATE : 0);
  if (sqlite3_open_v2(path.toUtf8().constData(), &h, flags, nullptr) != SQLITE_OK)
    throw std::runtime_error("cannot open test file");
  sqlite3_busy_timeout(h, 5000);
  char* err = nullptr;
  int rc = sqlite3_exec(h, sql.toUtf8().constData(), nullptr, nullptr, &err);
  std::string msg = err ? err : "";
  sqlite3_free(err);
  sqlite3_close(h);
  if (rc != SQLITE_OK) throw std::runtime_error("test SQL failed: " + msg);
}

// The first column of the first row as text: "NULL" for a null, "" for no row.
inline QString query(const QString& path, const QString& sql) {
  sqlite3* h = nullptr;
  sqlite3_open_v2(path.toUtf8().constData(), &h, SQLITE_OPEN_READONLY, nullptr);
  sqlite3_stmt* st = nullptr;
  QString out;
  if (sqlite3_prepare_v2(h, sql.toUtf8().constData(), -1, &st, nullptr) == SQLITE_OK &&
      sqlite3_step(st) == SQLITE_ROW) {
    const unsigned char* t = sqlite3_column_text(st, 0);
    out = t ? QString::fromUtf8(reinterpret_cast<const char*>(t)) : QStringLiteral("NULL");
  }
  sqlite3_finalize(st);
  sqlite3_close(h);
  return out;
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
