// The connection state read from the routing table and the interfaces, over small copies
// of /proc/net and /sys/class/net.
#include "platform/net/connection.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include "support/tempdir.h"

namespace ark::net {
namespace {

struct Interface {
  const char* name;
  int type;           // 1 Ethernet, 512 PPP, 772 loopback
  const char* flags;  // as in /sys/class/net/<name>/flags
  const char* operstate;
};

const char* kRouteHeader =
    "Iface\tDestination\tGateway \tFlags\tRefCnt\tUse\tMetric\tMask\t\tMTU\tWindow\tIRTT\n";
const char* kV4Default = "eth0\t00000000\t010200C0\t0003\t0\t0\t0\t00000000\t0\t0\t0\n";
const char* kV4Subnet = "eth0\t000200C0\t00000000\t0001\t0\t0\t0\t00FFFFFF\t0\t0\t0\n";
const char* kV4PppDefault = "ppp0\t00000000\t00000000\t0001\t0\t0\t0\t00000000\t0\t0\t0\n";
const char* kV6Default =
    "00000000000000000000000000000000 00 00000000000000000000000000000000 00 "
    "fd000000000000000000000000000001 00000400 00000002 00000000 00000003     eth0\n";
const char* kV6LoopbackReject =
    "00000000000000000000000000000000 00 00000000000000000000000000000000 00 "
    "00000000000000000000000000000000 ffffffff 00000001 00000000 00200200       lo\n";

const Interface kLo{"lo", 772, "0x9", "unknown"};
const Interface kEthUp{"eth0", 1, "0x1003", "up"};
const Interface kEthNoLink{"eth0", 1, "0x1003", "down"};
const Interface kEthAdminDown{"eth0", 1, "0x1002", "down"};
const Interface kPppUp{"ppp0", 512, "0x10d1", "unknown"};

void put(const QString& path, const QByteArray& text) {
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
  f.write(text);
}

TEST(ConnectionState, FromRoutesAndInterfaces) {
  struct Case {
    const char* name;
    QByteArray route, ipv6Route;
    std::vector<Interface> interfaces;
    quint32 result, flags;
  };
  const quint32 kLanConfigured = INTERNET_CONNECTION_LAN | INTERNET_CONNECTION_CONFIGURED;
  const Case cases[] = {
      {"IPv4 default route",
       QByteArray(kRouteHeader) + kV4Default + kV4Subnet,
       kV6LoopbackReject,
       {kLo, kEthUp},
       1,
       kLanConfigured},
      {"IPv6 default route only",
       kRouteHeader,
       QByteArray(kV6Default) + kV6LoopbackReject,
       {kLo, kEthUp},
       1,
       kLanConfigured},
      {"PPP default route",
       QByteArray(kRouteHeader) + kV4PppDefault,
       "",
       {kLo, kPppUp},
       1,
       INTERNET_CONNECTION_MODEM | INTERNET_CONNECTION_CONFIGURED},
      {"local subnet only",
       QByteArray(kRouteHeader) + kV4Subnet,
       kV6LoopbackReject,
       {kLo, kEthUp},
       0,
       INTERNET_CONNECTION_CONFIGURED},
      {"cable out",
       QByteArray(kRouteHeader) + kV4Default,
       "",
       {kLo, kEthNoLink},
       0,
       INTERNET_CONNECTION_CONFIGURED},
      {"interface switched off",
       QByteArray(kRouteHeader) + kV4Default,
       "",
       {kLo, kEthAdminDown},
       0,
       INTERNET_CONNECTION_CONFIGURED},
      {"loopback only", kRouteHeader, kV6LoopbackReject, {kLo}, 0, 0},
      {"nothing readable", "", "", {}, 0, 0},
  };
  for (const Case& c : cases) {
    test::TempDir dir;
    const QString proc = dir.mkdir("proc/net"), sys = dir.mkdir("sys/class/net");
    if (!c.route.isEmpty()) put(proc + "/route", c.route);
    if (!c.ipv6Route.isEmpty()) put(proc + "/ipv6_route", c.ipv6Route);
    for (const Interface& i : c.interfaces) {
      const QString d = sys + "/" + i.name;
      QDir().mkpath(d);
      put(d + "/type", QByteArray::number(i.type) + "\n");
      put(d + "/flags", QByteArray(i.flags) + "\n");
      put(d + "/operstate", QByteArray(i.operstate) + "\n");
    }
    const ConnectionState s = readConnectionState(proc, sys);
    EXPECT_EQ(s.result, c.result) << c.name;
    EXPECT_EQ(s.flags, c.flags) << c.name;
  }
}

TEST(ConnectionState, ForcedStateIsAnsweredUntilTheScopeEnds) {
  quint32 flags = 0xff;
  {
    ScopedConnectionState offline(0, INTERNET_CONNECTION_OFFLINE);
    EXPECT_EQ(InternetGetConnectedState(flags, 0), 0u);
    EXPECT_EQ(flags, INTERNET_CONNECTION_OFFLINE);
  }
  const ConnectionState system = readConnectionState();
  EXPECT_EQ(InternetGetConnectedState(flags, 0), system.result);
  EXPECT_EQ(flags, system.flags);
}

}  // namespace
}  // namespace ark::net
