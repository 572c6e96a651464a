#include "visits/frmvisita.h"

namespace ark::visits {
namespace {
frmvisita* g_instance = nullptr;
}

frmvisita& frmvisita::instance() {
  if (!g_instance) g_instance = new frmvisita;
  return *g_instance;
}
bool frmvisita::exists() { return g_instance != nullptr; }
frmvisita::frmvisita() { setWindowTitle(QStringLiteral("Dovral Videzide®")); }
frmvisita::~frmvisita() {
  if (g_instance == this) g_instance = nullptr;
}

}  // namespace ark::visits
