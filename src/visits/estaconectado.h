#pragma once
// EstaConectado: whether the machine has an Internet connection, and the connection-type
// word of the first flag set.
#include <QString>

namespace ark::visits {

// tipo becomes "LAN", "Modem", "Proxy", "Offline", "Configurada", "Remota" or "". The
// result and the word are independent of each other.
bool EstaConectado(QString& tipo);

}  // namespace ark::visits
