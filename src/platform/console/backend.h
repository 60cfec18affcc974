// Backend: where the screen is shown and where keys come from.
//
// Two implementations: the ncursesw terminal (real use and the end-to-end
// tests) and the headless twin (screen tests: keys from a script, the screen
// read back as text and attributes).
#pragma once

#include <memory>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "platform/console/screen.h"

namespace zel {

// One input event already decoded into a key code (keys.h). Mouse events
// carry the cell they happened on.
struct InputEvent {
  int key = 0;
  int row = -1, col = -1;
};

class Backend {
 public:
  virtual ~Backend() = default;
  // Shows the screen's changed cells and the cursor. Called before every
  // wait for input and on explicit flushes.
  virtual void present(const Screen& s, int cursorRow, int cursorCol, bool cursorVisible) = 0;
  // Next event; waits up to timeoutMs (negative: for ever, 0: does not wait).
  // false when nothing came in time.
  virtual bool poll(int timeoutMs, InputEvent& out) = 0;
  // A tone of `hz` for `ticks` eighteenths of a second.
  virtual void tone(int hz, int ticks) = 0;
  // Drops keys typed ahead and not yet read (clearing the keyboard buffer).
  // A script of the headless twin is future input, not type-ahead: kept.
  virtual void discardTypeahead() {}
};

// The real terminal through ncursesw, in a UTF-8 character locale (C.UTF-8
// when the user's is not). Raw mode: Ctrl+C and Ctrl+Z are keys, never
// signals. Input is decoded by decodeInput (key_decoder.h); a lone ESC is Esc
// after ESCDELAY ms (default 50). The terminal is given back when the backend
// is destroyed and on fatal signals (SIGSEGV, SIGABRT, SIGBUS, SIGFPE, SIGILL,
// SIGTERM, SIGINT, SIGHUP, SIGQUIT), which are then raised again.
// A terminal smaller than 80 x 25 shows a notice: at start until it is made
// big enough (a key instead gives up: nullptr), later until it is resized
// back, keys typed meanwhile being dropped. nullptr with a message in *error
// when the terminal cannot be used (not a tty, unknown TERM, no colours,
// another ncurses backend alive). At most one exists at a time.
std::unique_ptr<Backend> makeNcursesBackend(std::string* error);

// The headless twin: events from a script; what was presented can be read
// from the Screen the console owns. When the script runs out, poll() with a
// negative timeout reports Esc so that a test never hangs (and aborts after
// 10000 of them: a loop that ignores Esc would otherwise spin for ever).
//
// Time: poll() with a time limit sleeps on zel::clock() (install a
// ManualClock in tests) until the next scripted event is due or the limit
// runs out. Events pushed with pushAt() are due at a monotonic time; the
// others at once.
class HeadlessBackend : public Backend {
 public:
  void present(const Screen&, int cursorRow, int cursorCol, bool cursorVisible) override;
  bool poll(int timeoutMs, InputEvent& out) override;
  void tone(int hz, int ticks) override { tones.push_back({hz, ticks}); }

  void push(int key) { events_.push_back({{key, -1, -1}, 0}); }
  void push(std::initializer_list<int> keys) { for (int k : keys) push(k); }
  void pushText(std::string_view cp850) { for (char c : cp850) push(static_cast<unsigned char>(c)); }
  void pushClick(int row, int col, int key = 1002) { events_.push_back({{key, row, col}, 0}); }
  // A key that arrives when zel::clock().monotonicMs() reaches dueMs.
  void pushAt(long long dueMs, int key) { events_.push_back({{key, -1, -1}, dueMs}); }
  size_t pending() const { return events_.size() - next_; }

  int presents = 0;
  int cursorRow = 0, cursorCol = 0;
  bool cursorVisible = true;
  int escapesAfterEnd = 0;  // how many times the script ran dry
  struct Tone { int hz, ticks; };
  std::vector<Tone> tones;

 private:
  struct Scripted {
    InputEvent event;
    long long dueMs;
  };
  std::vector<Scripted> events_;
  size_t next_ = 0;
};

}  // namespace zel
