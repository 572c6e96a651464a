#include "platform/net/mail.h"

#include "platform/core/runtime_error.h"
#include "platform/net/mail_service.h"

namespace ark::net {
namespace {
bool isKnownField(const QString& name) {
  static const QStringList known = {cdo::kSendUsing,    cdo::kSmtpServer,   cdo::kSmtpServerPort,
                                    cdo::kSendUserName, cdo::kSendPassword, cdo::kSmtpAuthenticate};
  return known.contains(name);
}

RuntimeError invalidAddress(const QString& text) {
  return RuntimeError(kMailError, QStringLiteral("Endereço de e-mail inválido: ") + text);
}

bool safeAddress(const QString& a) {
  if (a.isEmpty() || !a.contains(QLatin1Char('@'))) return false;
  for (QChar c : a) {
    if (c.unicode() <= 0x20 || c.unicode() == 0x7f || c == QLatin1Char('<') ||
        c == QLatin1Char('>') || c == QLatin1Char('"') || c == QLatin1Char(',') ||
        c == QLatin1Char(';'))
      return false;
  }
  return true;
}
}  // namespace

QVariant& MailFields::operator[](const QString& name) {
  if (!isKnownField(name))
    throw RuntimeError(kMailError,
                       QStringLiteral("Campo de configuração de e-mail desconhecido: ") + name);
  for (auto& [n, v] : pending_)
    if (n == name) return v;
  pending_.emplace_back(name, QVariant());
  return pending_.back().second;
}

QVariant MailFields::Item(const QString& name) const {
  for (const auto& [n, v] : pending_)
    if (n == name) return v;
  return {};
}

void MailFields::Update() {
  committed_.clear();
  for (const auto& [n, v] : pending_) committed_.insert(n, v);
}

QVariant MailFields::committed(const QString& name) const {
  return committed_.value(name);
}

QStringList MailFields::names() const {
  QStringList out;
  for (const auto& p : pending_) out << p.first;
  return out;
}

void MailMessage::Send() const {
  mailService().send(*this);
}

Mailbox parseMailbox(const QString& text) {
  const QString t = text.trimmed();
  Mailbox m;
  if (t.endsWith(QLatin1Char('>'))) {
    const qsizetype open = t.lastIndexOf(QLatin1Char('<'));
    if (open < 0) throw invalidAddress(text);
    m.address = t.mid(open + 1, t.size() - open - 2).trimmed();
    QString name = t.left(open).trimmed();
    if (name.size() >= 2 && name.startsWith(QLatin1Char('"')) && name.endsWith(QLatin1Char('"'))) {
      name = name.mid(1, name.size() - 2);
      QString unescaped;
      for (qsizetype i = 0; i < name.size(); ++i) {
        if (name[i] == QLatin1Char('\\') && i + 1 < name.size()) ++i;
        unescaped += name[i];
      }
      name = unescaped;
    }
    for (QChar c : name)
      if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) throw invalidAddress(text);
    m.displayName = name;
  } else {
    m.address = t;
  }
  if (!safeAddress(m.address)) throw invalidAddress(text);
  return m;
}

}  // namespace ark::net
