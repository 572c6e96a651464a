#include "platform/core/clock.h"

#include <atomic>

namespace ark {
namespace {
std::atomic<Clock*> installed{nullptr};
}  // namespace

QDateTime SystemClock::now() const {
  // The jobs read the clock for each row, many times a millisecond: the local time of one
  // millisecond is worked out once.
  thread_local qint64 lastMs = -1;
  thread_local QDateTime last;
  const qint64 ms = QDateTime::currentMSecsSinceEpoch();
  if (ms != lastMs) {
    last = QDateTime::fromMSecsSinceEpoch(ms);
    lastMs = ms;
  }
  return last;
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
