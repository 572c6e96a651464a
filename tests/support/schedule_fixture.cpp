#include "support/schedule_fixture.h"

#include <sqlite3.h>

#include <stdexcept>

namespace ark::test {
namespace {
sqlite3* openFile(const QString& path) {
  sqlite3* db = nullptr;
  if (sqlite3_open_v2(path.toUtf8().constData(), &db,
                      SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK)
    throw std::runtime_error("cannot open test database");
  sqlite3_busy_timeout(db, 5000);
  return db;
}
QString lit(const QString& s) { return "'" + QString(s).replace("'", "''") + "'"; }
}  // namespace

void execSql(const QString& path, const QString& sql) {
  sqlite3* db = openFile(path);
  char* err = nullptr;
  const int rc = sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, &err);
  const std::string msg = err ? err : "";
  sqlite3_free(err);
  sqlite3_close(db);
  if (rc != SQLITE_OK) throw std::runtime_error("test SQL failed: " + msg);
}

QString querySql(const QString& path, const QString& sql) {
  sqlite3* db = openFile(path);
  sqlite3_stmt* st = nullptr;
  QString out;
  if (sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &st, nullptr) == SQLITE_OK &&
      sqlite3_step(st) == SQLITE_ROW) {
    const unsigned char* t = sqlite3_column_text(st, 0);
    if (t) out = QString::fromUtf8(reinterpret_cast<const char*>(t));
  }
  sqlite3_finalize(st);
  sqlite3_close(db);
  return out;
}

void createScheduleDb(const QString& path, const QList<BackupRow>& rows,
                      const QString& pcsValues) {
  QString sql = QStringLiteral(
      "CREATE TABLE backup (horabkp DATETIME, nomearquivo VARCHAR(15), origem VARCHAR(259),"
      " destino VARCHAR(259), sobrepoe YESNO);"
      "CREATE TABLE pcs (sistema VARCHAR(10), base VARCHAR(100), hora_atualizacao DATETIME,"
      " contrato YESNO, data_visita DATETIME, hora_visita DATETIME, nome VARCHAR(100),"
      " cnpj VARCHAR(20), pc VARCHAR(50));");
  if (!pcsValues.isEmpty())
    sql += QStringLiteral("INSERT INTO pcs VALUES (%1);").arg(pcsValues);
  for (const BackupRow& r : rows)
    sql += QStringLiteral("INSERT INTO backup VALUES (%1,%2,%3,%4,%5);")
               .arg(lit("1899-12-30 " + r.horabkp), lit(r.nomearquivo), lit(r.origem),
                    lit(r.destino), r.sobrepoe ? "1" : "0");
  execSql(path, sql);
}

}  // namespace ark::test
