// EstaConectado: the result of the connection layer and the word of the first flag set.
#include "visits/estaconectado.h"

#include <gtest/gtest.h>

#include "platform/net/connection.h"

namespace ark::visits {
namespace {
using namespace ark::net;

TEST(EstaConectado, ResultAndWordFromTheFlags) {
  struct Case {
    quint32 result, flags;
    bool connected;
    const char* word;
  };
  const Case cases[] = {
      {1, INTERNET_CONNECTION_LAN | INTERNET_CONNECTION_CONFIGURED, true, "LAN"},
      {1, INTERNET_CONNECTION_MODEM | INTERNET_CONNECTION_LAN, true, "LAN"},
      {1, INTERNET_CONNECTION_MODEM | INTERNET_CONNECTION_PROXY, true, "Modem"},
      {1, INTERNET_CONNECTION_PROXY | INTERNET_CONNECTION_OFFLINE, true, "Proxy"},
      {0, INTERNET_CONNECTION_OFFLINE, false, "Offline"},
      {0, INTERNET_CONNECTION_CONFIGURED | INTERNET_RAS_INSTALLED, false, "Configurada"},
      {0, INTERNET_RAS_INSTALLED, false, "Remota"},
      {0, 0, false, ""},
      {1, 0, true, ""},
      {0x8000, 0x80, true, ""},  // any nonzero result; unknown bits give no word
  };
  for (const Case& c : cases) {
    ScopedConnectionState state(c.result, c.flags);
    QString tipo = QStringLiteral("antes");
    EXPECT_EQ(EstaConectado(tipo), c.connected) << c.result << "/" << c.flags;
    EXPECT_EQ(tipo, QString::fromLatin1(c.word)) << c.result << "/" << c.flags;
  }
}

}  // namespace
}  // namespace ark::visits
