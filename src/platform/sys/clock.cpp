#include "platform/sys/clock.h"

#include <ctime>
#include <thread>

namespace zel {

namespace {

class SystemClock : public Clock {
 public:
  CivilTime now() const override {
    std::time_t t = std::time(nullptr);
    std::tm tm{};
    localtime_r(&t, &tm);
    return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
  }
  long long monotonicMs() const override {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
  }
  void sleepMs(int ms) override { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }
};

std::unique_ptr<Clock>& current() {
  static std::unique_ptr<Clock> c = makeSystemClock();
  return c;
}

}  // namespace

std::unique_ptr<Clock> makeSystemClock() { return std::make_unique<SystemClock>(); }

CivilTime ManualClock::now() const {
  std::tm tm{};
  tm.tm_year = t_.year - 1900;
  tm.tm_mon = t_.month - 1;
  tm.tm_mday = t_.day;
  tm.tm_hour = t_.hour;
  tm.tm_min = t_.minute;
  tm.tm_sec = t_.second + static_cast<int>(ms_ / 1000);
  tm.tm_isdst = -1;
  timegm(&tm);  // normalises the fields
  return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

void ManualClock::advanceMs(long long ms) { ms_ += ms; }

Clock& clock() { return *current(); }

std::unique_ptr<Clock> setClock(std::unique_ptr<Clock> c) {
  std::swap(current(), c);
  return c;
}

}  // namespace zel
