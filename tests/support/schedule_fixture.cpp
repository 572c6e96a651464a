#include "support/schedule_fixture.h"

#include "support/sqlite_file.h"

namespace ark::test {
namespace {
QString lit(const QString& s) { return "'" + QString(s).replace("'", "''") + "'"; }
}  // namespace

void execSql(const QString& path, const QString& sql) { sqliteExec(path, sql, true); }

QString querySql(const QString& path, const QString& sql) {
  return sqliteValue(path, sql, QString());
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
