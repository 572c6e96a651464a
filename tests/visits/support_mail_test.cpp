// The support e-mail: the preparation's configuration, the completion's message fields, the
// connection rule, and delivery to a real submission server.
#include "visits/support_mail.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QJsonArray>

#include "platform/core/paths.h"
#include "platform/core/runtime_error.h"
#include "platform/net/connection.h"
#include "platform/net/mail_service.h"
#include "support/smtp_fixture.h"
#include "support/tempdir.h"

namespace ark::visits {
namespace {
using namespace ark::net;

MailSettings settings() {
  MailSettings s;
  s.server = "smtp.dovral.test";
  s.port = 2525;
  s.account = "agenda@dovral.test";
  s.password = "s3nh@Secr3t";
  s.mailbox = "suporte@dovral.test";
  return s;
}

TEST(SupportMail, PreparationSetsTheSixFieldsInOrderAndCommitsThem) {
  const SupportMail mail = SupportMail::prepare(settings());
  ASSERT_TRUE(mail.message().Configuration);
  const MailFields& f = mail.message().Configuration->Fields;
  EXPECT_EQ(f.names(),
            QStringList({cdo::kSendUsing, cdo::kSmtpServer, cdo::kSmtpServerPort,
                         cdo::kSendUserName, cdo::kSendPassword, cdo::kSmtpAuthenticate}));
  EXPECT_EQ(f.committed(cdo::kSendUsing), QVariant(2));
  EXPECT_EQ(f.committed(cdo::kSmtpServer), QVariant("smtp.dovral.test"));
  EXPECT_EQ(f.committed(cdo::kSmtpServerPort), QVariant(2525));
  EXPECT_EQ(f.committed(cdo::kSendUserName), QVariant("agenda@dovral.test"));
  EXPECT_EQ(f.committed(cdo::kSendPassword), QVariant("s3nh@Secr3t"));
  EXPECT_EQ(f.committed(cdo::kSmtpAuthenticate), QVariant(1));
}

TEST(SupportMail, PreparationReadsTheProgramFolderSettings) {
  test::TempDir dir;
  setProgramFolder(dir.path());
  EXPECT_THROW(SupportMail::prepare(), RuntimeError);
  {
    QFile f(dir.file("arkivor-mail.ini"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("server=smtp.dovral.test\naccount=a@d.test\npassword=p\nmailbox=s@d.test\n");
  }
  const SupportMail mail = SupportMail::prepare();
  EXPECT_EQ(mail.message().Configuration->Fields.committed(cdo::kSmtpServerPort), QVariant(587));
  setProgramFolder({});
}

TEST(SupportMail, CompletionComposesTheMessageAndSendsOnlyWhenConnected) {
  struct Case {
    const char* name;
    quint32 result, flags;
    QString txtmsg;
    Value cnpj;
    SupportMailResult expected;
    QString body, subject;
  };
  const Case cases[] = {
      {"connected", 1, INTERNET_CONNECTION_LAN, "Vir <já> & \"cedo\"\r\nobrigado",
       Value("12.345.678/0001-90"), SupportMailResult::Sent,
       "<html><body>Vir <já> & \"cedo\"\r\nobrigado</body></html>",
       "Agendamento Visita - JOSÉ & FILHOS CPF/CNPJ: 12.345.678/0001-90"},
      {"Null taxpayer number, empty message", 1, INTERNET_CONNECTION_MODEM, "", Value::null(),
       SupportMailResult::Sent, "<html><body></body></html>",
       "Agendamento Visita - JOSÉ & FILHOS CPF/CNPJ: "},
      {"no connection", 0, 0, "x", Value("1"), SupportMailResult::NotConnected,
       "<html><body>x</body></html>", "Agendamento Visita - JOSÉ & FILHOS CPF/CNPJ: 1"},
      {"offline bit only", 0, INTERNET_CONNECTION_OFFLINE, "x", Value("1"),
       SupportMailResult::NotConnected, "<html><body>x</body></html>",
       "Agendamento Visita - JOSÉ & FILHOS CPF/CNPJ: 1"},
      {"LAN flag but no connection", 0, INTERNET_CONNECTION_LAN, "x", Value("1"),
       SupportMailResult::NotConnected, "<html><body>x</body></html>",
       "Agendamento Visita - JOSÉ & FILHOS CPF/CNPJ: 1"},
  };
  for (const Case& c : cases) {
    RecordingMailService recorder;
    ScopedMailService service(recorder);
    ScopedConnectionState state(c.result, c.flags);
    SupportMail mail = SupportMail::prepare(settings());
    EXPECT_EQ(mail.complete(c.txtmsg, "JOSÉ & FILHOS", c.cnpj), c.expected) << c.name;

    const MailMessage& m = mail.message();
    EXPECT_EQ(m.HTMLBody, c.body) << c.name;
    EXPECT_EQ(m.from, QStringLiteral("\"Dovral Videzide®\" <agenda@dovral.test>")) << c.name;
    EXPECT_EQ(m.Subject, c.subject) << c.name;
    EXPECT_EQ(m.To, "\"Suporte\" <suporte@dovral.test>") << c.name;
    if (c.expected == SupportMailResult::Sent) {
      ASSERT_EQ(recorder.sent.size(), 1u) << c.name;
      EXPECT_EQ(recorder.sent[0].HTMLBody, c.body) << c.name;
      EXPECT_EQ(recorder.sent[0].Subject, c.subject) << c.name;
      EXPECT_EQ(recorder.sent[0].fields.value(cdo::kSmtpAuthenticate), QVariant(1)) << c.name;
    } else {
      EXPECT_TRUE(recorder.sent.empty()) << c.name;
    }
  }
}

TEST(SupportMail, FailedSendRaises) {
  RecordingMailService recorder;
  recorder.failWith = RuntimeError(kMailError, "Falha ao enviar o e-mail: recusado");
  ScopedMailService service(recorder);
  ScopedConnectionState state(1, INTERNET_CONNECTION_LAN);
  SupportMail mail = SupportMail::prepare(settings());
  EXPECT_THROW(mail.complete("x", "JOSÉ", Value("1")), RuntimeError);
}

class SupportMailDelivery : public ::testing::Test {
 protected:
  MailSettings serverSettings() const {
    MailSettings s = settings();
    s.server = "127.0.0.1";
    s.port = server.port();
    s.account = server.user();
    s.password = server.password();
    s.caFile = server.caFile();
    return s;
  }
  test::SmtpServer server;
};

TEST_F(SupportMailDelivery, TheSupportMailboxReceivesTheVisitRequest) {
  ScopedConnectionState state(1, INTERNET_CONNECTION_LAN | INTERNET_CONNECTION_CONFIGURED);
  SupportMail mail = SupportMail::prepare(serverSettings());
  const QString typed = QStringLiteral("Ação é ótima: <b>urgente</b> & rápido\r\n2ª linha");
  ASSERT_EQ(mail.complete(typed, "CLÍNICA SÃO JOÃO LTDA", Value("12.345.678/0001-90")),
            SupportMailResult::Sent);

  const auto got = server.messages();
  ASSERT_EQ(got.size(), 1u);
  const QJsonObject& r = got[0];
  EXPECT_EQ(r["mail_from"].toString(), server.user());
  EXPECT_EQ(r["rcpt_tos"].toArray(), QJsonArray({"suporte@dovral.test"}));
  EXPECT_EQ(r["from_name"].toString(), QStringLiteral("Dovral Videzide®"));
  EXPECT_EQ(r["from_addr"].toString(), server.user());
  EXPECT_EQ(r["to_name"].toString(), "Suporte");
  EXPECT_EQ(r["to_addr"].toString(), "suporte@dovral.test");
  EXPECT_EQ(
      r["subject"].toString(),
      QStringLiteral("Agendamento Visita - CLÍNICA SÃO JOÃO LTDA CPF/CNPJ: 12.345.678/0001-90"));
  EXPECT_EQ(r["body"].toString(), "<html><body>" + typed + "</body></html>");
  EXPECT_EQ(server.authLog(), QStringList({server.user() + " ok tls"}));
}

TEST_F(SupportMailDelivery, NothingReachesTheServerWithoutAConnection) {
  ScopedConnectionState state(0, INTERNET_CONNECTION_CONFIGURED);
  SupportMail mail = SupportMail::prepare(serverSettings());
  EXPECT_EQ(mail.complete("x", "JOSÉ", Value("1")), SupportMailResult::NotConnected);
  EXPECT_TRUE(server.messages().empty());
  EXPECT_TRUE(server.authLog().isEmpty());
}

}  // namespace
}  // namespace ark::visits
