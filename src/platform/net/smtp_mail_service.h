#pragma once
// Sends a MailMessage by authenticated SMTP submission with libcurl: STARTTLS required,
// the server's certificate always verified, 30-second time-outs so a window never hangs.
#include <QByteArray>
#include <QDateTime>

#include "platform/net/mail_service.h"

namespace ark::net {

class SmtpMailService : public MailService {
 public:
  void send(const MailMessage& message) override;
};

// The message as it goes on the wire: RFC 5322 headers (non-ASCII words encoded as
// RFC 2047 UTF-8, long subjects folded), an HTML body in UTF-8, base64-encoded.
QByteArray composeMimeMessage(const MailMessage& message, const QDateTime& date);

}  // namespace ark::net
