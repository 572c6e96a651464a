#pragma once
// The service that delivers a MailMessage: SMTP through libcurl by default; tests install
// a recording double.
#include <QHash>
#include <QString>
#include <QVariant>
#include <optional>
#include <vector>

#include "platform/core/runtime_error.h"
#include "platform/net/mail.h"

namespace ark::net {

class MailService {
 public:
  virtual ~MailService() = default;
  // Delivers the message or raises ark::RuntimeError.
  virtual void send(const MailMessage& message) = 0;
};

// The service in use; never null.
MailService& mailService();
// Installs a service (not owned); nullptr goes back to SMTP.
void setMailService(MailService* service);

class ScopedMailService {
 public:
  explicit ScopedMailService(MailService& s) { setMailService(&s); }
  ~ScopedMailService() { setMailService(nullptr); }
  ScopedMailService(const ScopedMailService&) = delete;
  ScopedMailService& operator=(const ScopedMailService&) = delete;
};

// Test double: keeps a copy of every message handed to it, or raises the given error.
class RecordingMailService : public MailService {
 public:
  struct Sent {
    QString HTMLBody, from, Subject, To;
    QHash<QString, QVariant> fields;  // the committed configuration fields
    QStringList fieldOrder;
  };
  void send(const MailMessage& message) override;

  std::vector<Sent> sent;
  std::optional<RuntimeError> failWith;
};

}  // namespace ark::net
