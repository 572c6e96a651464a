// The mail settings file of the program folder.
#include "platform/net/mail_settings.h"

#include <gtest/gtest.h>

#include <QFile>

#include "platform/core/runtime_error.h"
#include "support/tempdir.h"

namespace ark::net {
namespace {

void write(const QString& path, const QByteArray& text) {
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(text);
}

const QByteArray kFilled =
    "# suporte\n"
    "server = smtp.dovral.test\n"
    "account=agenda@dovral.test\n"
    "password =  a=b#c;d 9xY \n"
    "mailbox = suporte@dovral.test\n";

TEST(MailSettings, ReadsTheFileOfTheProgramFolder) {
  struct Case {
    const char* name;
    QByteArray extra;
    int port;
    QString caFile;  // relative to the folder, or absolute
  };
  const Case cases[] = {
      {"port by default", "", 587, ""},
      {"port from the file", "port = 2525\n", 2525, ""},
      {"relative ca file", "cafile = certs/ca.pem\n", 587, "certs/ca.pem"},
      {"absolute ca file", "cafile = /etc/ssl/ca.pem\r\n", 587, "/etc/ssl/ca.pem"},
  };
  for (const Case& c : cases) {
    test::TempDir dir;
    write(dir.file("arkivor-mail.ini"), kFilled + c.extra);
    const MailSettings s = loadMailSettings(dir.path());
    EXPECT_EQ(s.server, "smtp.dovral.test") << c.name;
    EXPECT_EQ(s.account, "agenda@dovral.test") << c.name;
    EXPECT_EQ(s.password, "a=b#c;d 9xY") << c.name;
    EXPECT_EQ(s.mailbox, "suporte@dovral.test") << c.name;
    EXPECT_EQ(s.port, c.port) << c.name;
    const QString expectedCa =
        c.caFile.isEmpty() || c.caFile.startsWith('/') ? c.caFile : dir.file(c.caFile);
    EXPECT_EQ(s.caFile, expectedCa) << c.name;
  }
}

TEST(MailSettings, UnusableFilesAreReportedInPortuguese) {
  struct Case {
    const char* name;
    std::optional<QByteArray> content;  // nullopt: no file
    const char* message;
  };
  const Case cases[] = {
      {"missing file", std::nullopt, "Configurações de e-mail não encontradas: "},
      {"missing key", "server = s\naccount = a@b\npassword = p\n",
       "Configurações de e-mail incompletas: mailbox"},
      {"empty value", kFilled + "server =\n", "Configurações de e-mail incompletas: server"},
      {"port not a number", kFilled + "port = 58x\n", "Porta de e-mail inválida"},
      {"port out of range", kFilled + "port = 70000\n", "Porta de e-mail inválida"},
  };
  for (const Case& c : cases) {
    test::TempDir dir;
    if (c.content) write(dir.file("arkivor-mail.ini"), *c.content);
    try {
      loadMailSettings(dir.path());
      ADD_FAILURE() << c.name << ": no error";
    } catch (const RuntimeError& e) {
      EXPECT_TRUE(e.message().contains(QString::fromUtf8(c.message))) << c.name << ": " << e.what();
      EXPECT_TRUE(e.message().contains(dir.file("arkivor-mail.ini"))) << c.name << ": " << e.what();
    }
  }
}

TEST(MailSettings, PlaceholderFileIsWrittenOnceAndIsNotUsableUntilFilled) {
  test::TempDir dir;
  const QString path = dir.file("arkivor-mail.ini");
  ASSERT_TRUE(writePlaceholderMailSettings(path));
  EXPECT_THROW(loadMailSettings(dir.path()), RuntimeError);

  write(path, kFilled);
  EXPECT_FALSE(writePlaceholderMailSettings(path));
  EXPECT_EQ(loadMailSettings(dir.path()).server, "smtp.dovral.test");
}

}  // namespace
}  // namespace ark::net
