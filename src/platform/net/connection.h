#pragma once
// Whether the machine has an Internet connection, with the connection-state flags, read
// from the kernel's routing table and network interfaces.
//
// Connected (nonzero) when a default route (IPv4 or IPv6) goes through a non-loopback
// interface that is up and running: LAN, or MODEM for a point-to-point (PPP) interface,
// plus CONFIGURED. Without one: 0, with CONFIGURED when some non-loopback interface
// exists. PROXY, RAS_INSTALLED and OFFLINE are never reported.
#include <QString>
#include <QtGlobal>
#include <optional>

namespace ark::net {

inline constexpr quint32 INTERNET_CONNECTION_MODEM = 0x01;
inline constexpr quint32 INTERNET_CONNECTION_LAN = 0x02;
inline constexpr quint32 INTERNET_CONNECTION_PROXY = 0x04;
inline constexpr quint32 INTERNET_RAS_INSTALLED = 0x10;
inline constexpr quint32 INTERNET_CONNECTION_OFFLINE = 0x20;
inline constexpr quint32 INTERNET_CONNECTION_CONFIGURED = 0x40;

// Nonzero when connected; sets flags.
quint32 InternetGetConnectedState(quint32& flags, quint32 reserved = 0);

struct ConnectionState {
  quint32 result = 0;
  quint32 flags = 0;
};

// The state read from the given /proc/net and /sys/class/net folders.
ConnectionState readConnectionState(const QString& procNet = QStringLiteral("/proc/net"),
                                    const QString& sysClassNet = QStringLiteral("/sys/class/net"));

// Test seam: a forced state answered by InternetGetConnectedState; nullopt reads the system.
void setConnectionState(std::optional<ConnectionState> forced);

class ScopedConnectionState {
 public:
  ScopedConnectionState(quint32 result, quint32 flags) {
    setConnectionState(ConnectionState{result, flags});
  }
  ~ScopedConnectionState() { setConnectionState(std::nullopt); }
  ScopedConnectionState(const ScopedConnectionState&) = delete;
  ScopedConnectionState& operator=(const ScopedConnectionState&) = delete;
};

}  // namespace ark::net
