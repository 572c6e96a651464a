// The installation settings panel of the main window (to be completed).
#include "app/frmbkp.h"

namespace ark::app {

void frmbkp::buildSettings() {}
void frmbkp::bindSettings() {}
void frmbkp::cbosistema_Click() {}

}  // namespace ark::app
