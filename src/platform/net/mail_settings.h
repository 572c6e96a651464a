#pragma once
// The support mail settings (server, port, account, password, mailbox, trusted
// certificate), kept in a key=value file in the program folder that the installer creates.
#include <QString>

namespace ark::net {

inline const QString kMailSettingsFile = QStringLiteral("arkivor-mail.ini");
inline constexpr int kDefaultSubmissionPort = 587;

struct MailSettings {
  QString server;
  int port = kDefaultSubmissionPort;
  QString account;
  QString password;
  QString mailbox;
  QString caFile;  // optional; a relative path is taken from the program folder
};

// Reads <programFolder>/arkivor-mail.ini: lines "key = value" (keys server, port,
// account, password, mailbox, cafile), "#" and ";" lines are comments. Raises
// ark::RuntimeError when the file is missing, a required key is missing, empty or still a
// placeholder ("<...>"), or the port is not a number from 1 to 65535.
MailSettings loadMailSettings(const QString& programFolder);

// Writes a settings file whose values are placeholders for the installer. An existing file
// is kept as it is (returns false); raises when the file cannot be written.
bool writePlaceholderMailSettings(const QString& path);

}  // namespace ark::net
