#pragma once
// A real SMTP submission server for tests (aiosmtpd, tests/support/smtp_server.py) on
// 127.0.0.1 and a free port: STARTTLS with a self-signed certificate made once per run,
// AUTH required over TLS for one account. Stopped when the object goes.
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>
#include <stdexcept>
#include <vector>

namespace ark::test {

struct TestCertificate {
  QString cert;
  QString key;
};

// Valid for DNS:localhost and IP:127.0.0.1; the tests trust it through the CA file setting.
inline const TestCertificate& testCertificate() {
  static QTemporaryDir dir(QDir::tempPath() + "/arkivor-cert-XXXXXX");
  static const TestCertificate cert = [] {
    TestCertificate c{dir.filePath("cert.pem"), dir.filePath("key.pem")};
    QProcess p;
    p.start("openssl", {"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2", "-subj",
                        "/CN=localhost", "-addext", "subjectAltName=DNS:localhost,IP:127.0.0.1",
                        "-keyout", c.key, "-out", c.cert});
    if (!p.waitForFinished(60000) || p.exitCode() != 0)
      throw std::runtime_error("openssl failed: " + p.readAllStandardError().toStdString());
    return c;
  }();
  return cert;
}

struct SmtpServerOptions {
  bool starttls = true;
  QString hold;  // "data" or "quit": that reply is held back (see smtp_server.py)
  QString user = QStringLiteral("agenda@dovral.test");
  QString password = QStringLiteral("s3nh@Secr3t");
};

class SmtpServer {
 public:
  using Options = SmtpServerOptions;

  explicit SmtpServer(Options o = Options()) : options_(std::move(o)) {
    QStringList args = {QStringLiteral(ARKIVOR_SOURCE_DIR "/tests/support/smtp_server.py"),
                        "--dir",
                        dir_.path(),
                        "--user",
                        options_.user,
                        "--password",
                        options_.password};
    if (options_.starttls)
      args << "--cert" << testCertificate().cert << "--key" << testCertificate().key;
    else
      args << "--no-starttls";
    if (!options_.hold.isEmpty()) args << "--hold" << options_.hold;
    process_.start("/usr/bin/python3", args);
    if (!process_.waitForStarted(10000)) throw std::runtime_error("smtp_server.py did not start");
    while (!process_.canReadLine()) {
      if (!process_.waitForReadyRead(15000))
        throw std::runtime_error("smtp_server.py gave no port: " +
                                 process_.readAllStandardError().toStdString());
    }
    port_ = process_.readLine().trimmed().toInt();
    if (port_ <= 0) throw std::runtime_error("smtp_server.py gave no port");
  }

  ~SmtpServer() {
    process_.terminate();
    if (!process_.waitForFinished(5000)) {
      process_.kill();
      process_.waitForFinished(5000);
    }
  }
  SmtpServer(const SmtpServer&) = delete;
  SmtpServer& operator=(const SmtpServer&) = delete;

  int port() const { return port_; }
  const QString& user() const { return options_.user; }
  const QString& password() const { return options_.password; }
  QString caFile() const { return testCertificate().cert; }

  // The messages received so far, in order, as decoded by the server.
  std::vector<QJsonObject> messages() const {
    std::vector<QJsonObject> out;
    for (int n = 1;; ++n) {
      QFile f(dir_.filePath(QString::number(n) + ".json"));
      if (!f.open(QIODevice::ReadOnly)) break;
      out.push_back(QJsonDocument::fromJson(f.readAll()).object());
    }
    return out;
  }

  // "<login> <ok|refused> <tls|plain>", one line per AUTH attempt.
  QStringList authLog() const {
    QFile f(dir_.filePath("auth.log"));
    if (!f.open(QIODevice::ReadOnly)) return {};
    return QString::fromUtf8(f.readAll()).split('\n', Qt::SkipEmptyParts);
  }

  QString serverStderr() { return QString::fromUtf8(process_.readAllStandardError()); }

 private:
  Options options_;
  QTemporaryDir dir_{QDir::tempPath() + "/arkivor-smtp-XXXXXX"};
  QProcess process_;
  int port_ = 0;
};

}  // namespace ark::test
