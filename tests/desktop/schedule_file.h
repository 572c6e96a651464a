#pragma once
// A schedule file with a few backup rows, made directly through SQLite.
#include <sqlite3.h>

#include <QString>
#include <stdexcept>

#include "support/tempdir.h"

namespace ark::desktop::test {

inline void sql(const QString& path, const QString& text) {
  sqlite3* h = nullptr;
  if (sqlite3_open_v2(path.toUtf8().constData(), &h, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE,
                      nullptr) != SQLITE_OK)
    throw std::runtime_error("cannot open test file");
  sqlite3_busy_timeout(h, 5000);
  char* err = nullptr;
  const int rc = sqlite3_exec(h, text.toUtf8().constData(), nullptr, nullptr, &err);
  const std::string msg = err ? err : "";
  sqlite3_free(err);
  sqlite3_close(h);
  if (rc != SQLITE_OK) throw std::runtime_error("test SQL failed: " + msg);
}

inline QString value(const QString& path, const QString& query) {
  sqlite3* h = nullptr;
  sqlite3_open_v2(path.toUtf8().constData(), &h, SQLITE_OPEN_READONLY, nullptr);
  sqlite3_stmt* st = nullptr;
  QString out;
  if (sqlite3_prepare_v2(h, query.toUtf8().constData(), -1, &st, nullptr) == SQLITE_OK &&
      sqlite3_step(st) == SQLITE_ROW) {
    const unsigned char* t = sqlite3_column_text(st, 0);
    out = t ? QString::fromUtf8(reinterpret_cast<const char*>(t)) : QStringLiteral("NULL");
  }
  sqlite3_finalize(st);
  sqlite3_close(h);
  return out;
}

class ScheduleFile {
 public:
  ScheduleFile() : path_(dir_.file("backupdovral.mdb")) {
    sql(path_,
        "CREATE TABLE backup (horabkp DATETIME, nomearquivo VARCHAR(15), origem VARCHAR(259),"
        " destino VARCHAR(259), sobrepoe YESNO);"
        "INSERT INTO backup VALUES ('1899-12-30 22:00:00','noite','/dados','/copias',1);"
        "INSERT INTO backup VALUES ('1899-12-30 08:30:00','manha','/docs',NULL,0);"
        "INSERT INTO backup VALUES ('1899-12-30 12:00:00',NULL,'/fotos','/copias',NULL);");
  }
  const QString& path() const { return path_; }
  QString value(const QString& q) const { return test::value(path_, q); }
  void exec(const QString& q) const { sql(path_, q); }

 private:
  ark::test::TempDir dir_;
  QString path_;
};

}  // namespace ark::desktop::test
