#pragma once
// The support e-mail of a visit request, in the two halves the confirmation runs around
// its write: the preparation (message and configuration) and the completion (message
// fields, connection check, Send).
#include <QString>

#include "platform/core/value.h"
#include "platform/net/mail.h"
#include "platform/net/mail_settings.h"

namespace ark::visits {

enum class SupportMailResult { Sent, NotConnected };

class SupportMail {
 public:
  // The preparation: creates the message and its configuration, sets the six fields in
  // order and commits them. prepare() reads the settings file of the program folder.
  // Raises ark::RuntimeError (settings missing or incomplete, a field refused).
  static SupportMail prepare(const net::MailSettings& settings);
  static SupportMail prepare();

  // The completion: HTMLBody, from, Subject, To, then Send when EstaConectado reports a
  // connection. lblmsg is the caption of the window's name label; cnpj the stored
  // pcs.cnpj (Null adds nothing). A failed send raises ark::RuntimeError.
  SupportMailResult complete(const QString& txtmsg, const QString& lblmsg, const Value& cnpj);

  const net::MailMessage& message() const { return message_; }

 private:
  explicit SupportMail(net::MailSettings settings) : settings_(std::move(settings)) {}
  net::MailSettings settings_;
  net::MailMessage message_;
};

}  // namespace ark::visits
