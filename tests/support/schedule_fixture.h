#pragma once
// A schedule database made the way the installer makes one, for tests.
#include <QString>
#include <QStringList>

namespace ark::test {

struct BackupRow {
  QString horabkp;  // "hh:mm:ss"
  QString nomearquivo;
  QString origem;
  QString destino;
  bool sobrepoe = false;
};

// Creates `path` with the tables backup and pcs and one pcs row; `pcsValues` are SQL
// literals for (sistema, base, hora_atualizacao, contrato, data_visita, hora_visita,
// nome, cnpj, pc), canonical date-time texts where the column is a date-time.
void createScheduleDb(const QString& path, const QList<BackupRow>& rows = {},
                      const QString& pcsValues = QStringLiteral(
                          "'PRAXEL','/base/','1899-12-30 03:00:00',1,'2026-12-25 00:00:00',"
                          "'1899-12-30 10:00:00','Loja Teste','12.345.678/0001-90','CAIXA-01'"));
// Runs SQL on a file directly (set-up and checks that bypass the views).
void execSql(const QString& path, const QString& sql);
// The first column of the first row of a query, as text ("" for NULL or no row).
QString querySql(const QString& path, const QString& sql);

}  // namespace ark::test
