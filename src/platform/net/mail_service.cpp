#include "platform/net/mail_service.h"

#include "platform/net/smtp_mail_service.h"

namespace ark::net {
namespace {
MailService*& installed() {
  static MailService* service = nullptr;
  return service;
}
}  // namespace

MailService& mailService() {
  static SmtpMailService smtp;
  return installed() ? *installed() : smtp;
}

void setMailService(MailService* service) {
  installed() = service;
}

void RecordingMailService::send(const MailMessage& message) {
  if (failWith) throw *failWith;
  Sent s{message.HTMLBody, message.from, message.Subject, message.To, {}, {}};
  if (message.Configuration) {
    s.fieldOrder = message.Configuration->Fields.names();
    for (const QString& name : s.fieldOrder)
      s.fields.insert(name, message.Configuration->Fields.committed(name));
  }
  sent.push_back(std::move(s));
}

}  // namespace ark::net
