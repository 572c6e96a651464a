// The PRAXEL maintenance job over 50 000 patients and 200 000 agenda rows (times the
// first argument), against the same changes made on a copy of the file by a handful of
// set-based SQL statements with the same durability settings: the most the engine could
// do for this job.
#include <sqlite3.h>

#include <QApplication>
#include <QCryptographicHash>
#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <cstdio>
#include <vector>

#include "bench_support.h"
#include "platform/database/database.h"
#include "maintenance/calcula_idade.h"
#include "maintenance/maintenance.h"
#include "maintenance/maintenance_runner.h"
#include "platform/core/runtime.h"

namespace {
int kPatients = 50000;
int kAgenda = 200000;
int kDoctors = 20;
bool kIndexes = true;
constexpr int kSlots = 18;  // half hours from 08:00
constexpr int kFirstDay = -500, kLastDay = 60;
constexpr int kRetention = 365;

using bench::exec;
using bench::openDirect;

QString cpfOf(int i) {
  return QStringLiteral("%1").arg(10000000000LL + qint64(i) * 7919, 11, 10, QLatin1Char('0'));
}

QByteArray dayText(const QDate& today, int offset) {
  return today.addDays(offset).toString(QStringLiteral("yyyy-MM-dd 00:00:00")).toUtf8();
}

void create(const QString& path, const QDate& today) {
  sqlite3* h = openDirect(path);
  exec(h,
       "CREATE TABLE parametros (dias_agenda LONG, controle_agenda LONG,"
       " data_atualizacao VARCHAR(10), hora_atualizacao VARCHAR(8));"
       "CREATE TABLE paciente (cpf VARCHAR(14), nome VARCHAR(60), dtnasc DATETIME,"
       " idade VARCHAR(50));"
       "CREATE TABLE agenda (contador LONG, codmedico LONG, data DATETIME, hora DATETIME,"
       " cpf VARCHAR(14), nome VARCHAR(60), idade VARCHAR(50));"
       "CREATE TABLE transacao (codigo LONG, descricao VARCHAR(50));"
       "INSERT INTO parametros VALUES (365, 1, '01/01/2026', '03:00:00');"
       "BEGIN;");
  QRandomGenerator rng(20261210);
  sqlite3_stmt* st = nullptr;
  sqlite3_prepare_v2(h, "INSERT INTO paciente VALUES (?, ?, ?, '0')", -1, &st, nullptr);
  for (int i = 0; i < kPatients; ++i) {
    const QByteArray cpf = cpfOf(i).toUtf8();
    sqlite3_bind_text(st, 1, cpf.constData(), cpf.size(), SQLITE_TRANSIENT);
    if (i % 50 == 0) {  // 2% without a name
      sqlite3_bind_null(st, 2);
    } else {
      const QByteArray nome = QStringLiteral("Paciente %1 da Silva").arg(i).toUtf8();
      sqlite3_bind_text(st, 2, nome.constData(), nome.size(), SQLITE_TRANSIENT);
    }
    if (i % 20 == 7) {  // 5% without a birth date
      sqlite3_bind_null(st, 3);
    } else {
      const QByteArray d = dayText(today, -int(rng.bounded(1, 36500)));
      sqlite3_bind_text(st, 3, d.constData(), d.size(), SQLITE_TRANSIENT);
    }
    sqlite3_step(st);
    sqlite3_reset(st);
  }
  sqlite3_finalize(st);

  // Distinct (doctor, day, slot) rows in a shuffled order.
  std::vector<int> cells(kDoctors * (kLastDay - kFirstDay + 1) * kSlots);
  for (int i = 0; i < int(cells.size()); ++i) cells[i] = i;
  for (int i = int(cells.size()) - 1; i > 0; --i) std::swap(cells[i], cells[rng.bounded(i + 1)]);
  sqlite3_prepare_v2(h, "INSERT INTO agenda VALUES (0, ?, ?, ?, ?, ?, ?)", -1, &st, nullptr);
  for (int i = 0; i < kAgenda; ++i) {
    const int s = cells[i];
    const int doctor = s % kDoctors + 1;
    const int day = kFirstDay + (s / kDoctors) % (kLastDay - kFirstDay + 1);
    const int slot = s / (kDoctors * (kLastDay - kFirstDay + 1));
    sqlite3_bind_int(st, 1, doctor);
    const QByteArray d = dayText(today, day);
    sqlite3_bind_text(st, 2, d.constData(), d.size(), SQLITE_TRANSIENT);
    const QByteArray hora = QStringLiteral("1899-12-30 %1:%2:00")
                                .arg(8 + slot / 2, 2, 10, QLatin1Char('0'))
                                .arg(slot % 2 * 30, 2, 10, QLatin1Char('0'))
                                .toUtf8();
    sqlite3_bind_text(st, 3, hora.constData(), hora.size(), SQLITE_TRANSIENT);
    if (i % 10 == 3) {  // a free slot
      sqlite3_bind_text(st, 4, "", 0, SQLITE_STATIC);
      sqlite3_bind_null(st, 5);
      sqlite3_bind_text(st, 6, "0", 1, SQLITE_STATIC);
    } else {
      const int p = int(rng.bounded(kPatients));
      const QByteArray cpf = cpfOf(p).toUtf8();
      sqlite3_bind_text(st, 4, cpf.constData(), cpf.size(), SQLITE_TRANSIENT);
      const QByteArray nome = QStringLiteral("Paciente %1 da Silva").arg(p).toUtf8();
      sqlite3_bind_text(st, 5, nome.constData(), nome.size(), SQLITE_TRANSIENT);
      // Half the appointments already carry an age from an earlier run.
      if (i % 2)
        sqlite3_bind_text(st, 6, "30 Ano(s) 1 Mês(es) 2 Dia(s)", -1, SQLITE_STATIC);
      else
        sqlite3_bind_text(st, 6, "0", 1, SQLITE_STATIC);
    }
    sqlite3_step(st);
    sqlite3_reset(st);
  }
  sqlite3_finalize(st);
  exec(h, "COMMIT;");
  if (kIndexes)
    exec(h,
         "CREATE INDEX paciente_cpf ON paciente (cpf);"
         "CREATE INDEX agenda_cpf ON agenda (cpf);");
  exec(h, "PRAGMA wal_checkpoint(TRUNCATE);");
  sqlite3_close(h);
}

// The age text as an SQL function, for the set-based side.
void idadeTexto(sqlite3_context* ctx, int, sqlite3_value** argv) {
  const unsigned char* t = sqlite3_value_text(argv[0]);
  const QDate birth = QDate::fromString(
      QString::fromUtf8(reinterpret_cast<const char*>(t)).left(10), QStringLiteral("yyyy-MM-dd"));
  const QByteArray age = ark::maintenance::CalculaIdade(birth, ark::rt::Date().datePart()).toUtf8();
  sqlite3_result_text(ctx, age.constData(), age.size(), SQLITE_TRANSIENT);
}

double plainSql(const QString& path) {
  const QByteArray today =
      ark::rt::Date().datePart().toString(QStringLiteral("yyyy-MM-dd")).toUtf8();
  const QByteArray stampDate =
      ark::rt::Format(ark::rt::Date(), QStringLiteral("dd/mm/yyyy")).toUtf8();
  const QByteArray stampTime =
      ark::rt::Format(ark::rt::Time(), QStringLiteral("hh:mm:ss")).toUtf8();
  QElapsedTimer t;
  t.start();
  sqlite3* h = openDirect(path);
  sqlite3_create_function(h, "idade_texto", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr,
                          idadeTexto, nullptr, nullptr);
  const QByteArray sql =
      "UPDATE paciente SET idade = idade_texto(dtnasc) WHERE dtnasc IS NOT NULL;"
      "UPDATE paciente SET nome = (SELECT a.nome FROM agenda a WHERE a.cpf = paciente.cpf"
      " ORDER BY a.rowid LIMIT 1) WHERE (nome IS NULL OR nome = '')"
      " AND EXISTS (SELECT 1 FROM agenda a WHERE a.cpf = paciente.cpf);"
      "DELETE FROM agenda WHERE nome IS NULL AND data < '" +
      today +
      " 00:00:00';"
      "DELETE FROM agenda WHERE julianday('" +
      today + "') - julianday(substr(data, 1, 10)) > " + QByteArray::number(kRetention) +
      ";"
      "UPDATE agenda SET idade = (SELECT p.idade FROM paciente p WHERE p.cpf = trim(agenda.cpf)"
      " ORDER BY p.cpf LIMIT 1) WHERE cpf <> '' AND idade = '0'"
      " AND EXISTS (SELECT 1 FROM paciente p WHERE p.cpf = trim(agenda.cpf));"
      "WITH n AS (SELECT rowid AS r, row_number() OVER (ORDER BY codmedico, data, hora) AS k"
      " FROM agenda) UPDATE agenda SET contador = n.k FROM n WHERE agenda.rowid = n.r;"
      "UPDATE parametros SET controle_agenda = (SELECT count(*) + 1 FROM agenda),"
      " data_atualizacao = '" +
      stampDate + "', hora_atualizacao = '" + stampTime + "';";
  exec(h, sql.constData());
  sqlite3_close(h);
  return t.elapsed() / 1000.0;
}

// A digest of everything the job writes, to hold both sides against each other.
QByteArray digest(const QString& path) {
  sqlite3* h = openDirect(path);
  QCryptographicHash hash(QCryptographicHash::Sha1);
  for (const char* q : {"SELECT rowid, nome, idade FROM paciente ORDER BY rowid",
                        "SELECT rowid, contador, idade FROM agenda ORDER BY rowid",
                        "SELECT controle_agenda FROM parametros"}) {
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(h, q, -1, &st, nullptr);
    while (sqlite3_step(st) == SQLITE_ROW)
      for (int c = 0; c < sqlite3_column_count(st); ++c) {
        const unsigned char* t = sqlite3_column_text(st, c);
        hash.addData(t ? reinterpret_cast<const char*>(t) : "\x01");
        hash.addData("|");
      }
    sqlite3_finalize(st);
  }
  sqlite3_close(h);
  return hash.result().toHex();
}
}  // namespace

