// The bounded waits of the opening and locking routines, over one attempt
// each, so that they run the same for record locks, file locks, appends and
// opens. Times run on the program's clock (zel::clock()).
#pragma once

#include <functional>
#include <optional>
#include <string_view>

#include "platform/sys/status.h"

namespace zel::data::waits {

// One try: OK, Locked when someone else holds what is wanted, or another
// failure (which ends the wait at once: retrying it helps nothing).
using Attempt = std::function<Status()>;

// Pauses `ms` milliseconds; a key pressed meanwhile ends the pause early and
// is discarded, except Esc when `keepEsc`: that stays for the caller's check.
void pause(int ms, bool keepEsc);

// Record lock: a first try, then (default 2 seconds) a try every half second
// while seconds remain and no Esc waits, with the waiting text on the
// message line.
bool recordLock(const Attempt& attempt, std::optional<double> seconds, std::string_view alias);

// File lock and append: a first try, then pause, try, every half second;
// seconds 0 waits without end and without looking at the keyboard; no
// seconds given waits 2 seconds. `waitingText` is shown centred while
// waiting.
bool fileLock(const Attempt& attempt, std::optional<double> seconds,
              std::string_view waitingText);

// Open: up to `seconds` tries one second apart while the file is held by
// someone else (0: until it opens). Another failure ends it at once.
Status open(const Attempt& attempt, int seconds);

}  // namespace zel::data::waits
