#include "platform/net/connection.h"

#include <QDir>
#include <QFile>
#include <QStringList>

namespace ark::net {
namespace {
constexpr quint32 kIffUp = 0x1;
constexpr quint32 kRtfUp = 0x1;
constexpr quint32 kRtfReject = 0x200;
constexpr int kArphrdPpp = 512;
constexpr int kArphrdLoopback = 772;

std::optional<ConnectionState>& forcedState() {
  static std::optional<ConnectionState> state;
  return state;
}

// /proc and /sys files report a size of 0; readAll reads them to their end all the same.
QStringList readLines(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return {};
  QStringList lines = QString::fromLatin1(f.readAll()).split(QLatin1Char('\n'));
  for (QString& l : lines) l = l.trimmed();
  return lines;
}

QString readWord(const QString& path) {
  const QStringList lines = readLines(path);
  return lines.isEmpty() ? QString() : lines.first();
}

quint32 readHex(const QString& text) {
  return text.toUInt(nullptr, 16);
}

bool isLoopback(const QString& sysClassNet, const QString& iface) {
  return iface == QLatin1String("lo") ||
         readWord(sysClassNet + "/" + iface + "/type").toInt() == kArphrdLoopback;
}

// Administratively up, and not known to be without a link ("unknown" is what drivers
// that do not track the link report).
bool isUpAndRunning(const QString& sysClassNet, const QString& iface) {
  const QString dir = sysClassNet + "/" + iface;
  const quint32 flags = readWord(dir + "/flags").toUInt(nullptr, 16);
  const QString oper = readWord(dir + "/operstate");
  return (flags & kIffUp) && (oper == QLatin1String("up") || oper == QLatin1String("unknown"));
}

// Interfaces carrying a usable default route.
QStringList defaultRouteInterfaces(const QString& procNet) {
  QStringList ifaces;
  // Iface Destination Gateway Flags RefCnt Use Metric Mask ...
  const QStringList v4 = readLines(procNet + "/route");
  for (qsizetype i = 1; i < v4.size(); ++i) {
    const QStringList f = v4[i].split(QLatin1Char('\t'), Qt::SkipEmptyParts);
    if (f.size() < 8) continue;
    const quint32 flags = readHex(f[3]);
    if (readHex(f[1]) == 0 && readHex(f[7]) == 0 && (flags & kRtfUp) && !(flags & kRtfReject))
      ifaces << f[0].trimmed();
  }
  // dest plen src plen nexthop metric refcnt use flags iface
  const QStringList v6 = readLines(procNet + "/ipv6_route");
  for (const QString& line : v6) {
    const QStringList f = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (f.size() < 10) continue;
    const quint32 flags = readHex(f[8]);
    if (f[0] == QString(32, QLatin1Char('0')) && readHex(f[1]) == 0 && (flags & kRtfUp) &&
        !(flags & kRtfReject))
      ifaces << f[9];
  }
  return ifaces;
}
}  // namespace

ConnectionState readConnectionState(const QString& procNet, const QString& sysClassNet) {
  ConnectionState s;
  const QStringList all =
      QDir(sysClassNet).entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::System);
  for (const QString& iface : all)
    if (!isLoopback(sysClassNet, iface)) s.flags |= INTERNET_CONNECTION_CONFIGURED;

  for (const QString& iface : defaultRouteInterfaces(procNet)) {
    if (isLoopback(sysClassNet, iface) || !isUpAndRunning(sysClassNet, iface)) continue;
    const bool ppp = readWord(sysClassNet + "/" + iface + "/type").toInt() == kArphrdPpp;
    s.flags |= (ppp ? INTERNET_CONNECTION_MODEM : INTERNET_CONNECTION_LAN) |
               INTERNET_CONNECTION_CONFIGURED;
    s.result = 1;
  }
  return s;
}

quint32 InternetGetConnectedState(quint32& flags, quint32 /*reserved*/) {
  const ConnectionState s = forcedState() ? *forcedState() : readConnectionState();
  flags = s.flags;
  return s.result;
}

void setConnectionState(std::optional<ConnectionState> forced) {
  forcedState() = forced;
}

}  // namespace ark::net
