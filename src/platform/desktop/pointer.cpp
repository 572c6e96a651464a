#include "platform/desktop/pointer.h"

#include <QApplication>

namespace ark::desktop {

namespace {
bool g_hourglass = false;
}

void setMousePointer(int pointer) {
  const bool want = pointer == vbHourglass;
  if (want == g_hourglass) return;
  if (want)
    QApplication::setOverrideCursor(Qt::WaitCursor);
  else
    QApplication::restoreOverrideCursor();
  g_hourglass = want;
}

int mousePointer() {
  return g_hourglass ? vbHourglass : vbDefault;
}

}  // namespace ark::desktop
