// arkivor-install: creates the schedule database of a program folder, once.
#include <QByteArrayView>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QLibraryInfo>
#include <QTextStream>
#include <QTranslator>

#include "install.h"
#include "platform/core/paths.h"
#include "platform/core/runtime_error.h"
#include "platform/net/mail_settings.h"
#include "schedule/schedule_store.h"

int main(int argc, char** argv) {
  // A name written in another encoding (Latin-1 from an older system) would be stored with
  // its letters replaced, naming a folder that does not exist: refused before anything.
  for (int i = 1; i < argc; ++i)
    if (!QByteArrayView(argv[i]).isValidUtf8()) {
      QTextStream(stderr) << "arkivor-install: argumento que não está em UTF-8: "
                          << QString::fromUtf8(argv[i]) << "\n";
      return 2;
    }
  QCoreApplication app(argc, argv);
  // The parser's own texts ("Uso:", "Opções:") in Portuguese where Qt's are installed.
  QTranslator qtTexts;
  if (qtTexts.load(QStringLiteral("qtbase_pt_BR"),
                   QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
    QCoreApplication::installTranslator(&qtTexts);
  QCommandLineParser parser;
  parser.setApplicationDescription(
      QStringLiteral("Cria o banco de agendamento (backupdovral.mdb) na pasta do programa."));
  parser.addHelpOption();
  struct Opt {
    const char* name;
    const char* help;
  };
  const Opt required[] = {
      {"folder", "pasta do programa"},
      {"nome", "nome do cliente"},
      {"cnpj", "CNPJ do cliente"},
      {"pc", "nome ou número do computador"},
      {"sistema", "NEGOX, VIGO ou PRAXEL"},
      {"base", "pasta do banco do sistema, terminada no separador"},
      {"hora-atualizacao", "hora da manutenção diária, hh:mm:ss"},
      {"contrato", "1 com contrato de suporte, 0 sem"},
      {"data-visita", "data da próxima visita, dd/mm/aaaa"},
      {"hora-visita", "hora da próxima visita, hh:mm:ss"},
  };
  for (const Opt& o : required)
    parser.addOption(
        {QString::fromLatin1(o.name), QString::fromUtf8(o.help), QStringLiteral("valor")});
  parser.addOption(
      {QStringLiteral("backup"),
       QStringLiteral("um agendamento \"hh:mm:ss|nome|origem|destino|0 ou 1\" (pode repetir)"),
       QStringLiteral("agendamento")});
  parser.process(app);

  QTextStream err(stderr);
  for (const Opt& o : required)
    if (!parser.isSet(QString::fromLatin1(o.name))) {
      err << "arkivor-install: falta --" << o.name << "\n";
      return 2;
    }
  auto value = [&](const char* name) {
    return ark::Value(parser.value(QString::fromLatin1(name)));
  };
  try {
    ark::install::PcsRow pcs{value("nome"),     value("cnpj"),        value("pc"),
                             value("sistema"),  value("base"),        value("hora-atualizacao"),
                             value("contrato"), value("data-visita"), value("hora-visita")};
    QVector<ark::install::BackupRow> backups;
    for (const QString& b : parser.values(QStringLiteral("backup")))
      backups.append(ark::install::parseBackupRow(b));
    const QString path =
        ark::schedule::scheduleDatabasePath(parser.value(QStringLiteral("folder")));
    ark::install::createScheduleDatabase(path, pcs, backups);
    QTextStream(stdout) << "arkivor-install: criado " << path << "\n";
    // The support mail settings, to be filled in by the installer's operator; an existing
    // file is kept.
    const QString mail =
        ark::joinPath(parser.value(QStringLiteral("folder")), ark::net::kMailSettingsFile);
    if (ark::net::writePlaceholderMailSettings(mail)) {
      QFile::setPermissions(mail, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
      QTextStream(stdout) << "arkivor-install: criado " << mail << "\n";
    }
  } catch (const ark::RuntimeError& e) {
    err << "arkivor-install: " << e.message() << "\n";
    return 1;
  }
  return 0;
}
