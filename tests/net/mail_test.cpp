// The mail objects and their SMTP delivery, against a real submission server on 127.0.0.1.
#include "platform/net/mail.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QJsonArray>
#include <chrono>

#include "platform/core/runtime_error.h"
#include "platform/net/mail_service.h"
#include "platform/net/smtp_mail_service.h"
#include "support/smtp_fixture.h"

namespace ark::net {
namespace {

const QString kFrom = QStringLiteral("\"Dovral Videzide®\" <agenda@dovral.test>");
const QString kTo = QStringLiteral("\"Suporte\" <suporte@dovral.test>");

MailMessage messageFor(int port, const QString& user, const QString& password,
                       const QString& caFile) {
  auto config = std::make_shared<MailConfiguration>();
  config->Fields[cdo::kSendUsing] = 2;
  config->Fields[cdo::kSmtpServer] = QStringLiteral("127.0.0.1");
  config->Fields[cdo::kSmtpServerPort] = port;
  config->Fields[cdo::kSendUserName] = user;
  config->Fields[cdo::kSendPassword] = password;
  config->Fields[cdo::kSmtpAuthenticate] = 1;
  config->Fields.Update();
  config->caFile = caFile;
  MailMessage m;
  m.Configuration = config;
  m.from = kFrom;
  m.To = kTo;
  m.Subject = QStringLiteral("Agendamento Visita - CLÍNICA SÃO JOÃO CPF/CNPJ: 12.345.678/0001-90");
  m.HTMLBody = QStringLiteral("<html><body>Ação é ótima</body></html>");
  return m;
}

class SmtpSend : public ::testing::Test {
 protected:
  MailMessage message(const QString& password) {
    return messageFor(server.port(), server.user(), password, server.caFile());
  }
  MailMessage message() { return message(server.password()); }
  void send(const MailMessage& m) { SmtpMailService().send(m); }

