#include "install.h"

#include <sqlite3.h>

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringList>

#include "platform/core/runtime.h"
#include "platform/core/runtime_error.h"
#include "platform/database/database.h"

namespace ark::install {

namespace {
const char* const kSchema =
    "CREATE TABLE backup (horabkp DATETIME, nomearquivo VARCHAR(15), origem VARCHAR(259),"
    " destino VARCHAR(259), sobrepoe YESNO);"
    "CREATE TABLE pcs (sistema VARCHAR(10), base VARCHAR(100), hora_atualizacao DATETIME,"
    " contrato YESNO, data_visita DATETIME, hora_visita DATETIME, nome VARCHAR(100),"
    " cnpj VARCHAR(20), pc VARCHAR(50));";

void createTables(const QString& path) {
  sqlite3* h = nullptr;
  int rc = sqlite3_open_v2(path.toUtf8().constData(), &h, SQLITE_OPEN_READWRITE, nullptr);
  char* err = nullptr;
  if (rc == SQLITE_OK) rc = sqlite3_exec(h, kSchema, nullptr, nullptr, &err);
  QString message =
      err ? QString::fromUtf8(err) : QString::fromUtf8(h ? sqlite3_errmsg(h) : sqlite3_errstr(rc));
  sqlite3_free(err);
  sqlite3_close(h);
  if (rc != SQLITE_OK) throw errors::database(message, path);
}

void fill(const QString& path, const PcsRow& pcs, const QVector<BackupRow>& backups) {
  auto database = db::Database::open(path);
  db::Recordset rows(database, QStringLiteral("pcs"), QStringLiteral("instalador"));
  rows.AddNew();
  rows.setField(QStringLiteral("sistema"), pcs.sistema);
  rows.setField(QStringLiteral("base"), pcs.base);
  rows.setField(QStringLiteral("hora_atualizacao"), pcs.hora_atualizacao);
  rows.setField(QStringLiteral("contrato"), pcs.contrato);
  rows.setField(QStringLiteral("data_visita"), pcs.data_visita);
  rows.setField(QStringLiteral("hora_visita"), pcs.hora_visita);
  rows.setField(QStringLiteral("nome"), pcs.nome);
  rows.setField(QStringLiteral("cnpj"), pcs.cnpj);
  rows.setField(QStringLiteral("pc"), pcs.pc);
  rows.Update();

  db::Recordset schedule(database, QStringLiteral("backup"), QStringLiteral("instalador"));
  for (const BackupRow& b : backups) {
    schedule.AddNew();
    schedule.setField(QStringLiteral("horabkp"), b.horabkp);
    schedule.setField(QStringLiteral("nomearquivo"), b.nomearquivo);
    schedule.setField(QStringLiteral("origem"), b.origem);
    schedule.setField(QStringLiteral("destino"), b.destino);
    schedule.setField(QStringLiteral("sobrepoe"), b.sobrepoe);
    schedule.Update();
  }
}
}  // namespace

void checkInstallation(const PcsRow& pcs, const QVector<BackupRow>& backups) {
  // The maintenance trigger compares the code exactly and puts the file name straight
  // after the folder: anything else would make an installation that never runs its job.
  const QString sistema = rt::Text(pcs.sistema);
  if (sistema != QLatin1String("NEGOX") && sistema != QLatin1String("VIGO") &&
      sistema != QLatin1String("PRAXEL"))
    throw errors::database(QStringLiteral("Sistema desconhecido: \"%1\" (use NEGOX, VIGO ou "
                                          "PRAXEL, em letras maiúsculas)")
                               .arg(sistema));
  const QString base = rt::Text(pcs.base);
  if (!base.endsWith(QLatin1Char('/')))
    throw errors::database(
        QStringLiteral("A pasta do banco do sistema deve terminar com \"/\": \"%1\"").arg(base));

  // A schedule row as Gravar would take it, checked in the same order with the same words.
  static const QRegularExpression timeShape(QStringLiteral("^[0-9]{2}:[0-9]{2}:[0-9]{2}$"));
  for (const BackupRow& b : backups) {
    const QString nome = rt::Text(b.nomearquivo);
    const QString hora = rt::Text(b.horabkp);
    QString refused;
    if (rt::Text(b.origem).isEmpty())
      refused = QStringLiteral("Favor Informar a Origem do Backup");
    else if (rt::Text(b.destino).isEmpty())
      refused = QStringLiteral("Favor Informar o Destino do Backup");
    else if (nome.isEmpty())
      refused = QStringLiteral("Favor Informar um Nome Para o Arquivo do Backup");
    else if (!timeShape.match(hora).hasMatch() || !rt::IsDate(Value(hora)))
      refused = QStringLiteral("Favor Informar uma Hora Válida!");
    else if (nome.contains(QLatin1Char('/')) || nome.contains(QLatin1Char('\\')) ||
             nome == QLatin1String(".") || nome == QLatin1String(".."))
      refused = QStringLiteral("Favor Informar um Nome de Arquivo Válido (sem \"/\" ou \"\\\")");
    if (!refused.isEmpty())
      throw errors::database(
          QStringLiteral("Agendamento recusado: ") + refused,
          QStringList{hora, nome, rt::Text(b.origem), rt::Text(b.destino), rt::Text(b.sobrepoe)}
              .join(QLatin1Char('|')));
  }
}

void createScheduleDatabase(const QString& path, const PcsRow& pcs,
                            const QVector<BackupRow>& backups) {
  checkInstallation(pcs, backups);
  // NewOnly creates the file or fails if anything is there, so an existing database is
  // never opened, let alone changed.
  QFile file(path);
  if (QFileInfo::exists(path) || !file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
    if (QFileInfo::exists(path))
      throw errors::database(QStringLiteral("O arquivo já existe e não será substituído"), path);
    throw errors::database(
        QStringLiteral("Não foi possível criar o arquivo: ") + file.errorString(), path);
  }
  file.close();
  try {
    createTables(path);
    fill(path, pcs, backups);
  } catch (...) {
    QFile::remove(path);
    QFile::remove(path + QStringLiteral("-wal"));
    QFile::remove(path + QStringLiteral("-shm"));
    throw;
  }
}

BackupRow parseBackupRow(const QString& text) {
  const QStringList parts = text.split(QLatin1Char('|'));
  if (parts.size() != 5)
    throw errors::database(
        QStringLiteral("Agendamento inválido (esperado \"hh:mm:ss|nome|origem|destino|0 ou 1\")"),
        text);
  return {Value(parts[0]), Value(parts[1]), Value(parts[2]), Value(parts[3]), Value(parts[4])};
}

}  // namespace ark::install
