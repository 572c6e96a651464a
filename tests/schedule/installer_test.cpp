// The installer: a schedule database made once, never overwritten.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include "install.h"
#include "platform/core/runtime_error.h"
#include "schedule/schedule_store.h"
#include "support/tempdir.h"

namespace ark::install {
namespace {

QStringList rowsOf(const QString& path, const char* sql) {
  sqlite3* h = nullptr;
  sqlite3_open_v2(path.toUtf8().constData(), &h, SQLITE_OPEN_READONLY, nullptr);
  sqlite3_stmt* st = nullptr;
  QStringList out;
  if (sqlite3_prepare_v2(h, sql, -1, &st, nullptr) == SQLITE_OK)
    while (sqlite3_step(st) == SQLITE_ROW) {
      QStringList cols;
      for (int c = 0; c < sqlite3_column_count(st); ++c) {
        auto t = sqlite3_column_text(st, c);
        cols << (t ? QString::fromUtf8(reinterpret_cast<const char*>(t)) : QStringLiteral("NULL"));
      }
      out << cols.join(QLatin1Char('|'));
    }
  sqlite3_finalize(st);
  sqlite3_close(h);
  return out;
}

PcsRow demo() {
  return {
      Value("Loja D'Ávila"), Value("12.345.678/0001-90"), Value("CAIXA-01"), Value("PRAXEL"),
      Value("/praxel/"),     Value("03:00:00"),           Value("1"),        Value("25/12/2026"),
      Value("10:00:00")};
}

TEST(Installer, CreatesBothTablesAndTheInstallationRow) {
  ark::test::TempDir dir;
  const QString path = schedule::scheduleDatabasePath(dir.path());
  createScheduleDatabase(path, demo(),
                         {parseBackupRow(QStringLiteral("22:00:00|noite|/dados|/bkp|1")),
                          parseBackupRow(QStringLiteral("08:00:00|manha|/dados|/bkp|0"))});

  EXPECT_EQ(rowsOf(path, "select name, type from pragma_table_info('backup')"),
            (QStringList{"horabkp|DATETIME", "nomearquivo|VARCHAR(15)", "origem|VARCHAR(259)",
                         "destino|VARCHAR(259)", "sobrepoe|YESNO"}));
  EXPECT_EQ(rowsOf(path, "select name, type from pragma_table_info('pcs')"),
            (QStringList{"sistema|VARCHAR(10)", "base|VARCHAR(100)", "hora_atualizacao|DATETIME",
                         "contrato|YESNO", "data_visita|DATETIME", "hora_visita|DATETIME",
                         "nome|VARCHAR(100)", "cnpj|VARCHAR(20)", "pc|VARCHAR(50)"}));
  EXPECT_EQ(rowsOf(path, "select * from pcs"),
            QStringList{"PRAXEL|/praxel/|1899-12-30 03:00:00|1|2026-12-25 00:00:00|"
                        "1899-12-30 10:00:00|Loja D'Ávila|12.345.678/0001-90|CAIXA-01"});
  EXPECT_EQ(rowsOf(path, "select * from backup order by horabkp"),
            (QStringList{"1899-12-30 08:00:00|manha|/dados|/bkp|0",
                         "1899-12-30 22:00:00|noite|/dados|/bkp|1"}));

  // The program's own views read it, with and without the password.
  auto tpc = schedule::frmvisitaTpc();
  tpc->setDatabaseName(path);
  tpc->Refresh();
  EXPECT_EQ(tpc->recordset().field("contrato"), Value(true));
  EXPECT_EQ(tpc->recordset().field("data_visita"), Value::date(QDate(2026, 12, 25)));
  auto sobre = schedule::frmsobreTpc();
  sobre->setDatabaseName(path);
  EXPECT_EQ(sobre->recordset().field("pc"), Value("CAIXA-01"));
}

TEST(Installer, NeverOverwritesAnExistingFile) {
  ark::test::TempDir dir;
  const QString path = dir.file("backupdovral.mdb");
  createScheduleDatabase(path, demo());
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  const QByteArray before = f.readAll();
  f.close();
  PcsRow other = demo();
  other.nome = Value("Outra Loja");
  try {
    createScheduleDatabase(path, other);
    FAIL() << "overwrote";
  } catch (const RuntimeError& e) {
    EXPECT_TRUE(e.message().contains(path)) << e.what();
  }
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  EXPECT_EQ(f.readAll(), before);
  EXPECT_EQ(rowsOf(path, "select nome from pcs"), QStringList{"Loja D'Ávila"});
}

TEST(Installer, AValueThatDoesNotFitLeavesNoFile) {
  struct Case {
    Value PcsRow::*field;
    Value value;
  } cases[] = {
      {&PcsRow::hora_atualizacao, Value("25:00:00")},
      {&PcsRow::data_visita, Value("31/02/2026")},
      {&PcsRow::sistema, Value("SISTEMA-LONGO")},  // VARCHAR(10)
  };
  for (const Case& c : cases) {
    ark::test::TempDir dir;
    const QString path = dir.file("backupdovral.mdb");
    PcsRow row = demo();
    row.*c.field = c.value;
    EXPECT_THROW(createScheduleDatabase(path, row), RuntimeError)
        << c.value.debugString().toStdString();
    EXPECT_FALSE(QFileInfo::exists(path));
  }
  EXPECT_THROW(parseBackupRow(QStringLiteral("22:00:00|noite|/dados")), RuntimeError);
}

TEST(Installer, CommandLineCreatesOnceThenRefuses) {
  ark::test::TempDir dir;
  const QString exe = QStringLiteral(ARKIVOR_BINARY_DIR "/tools/arkivor-install");
  const QStringList args = {"--folder",
                            dir.path(),
                            "--nome",
                            "Loja Demonstração",
                            "--cnpj",
                            "12.345.678/0001-90",
                            "--pc",
                            "CAIXA-01",
                            "--sistema",
                            "PRAXEL",
                            "--base",
                            dir.path() + "/praxel/",
                            "--hora-atualizacao",
                            "03:00:00",
                            "--contrato",
                            "1",
                            "--data-visita",
                            "25/12/2026",
                            "--hora-visita",
                            "10:00:00",
                            "--backup",
                            "22:00:00|noite|/dados|/bkp|1"};
  QProcess p;
  p.start(exe, args);
  ASSERT_TRUE(p.waitForFinished(30000));
  EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
  const QString path = dir.file("backupdovral.mdb");
  EXPECT_EQ(rowsOf(path, "select nome, hora_visita from pcs"),
            QStringList{"Loja Demonstração|1899-12-30 10:00:00"});
  EXPECT_EQ(rowsOf(path, "select count(*) from backup"), QStringList{"1"});

  p.start(exe, args);
  ASSERT_TRUE(p.waitForFinished(30000));
  EXPECT_NE(p.exitCode(), 0);
  EXPECT_TRUE(QString::fromUtf8(p.readAllStandardError()).contains(QStringLiteral("já existe")));
  EXPECT_EQ(rowsOf(path, "select count(*) from pcs"), QStringList{"1"});
}

// What would make an installation that never runs is refused at once, in Portuguese, and
// leaves no file behind.
TEST(Installer, CommandLineRefusesAnInstallationThatCouldNeverWork) {
  const QString exe = QStringLiteral(ARKIVOR_BINARY_DIR "/tools/arkivor-install");
  struct Case {
    QStringList change;  // option and value put over the good ones
    const char* said;
  };
  const Case cases[] = {
      {{"--sistema", "negox"}, "Sistema desconhecido: \"negox\" (use NEGOX, VIGO ou PRAXEL"},
      {{"--sistema", "NEGOX "}, "Sistema desconhecido"},
      {{"--sistema", ""}, "Sistema desconhecido"},
      {{"--base", "/dados/negox"}, "A pasta do banco do sistema deve terminar com \"/\""},
      {{"--base", ""}, "deve terminar com"},
      {{"--backup", "22:00:00|noite/x|/dados|/bkp|1"},
       "Agendamento recusado: Favor Informar um Nome de Arquivo Válido (sem \"/\" ou \"\\\") "
       "(22:00:00|noite/x|/dados|/bkp|1)"},
      {{"--backup", "22:00:00|a\\b|/dados|/bkp|1"}, "Nome de Arquivo Válido"},
      {{"--backup", "22:00:00|..|/dados|/bkp|1"}, "Nome de Arquivo Válido"},
      {{"--backup", "25:00:00|noite|/dados|/bkp|1"}, "Favor Informar uma Hora Válida!"},
      {{"--backup", "22:00|noite|/dados|/bkp|1"}, "Favor Informar uma Hora Válida!"},
      {{"--backup", "22:00:00||/dados|/bkp|1"}, "Favor Informar um Nome Para o Arquivo do Backup"},
      {{"--backup", "22:00:00|noite||/bkp|1"}, "Favor Informar a Origem do Backup"},
      {{"--backup", "22:00:00|noite|/dados||1"}, "Favor Informar o Destino do Backup"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.change.join(' ').toStdString());
    ark::test::TempDir dir;
    QStringList args = {"--folder",
                        dir.path(),
                        "--nome",
                        "Loja",
                        "--cnpj",
                        "1",
                        "--pc",
                        "CAIXA",
                        "--sistema",
                        "NEGOX",
                        "--base",
                        dir.path() + "/negox/",
                        "--hora-atualizacao",
                        "03:00:00",
                        "--contrato",
                        "1",
                        "--data-visita",
                        "25/12/2026",
                        "--hora-visita",
                        "10:00:00",
                        "--backup",
                        "08:00:00|manha|/dados|/bkp|0"};
    const int at = int(args.indexOf(c.change[0]));
    if (c.change[0] == "--backup")
      args << c.change;  // a second row, after a good one
    else
      args[at + 1] = c.change[1];
    QProcess p;
    p.start(exe, args);
    ASSERT_TRUE(p.waitForFinished(30000));
    EXPECT_NE(p.exitCode(), 0);
    const QString err = QString::fromUtf8(p.readAllStandardError());
    EXPECT_TRUE(err.contains(QString::fromUtf8(c.said))) << err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(dir.file("backupdovral.mdb")));
    EXPECT_FALSE(QFileInfo::exists(dir.file("arkivor-mail.ini")));
  }
}

// A folder name in Latin-1 bytes would be stored with its letters lost: refused, and no
// file is made.
TEST(Installer, CommandLineRefusesANameThatIsNotUtf8) {
  const QString exe = QStringLiteral(ARKIVOR_BINARY_DIR "/tools/arkivor-install");
  ark::test::TempDir dir;
  // The shell writes the bytes: a process's arguments from Qt are always UTF-8.
  const QString script = QStringLiteral(
      "exec \"$0\" --folder \"$1\" --nome Loja --cnpj 1 --pc CAIXA --sistema NEGOX"
      " --base \"$1/negox/\" --hora-atualizacao 03:00:00 --contrato 1"
      " --data-visita 25/12/2026 --hora-visita 10:00:00"
      " --backup \"$(printf '22:00:00|noite|/dados/Relat\\363rios|/bkp|1')\"");
  QProcess p;
  p.start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), script, exe, dir.path()});
  ASSERT_TRUE(p.waitForFinished(30000));
  EXPECT_EQ(p.exitCode(), 2);
  const QString err = QString::fromUtf8(p.readAllStandardError());
  EXPECT_TRUE(err.contains(QStringLiteral("não está em UTF-8"))) << err.toStdString();
  EXPECT_TRUE(err.contains(QStringLiteral("/dados/Relat"))) << err.toStdString();
  EXPECT_FALSE(QFileInfo::exists(dir.file("backupdovral.mdb")));
  EXPECT_FALSE(QFileInfo::exists(dir.file("arkivor-mail.ini")));
}

}  // namespace
}  // namespace ark::install