  test::SmtpServer server;
};

TEST_F(SmtpSend, ServerReceivesEnvelopeHeadersAndBodyIntact) {
  MailMessage m = message();
  m.HTMLBody = QStringLiteral(
      "<html><body>Ação é ótima <b>a < b > c & d</b> &amp; 100%\r\nsegunda linha\r\n"
      ". ponto no início</body></html>");
  send(m);

  const auto got = server.messages();
  ASSERT_EQ(got.size(), 1u);
  const QJsonObject& r = got[0];
  EXPECT_EQ(r["mail_from"].toString(), "agenda@dovral.test");
  EXPECT_EQ(r["rcpt_tos"].toArray(), QJsonArray({"suporte@dovral.test"}));
  EXPECT_TRUE(r["tls"].toBool());
  EXPECT_TRUE(r["authenticated"].toBool());
  EXPECT_EQ(r["from_name"].toString(), QStringLiteral("Dovral Videzide®"));
  EXPECT_EQ(r["from_addr"].toString(), "agenda@dovral.test");
  EXPECT_EQ(r["to_name"].toString(), "Suporte");
  EXPECT_EQ(r["to_addr"].toString(), "suporte@dovral.test");
  EXPECT_EQ(r["subject"].toString(), m.Subject);
  EXPECT_EQ(r["content_type"].toString(), "text/html");
  EXPECT_EQ(r["charset"].toString(), "utf-8");
  EXPECT_EQ(r["body"].toString(), m.HTMLBody);
  EXPECT_TRUE(r["defects"].toArray().isEmpty()) << QJsonDocument(r).toJson().toStdString();

  QStringList names;
  for (const auto& line : r["header_lines"].toArray())
    names << line.toString().section(':', 0, 0).toLower();
  for (const char* h : {"date", "message-id", "mime-version"}) EXPECT_TRUE(names.contains(h)) << h;
}

TEST_F(SmtpSend, LongAndNonAsciiSubjectsAreFoldedAndDecodeBack) {
  const QStringList subjects = {
      QStringLiteral("Agendamento Visita - ") + QString(200, 'A') + " CPF/CNPJ: 1",
      QStringLiteral("Agendamento Visita - ") + QString("AÇÃO ÓTIMA É JÁ ").repeated(12),
      QStringLiteral("Agendamento Visita - 😀 MAÇÃ 😀 ") + QString("€").repeated(40),
      QStringLiteral("Agendamento Visita - ") + " CPF/CNPJ: ",
  };
  for (const QString& s : subjects) {
    MailMessage m = message();
    m.Subject = s;
    send(m);
  }
  const auto got = server.messages();
  ASSERT_EQ(got.size(), static_cast<size_t>(subjects.size()));
  for (qsizetype i = 0; i < subjects.size(); ++i) {
    EXPECT_EQ(got[i]["subject"].toString(), subjects[i]);
    EXPECT_LE(got[i]["max_line_length"].toInt(), 78) << subjects[i].toStdString();
    EXPECT_TRUE(got[i]["defects"].toArray().isEmpty()) << subjects[i].toStdString();
  }
}

TEST_F(SmtpSend, LineBreaksInASubjectCannotAddHeadersOrRecipients) {
  MailMessage m = message();
  m.Subject = QStringLiteral("Agendamento\r\nBcc: outro@fora.test\r\n\r\ncorpo falso");
  send(m);
  const auto got = server.messages();
  ASSERT_EQ(got.size(), 1u);
  EXPECT_EQ(got[0]["rcpt_tos"].toArray(), QJsonArray({"suporte@dovral.test"}));
  for (const auto& line : got[0]["header_lines"].toArray())
    EXPECT_FALSE(line.toString().toLower().startsWith("bcc")) << line.toString().toStdString();
  EXPECT_EQ(got[0]["body"].toString(), m.HTMLBody);
}

TEST_F(SmtpSend, RefusedLoginRaisesWithoutThePassword) {
  const QString wrong = QStringLiteral("errada12345");
  try {
    send(message(wrong));
    FAIL() << "sent with a wrong password";
  } catch (const RuntimeError& e) {
    EXPECT_EQ(e.message(),
              "Falha ao enviar o e-mail: usuário ou senha recusados pelo servidor de e-mail");
    EXPECT_FALSE(e.message().contains(wrong)) << e.what();
    EXPECT_FALSE(e.message().contains(server.password())) << e.what();
  }
  EXPECT_TRUE(server.messages().empty());
  EXPECT_EQ(server.authLog(), QStringList({server.user() + " refused tls"}));
}

TEST_F(SmtpSend, UntrustedCertificateIsRefusedBeforeLoggingIn) {
  MailMessage m = message();
  m.Configuration->caFile.clear();  // the system's store does not know the test's certificate
  try {
    send(m);
    ADD_FAILURE() << "sent to an untrusted server";
  } catch (const RuntimeError& e) {
    EXPECT_EQ(e.message(),
              "Falha ao enviar o e-mail: o certificado do servidor de e-mail não é válido");
  }
  EXPECT_TRUE(server.authLog().isEmpty());
  EXPECT_TRUE(server.messages().empty());
}

TEST(SmtpSendPlain, ServerWithoutStartTlsNeverGetsThePassword) {
  test::SmtpServer plain(test::SmtpServer::Options{.starttls = false});
  const MailMessage m = messageFor(plain.port(), plain.user(), plain.password(), {});
  try {
    SmtpMailService().send(m);
    FAIL() << "sent without STARTTLS";
  } catch (const RuntimeError& e) {
    EXPECT_EQ(e.message(),
              "Falha ao enviar o e-mail: o servidor de e-mail não oferece conexão "
              "segura (STARTTLS)");
    EXPECT_FALSE(e.message().contains(plain.password())) << e.what();
  }
  EXPECT_TRUE(plain.authLog().isEmpty());
  EXPECT_TRUE(plain.messages().empty());
}

TEST(SmtpSendPlain, ClosedPortFailsAtOnce) {
  int port = 0;
  { port = test::SmtpServer().port(); }  // free again once the server has gone
  try {
    SmtpMailService().send(messageFor(port, "a@b.test", "x", {}));
    ADD_FAILURE() << "sent to a closed port";
  } catch (const RuntimeError& e) {
    EXPECT_EQ(e.message(),
              "Falha ao enviar o e-mail: não foi possível conectar ao servidor de e-mail");
  }
}

// A server that goes silent after taking the message: the send ends by its own deadline
// (short here; the program's is 30 s), far below libcurl's two-minute wait for a reply.
TEST(SmtpSendStalled, ASilentServerEndsTheSendByItsDeadline) {
  struct Case {
    const char* hold;
    const char* reason;  // empty: the send counts as done
  };
  const Case cases[] = {
      {"data", "pode ter sido entregue"},
      {"quit", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.hold);
    test::SmtpServer stalled(test::SmtpServer::Options{.hold = QString::fromLatin1(c.hold)});
    const MailMessage m =
        messageFor(stalled.port(), stalled.user(), stalled.password(), stalled.caFile());
    QElapsedTimer t;
    t.start();
    QString failed;
    try {
      SmtpMailService(std::chrono::seconds(2)).send(m);
    } catch (const RuntimeError& e) {
      failed = e.message();
    }
    EXPECT_LT(t.elapsed(), 60000);
    if (*c.reason)
      EXPECT_TRUE(failed.contains(QString::fromUtf8(c.reason))) << failed.toStdString();
    else
      EXPECT_TRUE(failed.isEmpty()) << failed.toStdString();
    ASSERT_EQ(stalled.messages().size(), 1u);  // kept by the server either way
  }
}

TEST(SmtpSendPlain, MisconfiguredMessagesFailBeforeConnecting) {
  struct Case {
    const char* name;
    std::function<void(MailMessage&)> spoil;
    const char* reason;
  };
  const Case cases[] = {
      {"no configuration", [](MailMessage& m) { m.Configuration.reset(); }, "configuração ausente"},
      {"fields never committed",
       [](MailMessage& m) {
         m.Configuration = std::make_shared<MailConfiguration>();
         m.Configuration->Fields[cdo::kSendUsing] = 2;
         m.Configuration->Fields[cdo::kSmtpServer] = "127.0.0.1";
       },
       "forma de envio"},
      {"pickup folder",
       [](MailMessage& m) {
         m.Configuration->Fields[cdo::kSendUsing] = 1;
         m.Configuration->Fields.Update();
       },
       "forma de envio"},
      {"server with a path",
       [](MailMessage& m) {
         m.Configuration->Fields[cdo::kSmtpServer] = "evil.test/x@127.0.0.1";
         m.Configuration->Fields.Update();
       },
       "servidor inválido"},
      {"recipient with a line break",
       [](MailMessage& m) { m.To = "\"Suporte\" <a@b.test>\r\nRCPT TO:<c@d.test>"; },
       "Endereço de e-mail inválido"},
  };
  for (const Case& c : cases) {
    MailMessage m = messageFor(1, "a@b.test", "segredo1234", {});
    c.spoil(m);
    try {
      SmtpMailService().send(m);
      ADD_FAILURE() << c.name << ": no error";
    } catch (const RuntimeError& e) {
      EXPECT_TRUE(e.message().contains(QString::fromUtf8(c.reason))) << c.name << ": " << e.what();
      EXPECT_FALSE(e.message().contains("segredo1234")) << c.name;
    }
  }
}

TEST(MailFields, UnknownFieldIsRefused) {
  MailConfiguration config;
  EXPECT_THROW(config.Fields[cdo::kNamespace + "smtpusessl"] = true, RuntimeError);
}

TEST(ParseMailbox, Forms) {
  struct Case {
    QString text;
    QString name, address;  // empty address: an error
  };
  const Case cases[] = {
      {"\"Dovral Videzide®\" <agenda@dovral.test>", "Dovral Videzide®", "agenda@dovral.test"},
      {"Suporte <s@d.test>", "Suporte", "s@d.test"},
      {"  s@d.test ", "", "s@d.test"},
      {"\"Di \\\"Z\\\" \" <s@d.test>", "Di \"Z\" ", "s@d.test"},
      {"", "", ""},
      {"\"Suporte\" <>", "", ""},
      {"\"Suporte\" <semarroba>", "", ""},
      {"<a b@d.test>", "", ""},
      {"\"Su\r\nBcc: x@y\" <s@d.test>", "", ""},
      {"a@b.test>", "", ""},
  };
  for (const Case& c : cases) {
    if (c.address.isEmpty()) {
      EXPECT_THROW(parseMailbox(c.text), RuntimeError) << c.text.toStdString();
      continue;
    }
    const Mailbox m = parseMailbox(c.text);
    EXPECT_EQ(m.displayName, c.name) << c.text.toStdString();
    EXPECT_EQ(m.address, c.address) << c.text.toStdString();
  }
}

}  // namespace
}  // namespace ark::net
