#include "data/waits.h"

#include <algorithm>

#include "data/data_state.h"
#include "platform/sys/clock.h"
#include "platform/sys/cp850.h"

namespace zel::data::waits {

namespace {

constexpr int kEsc = 27;
constexpr int kStepMs = 500;

std::string_view gaveUp() {
  return "ATENÇAO! Registro näo ficou disponível. Dado näo será gravado."_cp;
}

bool escWaiting() { return dataState().out().peekKey() == kEsc; }

// A failure other than someone else's lock: say what it was and stop.
bool failed(const Status& s) {
  DataUi& ui = dataState().out();
  ui.message(gaveUp(), false);
  ui.alert(s.toString());
  return false;
}

}  // namespace

void pause(int ms, bool keepEsc) {
  DataUi& ui = dataState().out();
  Clock& c = clock();
  const long long end = c.monotonicMs() + ms;
  for (;;) {
    int k = ui.peekKey();
    if (k != 0) {
      if (!(keepEsc && k == kEsc)) ui.dropKey();
      return;
    }
    long long now = c.monotonicMs();
    if (now >= end) return;
    c.sleepMs(static_cast<int>(std::min<long long>(50, end - now)));
  }
}

bool recordLock(const Attempt& attempt, std::optional<double> seconds, std::string_view alias) {
  Status s = attempt();
  if (s.ok()) return true;
  if (!s.isLocked()) return failed(s);
  DataUi& ui = dataState().out();
  double left = seconds.value_or(2.0);
  std::string waiting = std::string("Aguardando registro ficar disponível no arquivo "_cp);
  waiting += alias;
  ui.message(waiting, true);
  while (left > 0 && !escWaiting()) {
    s = attempt();
    if (s.ok()) {
      ui.clearMessage();
      return true;
    }
    if (!s.isLocked()) return failed(s);
    pause(kStepMs, true);
    left -= 0.5;
  }
  ui.message(gaveUp(), false);
  return false;
}

bool fileLock(const Attempt& attempt, std::optional<double> seconds,
              std::string_view waitingText) {
  Status s = attempt();
  if (s.ok()) return true;
  if (!s.isLocked()) return failed(s);
  DataUi& ui = dataState().out();
  const bool endless = seconds.has_value() && *seconds == 0;
  double left = seconds.value_or(2.0);
  ui.message(waitingText, true);
  for (;;) {
    // The endless wait does not look at the keyboard, so Esc is spent too.
    pause(kStepMs, !endless);
    left -= 0.5;
    s = attempt();
    if (s.ok()) {
      ui.clearMessage();
      return true;
    }
    if (!s.isLocked()) return failed(s);
    if (!endless && (left <= 0 || escWaiting())) break;
  }
  ui.message(gaveUp(), false);
  return false;
}

Status open(const Attempt& attempt, int seconds) {
  for (int tries = 1;; ++tries) {
    Status s = attempt();
    if (s.ok() || !s.isLocked()) return s;
    if (seconds > 0 && tries >= seconds) return s;
    pause(1000, false);
  }
}

}  // namespace zel::data::waits
