// Alert box: a framed box in the middle of the screen with lines of text and
// a row of buttons.
//
// The message is CP850 text whose lines are separated by ";"; a line wider
// than the screen allows is word-wrapped. Keys: Left/Shift+Tab and
// Right/Tab move between buttons (wrapping), Enter chooses the highlighted
// one, a letter chooses the first button whose label begins with it (case
// does not matter), a left click on a button chooses it, Esc gives 0. Other
// keys are ignored. The screen under the box is restored when it closes.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/console/console.h"

namespace zel {

struct AlertOptions {
  // Colour string: the first pair paints the box, the second (when given)
  // the highlighted button; without it the first pair inverted is used.
  std::string colour = "N/W+";
  // Time limit in milliseconds: when no key has chosen a button by then the
  // box closes and 0 is returned. Negative: no limit.
  int timeoutMs = -1;
  int initial = 1;  // button highlighted first (1-based)
};

// Shows the box and returns the chosen button's number (1-based), 0 on Esc or
// when the time limit ran out. Without buttons "Ok" is shown.
int alert(std::string_view message, const std::vector<std::string>& buttons,
          const AlertOptions& options = {}, Console& con = console());

// The message split into the lines the box shows (";" and wrapping).
std::vector<std::string> alertLines(std::string_view message);

}  // namespace zel
