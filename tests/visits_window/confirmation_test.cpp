// The confirmation: its boxes, the reminder it writes on each path into a real schedule
// database, and the visit request sent to a real submission server on 127.0.0.1.
#include "visits/confirmation.h"

#include <QCheckBox>
#include <QFile>
#include <QJsonObject>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <memory>

#include "platform/net/connection.h"
#include "platform/net/mail_service.h"
#include "platform/net/smtp_mail_service.h"
#include "support/smtp_fixture.h"
#include "window_fixture.h"

namespace ark::visits {
namespace {

using desktop::vbNo;
using desktop::vbOK;
using desktop::vbYes;

TEST(ConfirmationBoxes, AreWordedAndStyledAsTheUserSeesThem) {
  struct Case {
    ConfirmBox box;
    const char* text;
    int style;
  } cases[] = {
      {ConfirmBox::TickedQuestion,
       "Com a opção:\rEXIBIR ESTE LEMBRETE NO PRÓXIMO MÊS SELECIONADA\r\rEntendemos que não há "
       "necessidade da visita presencial para o mês que vem.\r\rEstá certo disso?\rPodemos "
       "Confirmar?",
       52},
      {ConfirmBox::SimQuestion,
       "VOCÊ SELECIONOU QUE DESEJA UMA VISITA PRESENCIAL.\r\rNosso time entrará em contato no 1º "
       "dia útil do mês que vem para confirmação da visita.\r\rPodemos Continuar com a "
       "Solicitação?",
       36},
      {ConfirmBox::SimDone, "Agendamento Enviado com Sucesso\rAté breve.", 64},
      {ConfirmBox::NaoQuestion,
       "FICAMOS FELIZES EM SABER QUE ESTÁ TUDO CERTO COM O FUNCIONAMENTO DO SISTEMA E QUE NÃO HÁ "
       "DÚVIDAS A PONTO DE NECESSITAR UMA VISITA PRESENCIAL.\r\rMês que vem, estarei aqui "
       "novamente fazendo o mesmo questionamento.\rAté lá, se surgir algo, pode nos acionar "
       "remotamente.\r\rPodemos Confimar que NÃO há necessidade da visita?",
       36},
      {ConfirmBox::AdiarNotice,
       "TUDO BEM SE QUER ADIAR SUA DECISÃO.\r\rEm breve lembraremos novamente do agendamento.\rAté "
       "mais...",
       0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(confirmBox(c.box).text, QString::fromUtf8(c.text));
    EXPECT_EQ(confirmBox(c.box).style, c.style);
  }
}

struct Expect {
  QVector<ConfirmBox> boxes;
  QString data_visita, hora_visita;  // as stored; empty: the record is left as it was
};

class Confirmation : public WindowTest {
 protected:
  void expectBoxes(const QVector<ConfirmBox>& expected) {
    QVector<ConfirmBox> got;
    ASSERT_EQ(boxes.shown().size(), expected.size()) << boxes.texts().join(" | ").toStdString();
    for (int i = 0; i < expected.size(); ++i) {
      EXPECT_EQ(boxes.shown()[i].text, confirmBox(expected[i]).text) << i;
      EXPECT_EQ(boxes.shown()[i].style, confirmBox(expected[i]).style) << i;
      EXPECT_EQ(boxes.shown()[i].title, QStringLiteral("Dovral Videzide® - Arkivor"));
    }
  }
  void expectRecord(const Expect& e, const QString& data, const QString& hora) {
    EXPECT_EQ(stored("data_visita"), e.data_visita.isEmpty() ? data : e.data_visita);
    EXPECT_EQ(stored("hora_visita"), e.hora_visita.isEmpty() ? hora : e.hora_visita);
    // Unloaded after a completed write; otherwise open with its choices.
    EXPECT_EQ(frmvisita::exists(), e.data_visita.isEmpty());
  }
};

TEST_F(Confirmation, PathsWriteTheNextReminder) {
  struct Case {
    const char* name;
    QDateTime now;
    QString data, hora;  // stored before, canonical
    bool ticked;
    int opcao;  // set as it stands after the box is ticked: the box decides
    QVector<int> answers;
    QString changedAfterActivation;  // SQL run once the window is open
    Expect expected;
  };
  const QString d28 = "2026-12-28 00:00:00", h10 = "1899-12-30 10:00:00";
  auto at = [](int y, int m, int d, int h, int n) {
    return QDateTime(QDate(y, m, d), QTime(h, n));
  };
  const Case cases[] = {
      {"Não in December: 25 January of the next year",
       at(2026, 12, 28, 10, 5),
       d28,
       h10,
       false,
       frmvisita::Nao,
       {vbYes},
       "",
       {{ConfirmBox::NaoQuestion}, "2027-01-25 00:00:00", "1899-12-30 10:00:00"}},
      {"ticked box over Sim",
       at(2027, 3, 27, 10, 0),
       "2027-03-27 00:00:00",
       h10,
       true,
       frmvisita::Sim,
       {vbYes},
       "",
       {{ConfirmBox::TickedQuestion}, "2027-04-25 00:00:00", "1899-12-30 10:00:00"}},
      {"ticked box over Não",
       at(2027, 3, 27, 10, 0),
       "2027-03-27 00:00:00",
       h10,
       true,
       frmvisita::Nao,
       {vbYes},
       "",
       {{ConfirmBox::TickedQuestion}, "2027-04-25 00:00:00", "1899-12-30 10:00:00"}},
      {"ticked box over Adiar",
       at(2027, 3, 27, 10, 0),
       "2027-03-27 00:00:00",
       h10,
       true,
       frmvisita::Adiar,
       {vbYes},
       "",
       {{ConfirmBox::TickedQuestion}, "2027-04-25 00:00:00", "1899-12-30 10:00:00"}},
      {"Adiar on the 27th of a 31-day month",
       at(2027, 1, 27, 10, 20),
       "2027-01-27 00:00:00",
       h10,
       false,
       frmvisita::Adiar,
       {vbOK},
       "",
       {{ConfirmBox::AdiarNotice}, "2027-01-28 00:00:00", "1899-12-30 11:00:00"}},
      {"Adiar on the 30th of a 30-day month",
       at(2027, 4, 30, 10, 10),
       "2027-04-30 00:00:00",
       h10,
       false,
       frmvisita::Adiar,
       {vbOK},
       "",
       {{ConfirmBox::AdiarNotice}, "2027-05-25 00:00:00", "1899-12-30 10:00:00"}},
      {"Adiar on 28 February of a common year",
       at(2027, 2, 28, 10, 10),
       "2027-02-28 00:00:00",
       h10,
       false,
       frmvisita::Adiar,
       {vbOK},
       "",
       {{ConfirmBox::AdiarNotice}, "2027-03-25 00:00:00", "1899-12-30 10:00:00"}},
      {"Adiar on the 30th of a 31-day month: never the 31st",
       at(2027, 1, 30, 10, 10),
       "2027-01-30 00:00:00",
       h10,
       false,
       frmvisita::Adiar,
       {vbOK},
       "",
       {{ConfirmBox::AdiarNotice}, "2027-02-25 00:00:00", "1899-12-30 10:00:00"}},
      {"Adiar at 23:30: hour 00 of the next day",
       at(2027, 1, 26, 23, 40),
       "2027-01-26 00:00:00",
       "1899-12-30 23:30:00",
       false,
       frmvisita::Adiar,
       {vbOK},
       "",
       {{ConfirmBox::AdiarNotice}, "2027-01-27 00:00:00", "1899-12-31 00:30:00"}},
      {"Adiar after a reminder in hour 00",
       at(2027, 1, 27, 0, 40),
       "2027-01-27 00:00:00",
       "1899-12-31 00:30:00",
       false,
       frmvisita::Adiar,
       {vbOK},
       "",
       {{ConfirmBox::AdiarNotice}, "2027-01-28 00:00:00", "1899-12-30 01:30:00"}},
      {"Adiar counts from what the window loaded",
       at(2027, 1, 27, 10, 20),
       "2027-01-27 00:00:00",
       h10,
       false,
       frmvisita::Adiar,
       {vbOK},
       "update pcs set data_visita = '2027-01-25 00:00:00', hora_visita = '1899-12-30 15:00:00'",
       {{ConfirmBox::AdiarNotice}, "2027-01-28 00:00:00", "1899-12-30 11:00:00"}},
      {"No to the ticked-box question",
       at(2026, 12, 28, 10, 5),
       d28,
       h10,
       true,
       frmvisita::Adiar,
       {vbNo},
       "",
       {{ConfirmBox::TickedQuestion}, "", ""}},
      {"No to the Não question",
       at(2026, 12, 28, 10, 5),
       d28,
       h10,
       false,
       frmvisita::Nao,
       {vbNo},
       "",
       {{ConfirmBox::NaoQuestion}, "", ""}},
      {"No to the Sim question",
       at(2026, 12, 28, 10, 5),
       d28,
       h10,
       false,
       frmvisita::Sim,
       {vbNo},
       "",
       {{ConfirmBox::SimQuestion}, "", ""}},
      {"Adiar without a stored time writes nothing",
       at(2026, 12, 28, 10, 5),
       d28,
       "",
       false,
       frmvisita::Adiar,
       {vbOK},
       "",
       {{ConfirmBox::AdiarNotice}, "", ""}},
  };
  auto lit = [](const QString& v) { return v.isEmpty() ? QStringLiteral("NULL") : "'" + v + "'"; };
  makeDb();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    test::execSql(dbPath(), QStringLiteral("delete from pcs"));
    test::execSql(
        dbPath(),
        QStringLiteral("insert into pcs values (%1)").arg(pcsRow(lit(c.data), lit(c.hora))));
    clock.set(c.now);
    boxes.clear();
    frmvisita& w = open();
    if (!c.changedAfterActivation.isEmpty()) test::execSql(dbPath(), c.changedAfterActivation);
    if (c.ticked) {
      w.chkmsg->setChecked(true);
      w.Opcao = static_cast<quint8>(c.opcao);
    } else {
      w.isis_Click(c.opcao);
    }
    for (int a : c.answers) boxes.answer(a);
    w.cmdconfirma->click();
    expectBoxes(c.expected.boxes);
    expectRecord(c.expected, c.data, c.hora);
    if (frmvisita::exists()) {
      EXPECT_TRUE(w.isVisible());
      EXPECT_EQ(w.Opcao, c.opcao);
      EXPECT_EQ(w.chkmsg->isChecked(), c.ticked);
      delete &w;
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
}

// The visit request, delivered to a real submission server on 127.0.0.1.
class SimConfirmation : public Confirmation {
 protected:
  static void SetUpTestSuite() { server = std::make_unique<test::SmtpServer>(); }
  static void TearDownTestSuite() { server.reset(); }

  void SetUp() override {
    Confirmation::SetUp();
    makeDb();
    sentBefore = server->messages().size();
  }
  void writeSettings(const QString& password) {
    QFile f(dir.file("arkivor-mail.ini"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(QStringLiteral("server = 127.0.0.1\nport = %1\naccount = %2\npassword = %3\n"
                           "mailbox = suporte@dovral.test\ncafile = %4\n")
                .arg(server->port())
                .arg(server->user(), password, server->caFile())
                .toUtf8());
  }
  size_t sent() const { return server->messages().size() - sentBefore; }
  frmvisita& chooseSim(const QString& message) {
    frmvisita& w = open();
    w.isis_Click(frmvisita::Sim);
    w.txtmsg->setFocus();
    type(w, message);
    return w;
  }

  static inline std::unique_ptr<test::SmtpServer> server;
  size_t sentBefore = 0;
  const Expect moved{{}, "2027-01-25 00:00:00", "1899-12-30 10:00:00"};
  // Where a request that could not go leaves the reminder: the next day, an hour later.
  const Expect postponed{{}, "2026-12-29 00:00:00", "1899-12-30 11:00:00"};
  const QString data = "2026-12-28 00:00:00", hora = "1899-12-30 10:00:00";
};

TEST_F(SimConfirmation, YesSendsTheRequestWritesNextMonthAndCloses) {
  net::ScopedConnectionState online(1, net::INTERNET_CONNECTION_LAN);
  writeSettings(server->password());
  frmvisita& w = chooseSim("Quero às 9h & <cedo>\nsegunda linha");
  boxes.answer(vbYes);
  w.cmdconfirma->click();

  expectBoxes({ConfirmBox::SimQuestion, ConfirmBox::SimDone});
  expectRecord(moved, data, hora);
  ASSERT_EQ(sent(), 1u);
  const QJsonObject got = server->messages().back();
  EXPECT_EQ(got["subject"].toString(),
            QStringLiteral("Agendamento Visita - LOJA SÃO JOÃO CPF/CNPJ: 12.345.678/0001-90"));
  EXPECT_EQ(got["body"].toString().replace("\r\n", "\n").trimmed(),
            QStringLiteral("<html><body>Quero às 9h & <cedo>\nsegunda linha</body></html>"));
}

TEST_F(SimConfirmation, WithoutConnectionNothingIsSentTheReminderIsPostponedAndTheWindowStays) {
  net::ScopedConnectionState offline(0, net::INTERNET_CONNECTION_OFFLINE);
  writeSettings(server->password());
  frmvisita& w = chooseSim("olá");
  boxes.answer(vbYes);
  w.cmdconfirma->click();

  expectBoxes({ConfirmBox::SimQuestion, ConfirmBox::NotConnected});
  EXPECT_EQ(stored("data_visita"), postponed.data_visita);
  EXPECT_EQ(stored("hora_visita"), postponed.hora_visita);
  EXPECT_EQ(sent(), 0u);
  ASSERT_TRUE(frmvisita::exists());
  EXPECT_EQ(w.Opcao, frmvisita::Sim);
  EXPECT_EQ(w.txtmsg->toPlainText(), "olá");
}

TEST_F(SimConfirmation, ARefusedSendSaysWhyKeepsTheWindowAndTheNextTrySends) {
  net::ScopedConnectionState online(1, net::INTERNET_CONNECTION_LAN);
  const QString wrong = "errada12345";
  writeSettings(wrong);
  frmvisita& w = chooseSim("olá");
  boxes.answer(vbYes);
  w.cmdconfirma->click();

  ASSERT_EQ(boxes.shown().size(), 2);
  const desktop::ScriptedMsgBox::Shown failed = boxes.shown()[1];
  EXPECT_EQ(failed.style, desktop::vbInformation);
  EXPECT_TRUE(failed.text.startsWith("Não foi possível enviar a solicitação de visita.\r"))
      << failed.text.toStdString();
  EXPECT_GT(failed.text.size(), sendFailedBox("").text.size());  // the reason is given
  EXPECT_FALSE(failed.text.contains(wrong));
  EXPECT_EQ(sent(), 0u);
  EXPECT_EQ(stored("data_visita"), postponed.data_visita);
  EXPECT_EQ(stored("hora_visita"), postponed.hora_visita);
  ASSERT_TRUE(frmvisita::exists());
  EXPECT_TRUE(w.isVisible());

  writeSettings(server->password());
  boxes.clear();
  boxes.answer(vbYes);
  w.cmdconfirma->click();
  expectBoxes({ConfirmBox::SimQuestion, ConfirmBox::SimDone});
  expectRecord(moved, data, hora);
  EXPECT_EQ(sent(), 1u);
}

TEST_F(SimConfirmation, WithoutMailSettingsTheUserIsToldAndTheReminderIsPostponed) {
  net::ScopedConnectionState online(1, net::INTERNET_CONNECTION_LAN);
  frmvisita& w = chooseSim("olá");
  boxes.answer(vbYes);
  w.cmdconfirma->click();

  ASSERT_EQ(boxes.shown().size(), 2);
  EXPECT_TRUE(boxes.shown()[1].text.contains("arkivor-mail.ini"));
  EXPECT_TRUE(boxes.shown()[1].text.startsWith(sendFailedBox("").text.section('\r', 0, 0)));
  EXPECT_EQ(stored("data_visita"), postponed.data_visita);
  EXPECT_EQ(stored("hora_visita"), postponed.hora_visita);
  EXPECT_EQ(sent(), 0u);
  EXPECT_TRUE(w.isVisible());
}

// A server that takes the message and never answers: the click ends by the mail deadline
// (short here), the user hears the message may have arrived, and the reminder is postponed.
TEST_F(SimConfirmation, AStalledServerEndsTheClickAndPostponesTheReminder) {
  net::ScopedConnectionState online(1, net::INTERNET_CONNECTION_LAN);
  test::SmtpServer stalled(test::SmtpServer::Options{.hold = "data"});
  net::SmtpMailService shortDeadline(std::chrono::seconds(2));
  net::ScopedMailService scopedService(shortDeadline);
  QFile f(dir.file("arkivor-mail.ini"));
  ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
  f.write(QStringLiteral("server = 127.0.0.1\nport = %1\naccount = %2\npassword = %3\n"
                         "mailbox = suporte@dovral.test\ncafile = %4\n")
              .arg(stalled.port())
              .arg(stalled.user(), stalled.password(), stalled.caFile())
              .toUtf8());
  f.close();
  frmvisita& w = chooseSim("olá");
  boxes.answer(vbYes);
  w.cmdconfirma->click();

  ASSERT_EQ(boxes.shown().size(), 2);
  EXPECT_TRUE(boxes.shown()[1].text.contains("pode ter sido entregue"))
      << boxes.shown()[1].text.toStdString();
  EXPECT_EQ(stored("data_visita"), postponed.data_visita);
  EXPECT_EQ(stored("hora_visita"), postponed.hora_visita);
  EXPECT_EQ(stalled.messages().size(), 1u);
  EXPECT_TRUE(w.isVisible());
}

// A failed request on the last day of the reminder week: the reminder goes to next month's
// 25th rather than to a day the trigger never shows.
TEST_F(SimConfirmation, AFailedRequestOnTheLastDayOfTheWeekRemindsNextMonth) {
  net::ScopedConnectionState offline(0, net::INTERNET_CONNECTION_OFFLINE);
  test::execSql(dbPath(), "UPDATE pcs SET data_visita = '2026-11-30 00:00:00'");
  writeSettings(server->password());
  clock.set(QDateTime(QDate(2026, 11, 30), QTime(10, 5)));
  frmvisita& w = chooseSim("");
  boxes.answer(vbYes);
  w.cmdconfirma->click();
  expectBoxes({ConfirmBox::SimQuestion, ConfirmBox::NotConnected});
  EXPECT_EQ(stored("data_visita"), "2026-12-25 00:00:00");
  EXPECT_EQ(stored("hora_visita"), "1899-12-30 10:00:00");
  EXPECT_TRUE(w.isVisible());
}

}  // namespace
}  // namespace ark::visits
