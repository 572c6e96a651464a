#pragma once
// Business database files for the maintenance tests, written and read straight through
// SQLite so that what a job wrote is checked independently of the data views.
#include <sqlite3.h>

#include <QDate>
#include <QString>
#include <QStringList>
#include <stdexcept>

#include "maintenance/maintenance.h"
#include "support/sqlite_file.h"
#include "support/tempdir.h"

namespace ark::maintenance::test {

// The PRAXEL tables as this system assumes them (docs/business-databases.md).
inline const char* const kPraxelSchema =
    "CREATE TABLE parametros (dias_agenda LONG, controle_agenda LONG,"
    " data_atualizacao VARCHAR(10), hora_atualizacao VARCHAR(8));"
    "CREATE TABLE paciente (cpf VARCHAR(14), nome VARCHAR(60), dtnasc DATETIME,"
    " idade VARCHAR(50));"
    "CREATE TABLE agenda (contador LONG, codmedico LONG, data DATETIME, hora DATETIME,"
    " cpf VARCHAR(14), nome VARCHAR(60), idade VARCHAR(50));"
    "CREATE TABLE transacao (codigo LONG, descricao VARCHAR(50));"
    "CREATE INDEX paciente_cpf ON paciente (cpf);"
    "CREATE INDEX agenda_cpf ON agenda (cpf);";

// A day in each form other programs store dates in, as SQL values: the canonical text, a
// day-first text, a date-only text and a day number.
inline QStringList storedForms(const QDate& d) {
  return {QStringLiteral("'%1 00:00:00'").arg(d.toString(QStringLiteral("yyyy-MM-dd"))),
          QStringLiteral("'%1'").arg(d.toString(QStringLiteral("dd/MM/yyyy"))),
          QStringLiteral("'%1'").arg(d.toString(QStringLiteral("yyyy-MM-dd"))),
          QString::number(QDate(1899, 12, 30).daysTo(d))};
}

// A base folder holding one database file; BaseSistema points at it while it lives.
class BusinessDb {
 public:
  BusinessDb(const QString& file, const QString& sql) : path_(dir_.file(file)) {
    run(sql, true);
    BaseSistema = dir_.path() + QLatin1Char('/');
  }
  ~BusinessDb() { BaseSistema.clear(); }
  const QString& path() const { return path_; }

  void run(const QString& sql, bool create = false) const {
    ark::test::sqliteExec(path_, sql, create);
  }

  // Every row of a query, its columns joined by "|", NULL as "NULL".
  QStringList rows(const QString& sql) const { return ark::test::sqliteRows(path_, sql); }
  QString value(const QString& sql) const {
    const QStringList r = rows(sql);
    return r.isEmpty() ? QString() : r.first();
  }

 private:
  ark::test::TempDir dir_;
  QString path_;
};

}  // namespace ark::maintenance::test
