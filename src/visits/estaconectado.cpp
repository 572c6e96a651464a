#include "visits/estaconectado.h"

#include "platform/net/connection.h"

namespace ark::visits {

bool EstaConectado(QString& tipo) {
  struct Word {
    quint32 bit;
    const char* word;
  };
  static constexpr Word kWords[] = {
      {net::INTERNET_CONNECTION_LAN, "LAN"},
      {net::INTERNET_CONNECTION_MODEM, "Modem"},
      {net::INTERNET_CONNECTION_PROXY, "Proxy"},
      {net::INTERNET_CONNECTION_OFFLINE, "Offline"},
      {net::INTERNET_CONNECTION_CONFIGURED, "Configurada"},
      {net::INTERNET_RAS_INSTALLED, "Remota"},
  };
  tipo = QString();
  quint32 flags = 0;
  const bool connected = net::InternetGetConnectedState(flags, 0) != 0;
  for (const Word& w : kWords) {
    if (flags & w.bit) {
      tipo = QString::fromLatin1(w.word);
      break;
    }
  }
  return connected;
}

}  // namespace ark::visits
