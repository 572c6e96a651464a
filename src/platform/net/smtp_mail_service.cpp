#include "platform/net/smtp_mail_service.h"

#include <curl/curl.h>

#include <QRegularExpression>
#include <QUuid>
#include <algorithm>
#include <cstring>
#include <mutex>

#include "platform/core/runtime_error.h"

namespace ark::net {
namespace {
constexpr int kLineLimit = 76;
// Raw bytes per encoded word: 39 bytes are 52 base64 characters, 64 with "=?UTF-8?B?" and
// "?=", so that even the first word after "Subject: " keeps its line within 76.
constexpr int kWordBytes = 39;

RuntimeError failure(QString reason, const QString& secret) {
  // The password is never part of any text the program shows or keeps.
  if (!secret.isEmpty()) reason.replace(secret, QStringLiteral("********"));
  return RuntimeError(kMailError, QStringLiteral("Falha ao enviar o e-mail: ") + reason);
}

// What the user is told for the usual failures; libcurl's own texts are English.
QString reasonOf(CURLcode rc) {
  switch (rc) {
    case CURLE_COULDNT_RESOLVE_HOST:
      return QStringLiteral("servidor de e-mail não encontrado");
    case CURLE_COULDNT_CONNECT:
      return QStringLiteral("não foi possível conectar ao servidor de e-mail");
    case CURLE_OPERATION_TIMEDOUT:
      return QStringLiteral("o servidor de e-mail não respondeu a tempo");
    case CURLE_LOGIN_DENIED:
      return QStringLiteral("usuário ou senha recusados pelo servidor de e-mail");
    case CURLE_USE_SSL_FAILED:
      return QStringLiteral("o servidor de e-mail não oferece conexão segura (STARTTLS)");
    case CURLE_PEER_FAILED_VERIFICATION:
      return QStringLiteral("o certificado do servidor de e-mail não é válido");
    case CURLE_SSL_CONNECT_ERROR:
      return QStringLiteral("falha na conexão segura com o servidor de e-mail");
    case CURLE_SSL_CACERT_BADFILE:
      return QStringLiteral("não foi possível ler o arquivo de certificados indicado");
    case CURLE_SEND_ERROR:
    case CURLE_RECV_ERROR:
    case CURLE_GOT_NOTHING:
      return QStringLiteral("a conexão com o servidor de e-mail foi interrompida");
    default:
      return {};
  }
}

bool isPlainAscii(const QString& s) {
  for (QChar c : s)
    if (c.unicode() < 0x20 || c.unicode() > 0x7e) return false;
  return true;
}

// RFC 2047 encoded words of a text, each a whole number of characters.
QList<QByteArray> encodedWords(const QString& text) {
  QList<QByteArray> words;
  QByteArray chunk;
  const QList<uint> codePoints = text.toUcs4();
  for (uint cp : codePoints) {
    const QByteArray bytes = QString::fromUcs4(reinterpret_cast<const char32_t*>(&cp), 1).toUtf8();
    if (chunk.size() + bytes.size() > kWordBytes) {
      words << "=?UTF-8?B?" + chunk.toBase64() + "?=";
      chunk.clear();
    }
    chunk += bytes;
  }
  if (!chunk.isEmpty() || words.isEmpty()) words << "=?UTF-8?B?" + chunk.toBase64() + "?=";
  return words;
}

// One header of blank-separated tokens, folded before a token that would pass the limit.
QByteArray header(const QByteArray& name, const QList<QByteArray>& tokens) {
  QByteArray out;
  QByteArray line = name + ":";
  for (const QByteArray& t : tokens) {
    if (line.size() + 1 + t.size() > kLineLimit && line.size() > name.size() + 1) {
      out += line + "\r\n";
      line.clear();
    }
    line += " " + t;
  }
  return out + line + "\r\n";
}

QByteArray mailboxHeader(const QByteArray& name, const Mailbox& m) {
  const QByteArray address = "<" + m.address.toUtf8() + ">";
  if (m.displayName.isEmpty()) return header(name, {m.address.toUtf8()});
  if (isPlainAscii(m.displayName) && !m.displayName.contains(QLatin1Char('"')) &&
      !m.displayName.contains(QLatin1Char('\\')))
    return header(name, {"\"" + m.displayName.toUtf8() + "\"", address});
  QList<QByteArray> tokens = encodedWords(m.displayName);
  tokens << address;
  return header(name, tokens);
}

bool validHost(const QString& host) {
  static const QRegularExpression re(QStringLiteral("^[A-Za-z0-9.\\-:]+$"));
  return re.match(host).hasMatch();
}

struct Upload {
  const QByteArray* data;
  qsizetype pos = 0;
};

// libcurl's own time-out lets the reply to the end of the message and the reply to QUIT
// wait for its server-response time (two minutes); the progress callback is also called
// during those waits, so the deadline ends them too.
struct Deadline {
  std::chrono::steady_clock::time_point at;
  bool passed = false;
};

int checkDeadline(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
  auto* d = static_cast<Deadline*>(user);
  if (std::chrono::steady_clock::now() < d->at) return 0;
  d->passed = true;
  return 1;
}

size_t readPayload(char* buffer, size_t size, size_t count, void* user) {
  auto* up = static_cast<Upload*>(user);
  const size_t room = size * count;
  const size_t left = static_cast<size_t>(up->data->size() - up->pos);
  const size_t n = left < room ? left : room;
  std::memcpy(buffer, up->data->constData() + up->pos, n);
  up->pos += static_cast<qsizetype>(n);
  return n;
}

void initCurlOnce() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

struct CurlHandle {
  CURL* h = curl_easy_init();
  curl_slist* recipients = nullptr;
  ~CurlHandle() {
    curl_slist_free_all(recipients);
    if (h) curl_easy_cleanup(h);
  }
};
}  // namespace

QByteArray composeMimeMessage(const MailMessage& message, const QDateTime& date) {
  const Mailbox from = parseMailbox(message.from);
  const Mailbox to = parseMailbox(message.To);
  const QString domain = from.address.mid(from.address.lastIndexOf(QLatin1Char('@')) + 1);

  QByteArray out;
  out += "Date: " + date.toString(Qt::RFC2822Date).toLatin1() + "\r\n";
  out += mailboxHeader("From", from);
  out += mailboxHeader("To", to);
  out += header("Subject", encodedWords(message.Subject));
  out += "Message-ID: <" + QUuid::createUuid().toString(QUuid::WithoutBraces).toLatin1() + "@" +
         domain.toUtf8() + ">\r\n";
  out += "MIME-Version: 1.0\r\n";
  out += "Content-Type: text/html; charset=UTF-8\r\n";
  out += "Content-Transfer-Encoding: base64\r\n";
  out += "\r\n";
  const QByteArray body = message.HTMLBody.toUtf8().toBase64();
  for (qsizetype i = 0; i < body.size(); i += kLineLimit) out += body.mid(i, kLineLimit) + "\r\n";
  return out;
}

void SmtpMailService::send(const MailMessage& message) {
  if (!message.Configuration) throw failure(QStringLiteral("configuração ausente"), {});
  const MailFields& f = message.Configuration->Fields;
  const QString password = f.committed(cdo::kSendPassword).toString();

  bool ok = false;
  const int sendUsing = f.committed(cdo::kSendUsing).toInt(&ok);
  if (!ok || sendUsing != cdo::kSendUsingPort)
    throw failure(QStringLiteral("forma de envio não suportada"), password);

  const QString server = f.committed(cdo::kSmtpServer).toString().trimmed();
  if (server.isEmpty()) throw failure(QStringLiteral("servidor não configurado"), password);
  if (!validHost(server)) throw failure(QStringLiteral("servidor inválido: ") + server, password);

  int port = 25;
  const QVariant portField = f.committed(cdo::kSmtpServerPort);
  if (portField.isValid()) {
    port = portField.toInt(&ok);
    if (!ok || port < 1 || port > 65535)
      throw failure(QStringLiteral("porta inválida: ") + portField.toString(), password);
  }

  const QVariant authField = f.committed(cdo::kSmtpAuthenticate);
  const int auth = authField.isValid() ? authField.toInt(&ok) : cdo::kAuthAnonymous;
  if (auth != cdo::kAuthAnonymous && auth != cdo::kAuthBasic)
    throw failure(QStringLiteral("forma de autenticação não suportada"), password);
  const QString user = f.committed(cdo::kSendUserName).toString();

  Mailbox from, to;
  QByteArray payload;
  try {
    from = parseMailbox(message.from);
    to = parseMailbox(message.To);
    payload = composeMimeMessage(message, QDateTime::currentDateTime());
  } catch (const RuntimeError& e) {
    throw failure(e.message(), password);
  }

  initCurlOnce();
  CurlHandle c;
  if (!c.h) throw failure(QStringLiteral("não foi possível iniciar o envio"), password);

  const QString host = server.contains(QLatin1Char(':')) ? "[" + server + "]" : server;
  const QByteArray url = QStringLiteral("smtp://%1:%2").arg(host).arg(port).toUtf8();
  const QByteArray mailFrom = "<" + from.address.toUtf8() + ">";
  const QByteArray rcpt = "<" + to.address.toUtf8() + ">";
  const QByteArray userBytes = user.toUtf8();
  const QByteArray passwordBytes = password.toUtf8();
  const QByteArray caFile = message.Configuration->caFile.toLocal8Bit();
  c.recipients = curl_slist_append(nullptr, rcpt.constData());
  Upload upload{&payload};
  char errorText[CURL_ERROR_SIZE] = {0};

  curl_easy_setopt(c.h, CURLOPT_URL, url.constData());
  curl_easy_setopt(c.h, CURLOPT_PROTOCOLS_STR, "smtp");
  curl_easy_setopt(c.h, CURLOPT_NOSIGNAL, 1L);
  const long timeoutMs = static_cast<long>(timeout_.count());
  Deadline deadline{std::chrono::steady_clock::now() + timeout_};
  curl_easy_setopt(c.h, CURLOPT_CONNECTTIMEOUT_MS, timeoutMs);
  curl_easy_setopt(c.h, CURLOPT_TIMEOUT_MS, timeoutMs);
  curl_easy_setopt(c.h, CURLOPT_SERVER_RESPONSE_TIMEOUT,
                   std::max(1L, static_cast<long>((timeoutMs + 999) / 1000)));
  curl_easy_setopt(c.h, CURLOPT_NOPROGRESS, 0L);
  curl_easy_setopt(c.h, CURLOPT_XFERINFOFUNCTION, checkDeadline);
  curl_easy_setopt(c.h, CURLOPT_XFERINFODATA, &deadline);
  // The connection ends with the send (QUIT included), under the same deadline, rather
  // than when the handle is cleaned up.
  curl_easy_setopt(c.h, CURLOPT_FORBID_REUSE, 1L);
  // STARTTLS or no mail at all: the password and the customer's data never travel in clear.
  curl_easy_setopt(c.h, CURLOPT_USE_SSL, static_cast<long>(CURLUSESSL_ALL));
  curl_easy_setopt(c.h, CURLOPT_SSL_VERIFYPEER, 1L);
  curl_easy_setopt(c.h, CURLOPT_SSL_VERIFYHOST, 2L);
  if (!caFile.isEmpty()) curl_easy_setopt(c.h, CURLOPT_CAINFO, caFile.constData());
  if (auth == cdo::kAuthBasic) {
    curl_easy_setopt(c.h, CURLOPT_USERNAME, userBytes.constData());
    curl_easy_setopt(c.h, CURLOPT_PASSWORD, passwordBytes.constData());
  }
  curl_easy_setopt(c.h, CURLOPT_MAIL_FROM, mailFrom.constData());
  curl_easy_setopt(c.h, CURLOPT_MAIL_RCPT, c.recipients);
  curl_easy_setopt(c.h, CURLOPT_UPLOAD, 1L);
  curl_easy_setopt(c.h, CURLOPT_READFUNCTION, readPayload);
  curl_easy_setopt(c.h, CURLOPT_READDATA, &upload);
  curl_easy_setopt(c.h, CURLOPT_INFILESIZE_LARGE, static_cast<curl_off_t>(payload.size()));
  curl_easy_setopt(c.h, CURLOPT_ERRORBUFFER, errorText);

  const CURLcode rc = curl_easy_perform(c.h);
  if (rc != CURLE_OK) {
    const bool timedOut = rc == CURLE_OPERATION_TIMEDOUT || deadline.passed;
    if (timedOut && upload.pos == payload.size())
      // The whole message went out and only the server's answer is missing: it may well
      // have kept the message, which the user must know before sending it again.
      throw failure(QStringLiteral("o servidor de e-mail recebeu a mensagem mas não confirmou "
                                   "o recebimento a tempo; ela pode ter sido entregue"),
                    password);
    QString reason = timedOut ? reasonOf(CURLE_OPERATION_TIMEDOUT) : reasonOf(rc);
    if (reason.isEmpty()) {
      reason = QString::fromUtf8(curl_easy_strerror(rc));
      const QString detail = QString::fromUtf8(errorText).trimmed();
      if (!detail.isEmpty() && detail != reason) reason += QStringLiteral(" (") + detail + ")";
    }
    throw failure(reason, password);
  }
}

}  // namespace ark::net
