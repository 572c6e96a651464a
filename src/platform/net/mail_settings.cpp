#include "platform/net/mail_settings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSaveFile>

#include "platform/core/paths.h"
#include "platform/core/runtime_error.h"

namespace ark::net {
namespace {
constexpr int kFileNotFound = 53;
constexpr int kInvalidArgument = 5;

bool isPlaceholder(const QString& v) {
  return v.startsWith(QLatin1Char('<')) && v.endsWith(QLatin1Char('>'));
}
}  // namespace

MailSettings loadMailSettings(const QString& programFolder) {
  const QString path = joinPath(programFolder, kMailSettingsFile);
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
    throw RuntimeError(kFileNotFound,
                       QStringLiteral("Configurações de e-mail não encontradas: ") + path);

  QHash<QString, QString> values;
  const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
  for (const QString& raw : lines) {
    const QString line = raw.trimmed();
    if (line.isEmpty() || line.startsWith(QLatin1Char('#')) || line.startsWith(QLatin1Char(';')) ||
        line.startsWith(QLatin1Char('[')))
      continue;
    const qsizetype eq = line.indexOf(QLatin1Char('='));
    if (eq < 0) continue;
    values.insert(line.left(eq).trimmed().toLower(), line.mid(eq + 1).trimmed());
  }

  auto required = [&](const char* key) {
    const QString v = values.value(QLatin1String(key));
    if (v.isEmpty() || isPlaceholder(v))
      throw RuntimeError(kInvalidArgument, QStringLiteral("Configurações de e-mail incompletas: ") +
                                               QLatin1String(key) + QStringLiteral(" em ") + path);
    return v;
  };

  MailSettings s;
  s.server = required("server");
  s.account = required("account");
  s.password = required("password");
  s.mailbox = required("mailbox");
  const QString port = values.value(QStringLiteral("port"));
  if (!port.isEmpty()) {
    bool ok = false;
    s.port = port.toInt(&ok);
    if (!ok || s.port < 1 || s.port > 65535)
      throw RuntimeError(kInvalidArgument,
                         QStringLiteral("Porta de e-mail inválida em ") + path + ": " + port);
  }
  const QString ca = values.value(QStringLiteral("cafile"));
  if (!ca.isEmpty() && !isPlaceholder(ca))
    s.caFile = QFileInfo(ca).isAbsolute() ? ca : joinPath(programFolder, ca);
  return s;
}

bool writePlaceholderMailSettings(const QString& path) {
  if (QFileInfo::exists(path)) return false;
  QSaveFile file(path);
  const QByteArray text =
      "# Envio do e-mail de agendamento de visita ao suporte.\n"
      "# Substitua cada valor entre < > pelo valor real.\n"
      "server = <servidor SMTP>\n"
      "port = 587\n"
      "account = <conta de envio>\n"
      "password = <senha da conta>\n"
      "mailbox = <caixa do suporte>\n"
      "# cafile = certificado adicional confiado para o servidor (opcional)\n";
  if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size() || !file.commit())
    throw RuntimeError(
        kInvalidArgument,
        QStringLiteral("Não foi possível gravar as configurações de e-mail: ") + path);
  return true;
}

}  // namespace ark::net
