#pragma once
// The mail objects the support e-mail is built with: a configuration whose fields are
// addressed by namespace + short name and committed with Update, and a message with its
// addressing fields, HTML body and Send.
#include <QHash>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <memory>
#include <utility>
#include <vector>

namespace ark::net {

// Every failure of the mail layer raises ark::RuntimeError with this number.
inline constexpr int kMailError = -2147220973;

namespace cdo {
inline const QString kNamespace = QStringLiteral("http://schemas.microsoft.com/cdo/configuration/");
inline const QString kSendUsing = kNamespace + QStringLiteral("sendusing");
inline const QString kSmtpServer = kNamespace + QStringLiteral("smtpserver");
inline const QString kSmtpServerPort = kNamespace + QStringLiteral("smtpserverport");
inline const QString kSendUserName = kNamespace + QStringLiteral("sendusername");
inline const QString kSendPassword = kNamespace + QStringLiteral("sendpassword");
inline const QString kSmtpAuthenticate = kNamespace + QStringLiteral("smtpauthenticate");

inline constexpr int kSendUsingPort = 2;  // through the network to an SMTP server
inline constexpr int kAuthAnonymous = 0;
inline constexpr int kAuthBasic = 1;  // account name and password
}  // namespace cdo

// The configuration's field collection. Values set here are pending until Update commits
// them; only committed values are used by Send.
class MailFields {
 public:
  // The pending value of a field, created empty on first use. A name this layer does not
  // know raises (it would otherwise be silently ignored).
  QVariant& operator[](const QString& name);
  QVariant Item(const QString& name) const;  // pending value, invalid when never set
  void Update();

  QVariant committed(const QString& name) const;
  // Names in the order they were first set (for inspection).
  QStringList names() const;

 private:
  std::vector<std::pair<QString, QVariant>> pending_;
  QHash<QString, QVariant> committed_;
};

class MailConfiguration {
 public:
  MailFields Fields;
  // Certificate file trusted for the server besides the system's (empty: the system's
  // only). Not a configuration field: the transport reads it directly.
  QString caFile;
};

class MailMessage {
 public:
  std::shared_ptr<MailConfiguration> Configuration;
  QString HTMLBody;
  QString from;  // "Display name" <address>, or a bare address
  QString Subject;
  QString To;

  // Hands the message to the mail service in use (libcurl SMTP unless a test installed
  // another); raises ark::RuntimeError when it is not sent.
  void Send() const;
};

// A mailbox written as `"Display name" <address>`, `Display name <address>` or `address`,
// split into its parts (quotes removed). Raises when the address is missing or unsafe
// (blanks, control characters, angle brackets).
struct Mailbox {
  QString displayName;
  QString address;
};
Mailbox parseMailbox(const QString& text);

}  // namespace ark::net
