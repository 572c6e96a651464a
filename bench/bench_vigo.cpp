// The VIGO maintenance job over 20 000 employees, 100 000 attendances (5 000 blocked over
// 2 000 CPFs, half of them in the current year), 50 000 appointments and 20 000 rows in
// each training table (times the first argument), with the index VIGO keeps on the CPF of
// the attendances; against the same changes made on a copy by a few set-based SQL
// statements.
#include <sqlite3.h>

#include <QApplication>
#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <cstdio>

#include "bench_support.h"
#include "platform/database/database.h"
#include "maintenance_vigo/vigo_schema.h"
#include "platform/core/runtime.h"

namespace {
using bench::exec;
using bench::fill;
using bench::openDirect;
using bench::text;

int kEmployees = 20000, kAttendances = 100000, kBlocked = 5000, kBlockedCpfs = 2000,
    kAppointments = 50000, kTraining = 20000;

QByteArray cpfOf(int i) {
  return QStringLiteral("%1")
      .arg(10000000000LL + qint64(i) * 7919, 11, 10, QLatin1Char('0'))
      .toUtf8();
}

void create(const QString& path, const QDate& today, bool indexes) {
  sqlite3* h = openDirect(path);
  exec(h, qPrintable(ark::maintenance::test::vigoSchema()));
  exec(h,
       "INSERT INTO parametros VALUES (365, '01/01/2026', '03:00:00');"
       "INSERT INTO natureza_exame VALUES ('ADMISSIONAL', 'BLOQUEADO'), ('PERIODICO', 'RESTRITO'),"
       " ('DEMISSIONAL', NULL), ('RETORNO', 'RESTRITO'), ('MUDANCA', 'BLOQUEADO'),"
       " ('PARADA', 'BLOQUEADO');");
  QRandomGenerator rng(20261210);
  auto offset = [&](int from, int to) { return today.addDays(int(rng.bounded(from, to + 1))); };
  auto iso = [](const QDate& d) {
    return d.toString(QStringLiteral("yyyy-MM-dd 00:00:00")).toUtf8();
  };
  auto dmy = [](const QDate& d) { return d.toString(QStringLiteral("dd/MM/yyyy")).toUtf8(); };
  const char* const natures[] = {"ADMISSIONAL", "Periodico", "periodico",  "DEMISSIONAL",
                                 "Retorno",     "MUDANCA",   "Admissional"};

  fill(h, "INSERT INTO agenda VALUES (?, ?, ?)", kAppointments, [&](auto st, int i) {
    sqlite3_bind_int(st, 1, i + 1);
    if (i % 10 >= 3) text(st, 2, "Empresa");
    text(st, 3, iso(offset(-500, 60)));
  });
  fill(h, "INSERT INTO empregado VALUES (?, ?, ?, 0)", kEmployees, [&](auto st, int i) {
    sqlite3_bind_int(st, 1, i % 100 == 0 ? 0 : i + 1);
    text(st, 2, QStringLiteral("Empregado %1").arg((i * 7919) % kEmployees).toUtf8());
    text(st, 3, i % 20 == 0 ? QByteArray("__/__/____") : dmy(offset(-25000, -6000)));
  });
  fill(h, "INSERT INTO empregado_empresa VALUES (?, 'Empresa')", kEmployees, [&](auto st, int i) {
    if (i % 100) text(st, 1, cpfOf(i));
  });
  for (const char* table :
       {"agenda_treinamento", "agenda_treinamento_empresa", "agenda_treinamento_instrutor"})
    fill(h, qPrintable(QStringLiteral("INSERT INTO %1 VALUES (?, 'x')").arg(table)), kTraining,
         [&](auto st, int i) {
           if (i % 50) sqlite3_bind_int(st, 1, i % 25 ? i + 1 : 0);
         });
  fill(h, "INSERT INTO treinamentos_presenca VALUES (?, ?)", kTraining, [&](auto st, int i) {
    sqlite3_bind_int(st, 1, i + 1);
    sqlite3_bind_double(st, 2, i % 30 ? 5 + i % 5 : 0);
  });
  // The first kBlocked attendances are the blocked ones, over the first kBlockedCpfs CPFs;
  // every CPF has five attendances.
  fill(h,
       "INSERT INTO aso VALUES (?, ?, ?, ?, ?, ?, 1, ?, ?, 'Negativo', '__/__/____', NULL,"
       " '__/__/____', 7, 7, 7, ?, 'Nenhuma', ?, 'Apto', '01/01/2026', ?, '__/__/____')",
       kAttendances, [&](auto st, int i) {
         const bool blocked = i < kBlocked;
         const int person = blocked ? i % kBlockedCpfs : i % kEmployees;
         sqlite3_bind_int(st, 1, i + 1);
         text(st, 2, QStringLiteral("Empregado %1").arg(person).toUtf8());
         text(st, 3, cpfOf(person));
         text(st, 4, iso(i % 2 ? offset(-today.dayOfYear() + 1, 0) : offset(-730, -400)));
         if (i % 40 != 5) text(st, 5, natures[i % 7]);
         text(st, 6, blocked ? (i % 3 ? "BLOQUEADO" : "Bloqueado") : "LIBERADO");
         if (i % 25 != 3) text(st, 7, blocked ? "Positivo" : i % 60 == 1 ? "RECUSOU" : "Negativo");
         text(st, 8, dmy(offset(-400, 0)));
         if (i % 17 != 2) text(st, 9, "Nenhuma");
         if (i % 13 != 4) text(st, 10, "Apto");
         text(st, 11, i % 11 == 6 ? QByteArray("__/__/____") : dmy(offset(-200, 300)));
       });
  if (indexes) exec(h, "CREATE INDEX aso_cpf ON aso (cpf);");
  exec(h, "PRAGMA wal_checkpoint(TRUNCATE);");
  sqlite3_close(h);
}

double plainSql(const QString& path) {
  const QDate date = ark::rt::Date().datePart();
  // A "dd/mm/yyyy" text as a day for julianday(); Null for anything else.
  const QString dayOf = QStringLiteral(
      "julianday(CASE WHEN %1 GLOB '[0-9][0-9]/[0-9][0-9]/[0-9][0-9][0-9][0-9]' THEN"
      " substr(%1, 7, 4) || '-' || substr(%1, 4, 2) || '-' || substr(%1, 1, 2) END)");
  QString sql = QStringLiteral(
      // 1, 2
      "DELETE FROM agenda WHERE empresa IS NULL AND data < '$T 00:00:00';"
      "DELETE FROM agenda WHERE $J - julianday(data) > 365;"
      // 3
      "DELETE FROM empregado WHERE codigo = 0;"
      "UPDATE empregado SET idade = 0 WHERE dtnasc = '__/__/____';"
      "UPDATE empregado SET idade = CAST(($J - $D(dtnasc)) / 365 AS INTEGER)"
      " WHERE $D(dtnasc) IS NOT NULL;"
      // 4 to 12
      "DELETE FROM empregado_empresa WHERE cpf IS NULL;"
      "DELETE FROM agenda_treinamento WHERE controle = 0 OR controle IS NULL;"
      "DELETE FROM agenda_treinamento_empresa WHERE controle = 0 OR controle IS NULL;"
      "DELETE FROM agenda_treinamento_instrutor WHERE controle = 0 OR controle IS NULL;"
      "DELETE FROM treinamentos_presenca WHERE nota = 0;"
      "DELETE FROM aso WHERE controle IS NULL OR empregado IS NULL OR empregado = '';"
      "UPDATE aso SET dias_bloqueado = 0, dias_bloqueadoe = 0, bloqueio_atendimento_num = 0;"
      // 13
      "UPDATE aso SET dias_bloqueado = CAST($J - $D(toxicologico_data) AS INTEGER)"
      " WHERE situacao = 'BLOQUEADO' COLLATE NOCASE AND toxicologico = 'Positivo'"
      " AND $D(toxicologico_data) IS NOT NULL;"
      // 14
      "WITH o AS (SELECT rowid AS r, cpf, controle, data, sum(situacao = 'BLOQUEADO')"
      " OVER (PARTITION BY cpf ORDER BY data, rowid) AS g FROM aso WHERE cpf IN"
      " (SELECT cpf FROM aso WHERE situacao = 'BLOQUEADO' COLLATE NOCASE)),"
      " n AS (SELECT r, CASE WHEN g = 0 THEN 0 ELSE first_value(controle) OVER"
      " (PARTITION BY cpf, g ORDER BY data, r) END AS k FROM o)"
      " UPDATE aso SET bloqueio_atendimento_num = n.k FROM n WHERE aso.rowid = n.r;"
      // 15
      "CREATE TEMP TABLE corrente AS SELECT rowid AS r, natureza_exame AS natureza,"
      " upper(toxicologico) IN ('RECUSOU', 'POSITIVO') AS positivo, toxicologico IS NULL AS sem,"
      " (SELECT status FROM natureza_exame n WHERE n.descricao = aso.natureza_exame"
      " COLLATE NOCASE ORDER BY n.rowid LIMIT 1) AS status,"
      " (realizou_clinico_data = '__/__/____' AND data_validade_asoe = '__/__/____')"
      " OR (aptidao_funcaoi IS NULL AND aptidao_funcao IS NULL)"
      " OR (aptidao_funcaoi = '' AND aptidao_funcao = '')"
      " OR (pendencia IS NULL AND pendencia_asoe IS NULL)"
      " OR (pendencia = '' AND pendencia_asoe = '') AS pendente,"
      " $D(data_validade_aso) AS validade, $D(toxicologico_data) AS exame"
      " FROM aso WHERE data >= '$Y-01-01' AND data < '$Z-01-01';"
      "UPDATE aso SET situacao = CASE"
      " WHEN c.natureza IS NULL THEN 'PENDENTE'"
      " WHEN c.positivo THEN ifnull(c.status, situacao)"
      " WHEN c.pendente THEN 'PENDENTE'"
      " WHEN c.validade < $J THEN 'VENCIDO'"
      " WHEN c.validade IS NOT NULL THEN 'LIBERADO' ELSE situacao END,"
      " cor_situacao = CASE"
      " WHEN c.natureza IS NULL THEN 8454143"
      " WHEN c.positivo THEN CASE c.status WHEN 'BLOQUEADO' THEN 192 WHEN 'RESTRITO' THEN 33023"
      " ELSE cor_situacao END"
      " WHEN c.pendente THEN 8454143"
      " WHEN c.validade < $J THEN 128"
      " WHEN c.validade IS NOT NULL THEN 32768 ELSE cor_situacao END,"
      " dias_bloqueado = CASE WHEN c.natureza IS NOT NULL AND c.positivo"
      " AND c.status = 'BLOQUEADO' AND c.exame IS NOT NULL"
      " THEN CAST($J - c.exame AS INTEGER) ELSE dias_bloqueado END"
      " FROM corrente c WHERE aso.rowid = c.r AND NOT c.sem;"
      "UPDATE aso SET situacao = 'PENDENTE', cor_situacao = 8454143"
      " WHERE rowid IN (SELECT r FROM corrente WHERE natureza IS NULL);"
      "UPDATE parametros SET data_atualizacao_idade = '$B', hora_atualizacao_idade = '$H';");
  sql.replace(QStringLiteral("$D(dtnasc)"), dayOf.arg(QStringLiteral("dtnasc")))
      .replace(QStringLiteral("$D(toxicologico_data)"),
               dayOf.arg(QStringLiteral("toxicologico_data")))
      .replace(QStringLiteral("$D(data_validade_aso)"),
               dayOf.arg(QStringLiteral("data_validade_aso")))
      .replace(QStringLiteral("$J"),
               QStringLiteral("julianday('%1')").arg(date.toString(QStringLiteral("yyyy-MM-dd"))))
      .replace(QStringLiteral("$T"), date.toString(QStringLiteral("yyyy-MM-dd")))
      .replace(QStringLiteral("$Y"), QString::number(date.year()))
      .replace(QStringLiteral("$Z"), QString::number(date.year() + 1))
      .replace(QStringLiteral("$B"), date.toString(QStringLiteral("dd/MM/yyyy")))
      .replace(QStringLiteral("$H"), ark::rt::Format(ark::rt::Time(), QStringLiteral("hh:mm:ss")));
  return bench::timedSql(path, sql);
}

// What both sides should agree on.
QByteArray counts(const QString& path) {
  sqlite3* h = openDirect(path);
  QByteArray out =
      bench::value(h, "SELECT count(*) FROM agenda") + " agenda, " +
      bench::value(h, "SELECT count(*) FROM empregado") + " employees, " +
      bench::value(h,
                   "SELECT group_concat(n, ' ') FROM (SELECT situacao || ':' || count(*) AS n"
                   " FROM aso GROUP BY situacao ORDER BY situacao)") +
      ", numbers " + bench::value(h, "SELECT sum(bloqueio_atendimento_num) FROM aso");
  sqlite3_close(h);
  return out;
}
}  // namespace

int main(int argc, char** argv) {
  ark::db::configureEngine();  // both sides with the engine as the program sets it
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  const bench::Options opt = bench::options(argc, argv);
  for (int* n : {&kEmployees, &kAttendances, &kBlocked, &kBlockedCpfs, &kAppointments, &kTraining})
    *n *= opt.scale;
  const bench::Files f(QStringLiteral("ocupax.mdb"));
  QElapsedTimer t;
  t.start();
  create(f.made, ark::rt::Date().datePart(), opt.indexes);
  std::printf(
      "employees %d, attendances %d (%d blocked over %d CPFs), appointments %d%s"
      " (made in %.1f s)\n",
      kEmployees, kAttendances, kBlocked, kBlockedCpfs, kAppointments,
      opt.indexes ? "" : ", no indexes", t.elapsed() / 1000.0);

  return bench::compare("VIGO", QStringLiteral("frmatualiza"), f, plainSql, counts);
}
