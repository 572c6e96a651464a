#pragma once
// Business database files for the maintenance tests, written and read straight through
// SQLite so that what a job wrote is checked independently of the data views.
#include <sqlite3.h>

#include <QString>
#include <QStringList>
#include <stdexcept>

#include "maintenance/maintenance.h"
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
    sqlite3* h = nullptr;
    const int flags = SQLITE_OPEN_READWRITE | (create ? SQLITE_OPEN_CREATE : 0);
    if (sqlite3_open_v2(path_.toUtf8().constData(), &h, flags, nullptr) != SQLITE_OK)
      throw std::runtime_error("cannot open the test database");
    sqlite3_busy_timeout(h, 5000);
    char* err = nullptr;
    const int rc = sqlite3_exec(h, sql.toUtf8().constData(), nullptr, nullptr, &err);
    const std::string msg = err ? err : "";
    sqlite3_free(err);
    sqlite3_close(h);
    if (rc != SQLITE_OK) throw std::runtime_error("test SQL failed: " + msg);
  }

  // Every row of a query, its columns joined by "|", NULL as "NULL".
  QStringList rows(const QString& sql) const {
    sqlite3* h = nullptr;
    sqlite3_open_v2(path_.toUtf8().constData(), &h, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* st = nullptr;
    QStringList out;
    if (sqlite3_prepare_v2(h, sql.toUtf8().constData(), -1, &st, nullptr) != SQLITE_OK) {
      sqlite3_close(h);
      throw std::runtime_error("test query failed: " + sql.toStdString());
    }
    while (sqlite3_step(st) == SQLITE_ROW) {
      QStringList cols;
      for (int c = 0; c < sqlite3_column_count(st); ++c) {
        const unsigned char* t = sqlite3_column_text(st, c);
        cols << (t ? QString::fromUtf8(reinterpret_cast<const char*>(t)) : QStringLiteral("NULL"));
      }
      out << cols.join(QLatin1Char('|'));
    }
    sqlite3_finalize(st);
    sqlite3_close(h);
    return out;
  }
  QString value(const QString& sql) const {
    const QStringList r = rows(sql);
    return r.isEmpty() ? QString() : r.first();
  }

 private:
  ark::test::TempDir dir_;
  QString path_;
};

}  // namespace ark::maintenance::test