int main(int argc, char** argv) {
  ark::db::configureEngine();  // both sides with the engine as the program sets it
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  // --make FILE: only the database at the base size, for a run of the program itself.
  if (argc == 3 && QByteArray(argv[1]) == "--make") {
    create(QString::fromLocal8Bit(argv[2]), ark::rt::Date().datePart());
    return 0;
  }
  const bench::Options opt = bench::options(argc, argv);
  kPatients *= opt.scale;
  kAgenda *= opt.scale;
  kDoctors *= opt.scale;
  kIndexes = opt.indexes;
  const bench::Files f(QStringLiteral("praxel.mdb"));
  QElapsedTimer t;
  t.start();
  create(f.made, ark::rt::Date().datePart());
  std::printf("patients %d, agenda rows %d (made in %.1f s)\n", kPatients, kAgenda,
              t.elapsed() / 1000.0);
  // Compared file by file, not by counts: the results must be the same rows and values.
  bool same = true;
  QByteArray first;
  const int code = bench::compare(
      "PRAXEL", QStringLiteral("frm_atualiza"), f, plainSql, [&](const QString& file) {
        const QByteArray d = digest(file);
        if (first.isEmpty())
          first = d;
        else
          same = same && d == first;
        return d;
      });
  std::printf("results identical: %s\n", same ? "yes" : "NO");
  return code == 0 && same ? 0 : 1;
}
