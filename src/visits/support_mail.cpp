#include "visits/support_mail.h"

#include <memory>

#include "platform/core/paths.h"
#include "platform/core/runtime.h"
#include "visits/estaconectado.h"

namespace ark::visits {

SupportMail SupportMail::prepare(const net::MailSettings& settings) {
  SupportMail mail(settings);
  auto config = std::make_shared<net::MailConfiguration>();
  net::MailFields& f = config->Fields;
  f[net::cdo::kSendUsing] = net::cdo::kSendUsingPort;
  f[net::cdo::kSmtpServer] = settings.server;
  f[net::cdo::kSmtpServerPort] = settings.port;
  f[net::cdo::kSendUserName] = settings.account;
  f[net::cdo::kSendPassword] = settings.password;
  f[net::cdo::kSmtpAuthenticate] = net::cdo::kAuthBasic;
  f.Update();
  config->caFile = settings.caFile;
  mail.message_.Configuration = config;
  return mail;
}

SupportMail SupportMail::prepare() {
  return prepare(net::loadMailSettings(programFolder()));
}

SupportMailResult SupportMail::complete(const QString& txtmsg, const QString& lblmsg,
                                        const Value& cnpj) {
  message_.HTMLBody = QStringLiteral("<html><body>") + txtmsg + QStringLiteral("</body></html>");
  message_.from = QStringLiteral("\"Dovral Videzide®\" <") + settings_.account + ">";
  message_.Subject = QStringLiteral("Agendamento Visita - ") + lblmsg +
                     QStringLiteral(" CPF/CNPJ: ") + rt::Text(cnpj);
  message_.To = QStringLiteral("\"Suporte\" <") + settings_.mailbox + ">";

  QString tipo;
  if (!EstaConectado(tipo)) return SupportMailResult::NotConnected;
  message_.Send();
  return SupportMailResult::Sent;
}

}  // namespace ark::visits
