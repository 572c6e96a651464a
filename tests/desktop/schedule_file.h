#pragma once
// A schedule file with a few backup rows, made directly through SQLite.
#include <QString>
#include <stdexcept>

#include "support/sqlite_file.h"
#include "support/tempdir.h"

namespace ark::desktop::test {

inline void sql(const QString& path, const QString& text) {
  ark::test::sqliteExec(path, text, true);
}

inline QString value(const QString& path, const QString& query) {
  return ark::test::sqliteValue(path, query);
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
