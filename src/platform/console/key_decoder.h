// Key decoder: terminal input bytes to the program's key codes.
//
// A pure function over a byte buffer, shared by the ncurses backend and the
// tests. It knows the sequences of xterm and its relatives, tmux (whatever
// TERM the pane has: tmux sends the same bytes), rxvt and the Linux console:
//   - Alt as an ESC prefix (ESC w is Alt+W 273, ESC ESC O Q is Alt+F2) and as
//     the xterm modifier parameter (ESC [1;3Q);
//   - Ctrl with arrows, Home, End, PgUp, PgDn and F-keys from the modifier
//     parameter; Shift+Tab; Ctrl+Enter as LF (10) or as the extended-key
//     reports ESC [27;5;13~ and ESC [13;5u;
//   - mouse presses in X10 (ESC [M b x y) and SGR (ESC [<b;x;yM) form:
//     left and right presses become key::kMouseLeft / kMouseRight with the
//     0-based row and column; releases, motion and wheel are skipped;
//   - printable UTF-8 becomes its CP850 byte; characters outside the code
//     page, unknown sequences and stray bytes are skipped, never delivered as
//     a run of bogus keys.
// Enter is CR (13), Backspace is DEL or BS (8), Tab 9, other control bytes
// are their own codes (Ctrl+C is 3, as with the break key disabled).
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

#include "platform/console/backend.h"

namespace zel {

struct DecodeStep {
  enum Kind {
    kEvent,     // `event` is a key; `used` bytes belong to it
    kSkip,      // `used` bytes mean nothing to the program: drop them
    kNeedMore,  // the buffer ends inside a sequence: wait for more bytes
  };
  Kind kind = kSkip;
  std::size_t used = 0;
  InputEvent event;
};

// Decodes the first key at the front of `bytes` (which must not be empty).
// `moreMayCome`: the caller could still receive bytes that complete a
// sequence. Pass false once the escape delay has passed: a lone ESC then is
// Esc, and an unfinished sequence gives up (never kNeedMore).
DecodeStep decodeInput(std::string_view bytes, bool moreMayCome);

// Every event of a complete buffer (as if nothing more will come).
std::vector<InputEvent> decodeAll(std::string_view bytes);

}  // namespace zel
