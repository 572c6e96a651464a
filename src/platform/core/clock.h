#pragma once
// The clock behind Date, Time and Now. The system clock by default; tests install a
// settable one.
#include <QDateTime>

namespace ark {

class Clock {
 public:
  virtual ~Clock() = default;
  virtual QDateTime now() const = 0;  // local wall-clock time
};

class SystemClock : public Clock {
 public:
  QDateTime now() const override;
};

// A clock that stands still until it is set or advanced.
class SettableClock : public Clock {
 public:
  explicit SettableClock(QDateTime start = QDateTime(QDate(2026, 12, 10), QTime(12, 0)))
      : now_(std::move(start)) {}
  QDateTime now() const override { return now_; }
  void set(const QDateTime& t) { now_ = t; }
  void advance(qint64 seconds) { now_ = now_.addSecs(seconds); }

 private:
  QDateTime now_;
};

// The clock in use; never null.
Clock& clock();
// Installs a clock (not owned); nullptr goes back to the system clock.
void setClock(Clock* c);

// Installs a clock for the lifetime of the object (tests).
class ScopedClock {
 public:
  explicit ScopedClock(Clock& c) { setClock(&c); }
  ~ScopedClock() { setClock(nullptr); }
  ScopedClock(const ScopedClock&) = delete;
  ScopedClock& operator=(const ScopedClock&) = delete;
};

}  // namespace ark
