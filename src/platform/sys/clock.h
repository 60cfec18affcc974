// The program's clock: wall time for dates and the working-time counter, and
// a monotonic time for waits. Tests install a manual clock and move it.
#pragma once

#include <chrono>
#include <memory>

namespace zel {

struct CivilTime {
  int year = 2009, month = 1, day = 1;
  int hour = 0, minute = 0, second = 0;
};

class Clock {
 public:
  virtual ~Clock() = default;
  // Local civil date and time.
  virtual CivilTime now() const = 0;
  // Milliseconds on a clock that never goes back; for waits and time limits.
  virtual long long monotonicMs() const = 0;
  // Pauses the caller (a manual clock just advances).
  virtual void sleepMs(int ms) = 0;
};

// The system clock.
std::unique_ptr<Clock> makeSystemClock();

// A clock that stands still until told to move; sleepMs advances it.
class ManualClock : public Clock {
 public:
  explicit ManualClock(CivilTime t = {}) : t_(t) {}
  CivilTime now() const override;
  long long monotonicMs() const override { return ms_; }
  void sleepMs(int ms) override { advanceMs(ms); }
  void set(CivilTime t) { t_ = t; ms_ = 0; }
  void advanceMs(long long ms);

 private:
  CivilTime t_;
  long long ms_ = 0;  // elapsed since t_
};

// The clock every part of the program reads. Starts as the system clock.
Clock& clock();
// Replaces the program's clock (tests); returns the previous one.
std::unique_ptr<Clock> setClock(std::unique_ptr<Clock> c);

}  // namespace zel
