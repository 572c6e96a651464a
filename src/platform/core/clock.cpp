#include "platform/core/clock.h"

#include <atomic>

namespace ark {
namespace {
std::atomic<Clock*> installed{nullptr};
}  // namespace

QDateTime SystemClock::now() const {
  return QDateTime::currentDateTime();
}

Clock& clock() {
  static SystemClock system;
  Clock* c = installed.load();
  return c ? *c : system;
}

void setClock(Clock* c) {
  installed.store(c);
}

}  // namespace ark
