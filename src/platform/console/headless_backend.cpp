#include <cstdio>
#include <cstdlib>

#include "platform/console/backend.h"
#include "platform/console/keys.h"
#include "platform/sys/clock.h"

namespace zel {

void HeadlessBackend::present(const Screen&, int row, int col, bool visible) {
  ++presents;
  cursorRow = row;
  cursorCol = col;
  cursorVisible = visible;
}

bool HeadlessBackend::poll(int timeoutMs, InputEvent& out) {
  Clock& c = clock();
  if (next_ < events_.size()) {
    const Scripted& s = events_[next_];
    long long wait = s.dueMs - c.monotonicMs();
    if (wait > 0) {
      if (timeoutMs >= 0 && wait > timeoutMs) {
        if (timeoutMs > 0) c.sleepMs(timeoutMs);
        return false;
      }
      c.sleepMs(static_cast<int>(wait));
    }
    out = s.event;
    ++next_;
    return true;
  }
  if (timeoutMs >= 0) {
    if (timeoutMs > 0) c.sleepMs(timeoutMs);
    return false;
  }
  if (++escapesAfterEnd > 10000) {
    std::fputs("HeadlessBackend: key script ran dry and Esc is being ignored\n", stderr);
    std::abort();
  }
  out = InputEvent{key::kEsc, -1, -1};
  return true;
}

}  // namespace zel
