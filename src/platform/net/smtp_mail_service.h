#pragma once
// Sends a MailMessage by authenticated SMTP submission with libcurl: STARTTLS required,
// the server's certificate always verified, and one time-out over the whole send so that
// a window never hangs on a silent server.
#include <QByteArray>
#include <QDateTime>
#include <chrono>

#include "platform/net/mail_service.h"

namespace ark::net {

// The longest a send may take, every wait on the server and its replies included.
inline constexpr std::chrono::milliseconds kMailTimeout{30000};

class SmtpMailService : public MailService {
 public:
  explicit SmtpMailService(std::chrono::milliseconds timeout = kMailTimeout) : timeout_(timeout) {}
  void send(const MailMessage& message) override;

 private:
  std::chrono::milliseconds timeout_;
};

// The message as it goes on the wire: RFC 5322 headers (non-ASCII words encoded as
// RFC 2047 UTF-8, long subjects folded), an HTML body in UTF-8, base64-encoded.
QByteArray composeMimeMessage(const MailMessage& message, const QDateTime& date);

}  // namespace ark::net
