// Console: the screen, the cursor, the colour in use and the keyboard.
//
// Every screen of the program draws through the console returned by
// console(). Output is buffered in the Screen and sent to the backend when
// input is awaited or flush() is called.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/console/backend.h"
#include "platform/console/colour.h"
#include "platform/console/keys.h"
#include "platform/console/screen.h"

namespace zel {

// What is being read when a bound key is pressed: the routine, its line and
// the variable of the field (empty outside a form).
struct ReadContext {
  std::string routine;
  int line = 0;
  std::string variable;
};

class Console {
 public:
  // A null backend gives a headless one with an empty script.
  explicit Console(std::unique_ptr<Backend> backend);

  Screen& screen() { return screen_; }
  Backend& backend() { return *backend_; }

  // Current colour list (SetColor): the standard slot is used by say(), the
  // enhanced slot by entry fields. Slots missing or malformed in the text
  // keep their current value.
  void setColour(std::string_view colourList);
  void setColour(const ColourList& c) { colours_ = c; }
  const ColourList& colours() const { return colours_; }

  // Writing, clipped at the screen's edges. The cursor ends after the text
  // (column row/col + length, which may be 80), as on the old consoles.
  void say(int row, int col, std::string_view text);             // standard colour
  void say(int row, int col, std::string_view text, Attr attr);  // given colour
  void sayKeepAttr(int row, int col, std::string_view text);     // colours on screen kept

  void gotoRC(int row, int col);
  int row() const { return row_; }
  int col() const { return col_; }
  void showCursor(bool on) { cursorVisible_ = on; }
  bool cursorVisible() const { return cursorVisible_; }

  // Sends changed cells and the cursor to the backend and marks the screen
  // clean. Every key read flushes first.
  void flush();

  // Raw key read (INKEY): timeoutMs < 0 waits for ever, 0 does not wait;
  // returns key::kNone when nothing came in time (lastKey() is then left as
  // it was). Pushed keys come first, then the backend's. Bound keys are
  // returned like any other. A mouse event sets mouseRow()/mouseCol().
  int inkey(int timeoutMs = -1);
  // Wait-state read: a bound key runs its callback with the current read
  // context and the wait goes on; any other key is returned. A key whose
  // callback is already running (the callback itself reads keys) is returned
  // instead of running it again. The time limit covers the whole wait,
  // callbacks included (measured on zel::clock()). Used by the form reader,
  // menus, browsers and prompts.
  int waitKey(int timeoutMs = -1);
  int lastKey() const { return lastKey_; }
  // Puts keys in front of what the user types (KEYBOARD).
  void pushKey(int key) { queue_.push_back({key, -1, -1}); }
  // Empties the pushed keys and the type-ahead (see Backend::discardTypeahead).
  void clearKeys();
  // True when a key is waiting (queued or at the backend); does not take it.
  bool keyWaiting();

  // Row and column of the last mouse event read.
  int mouseRow() const { return mouseRow_; }
  int mouseCol() const { return mouseCol_; }

  // Key bindings (SET KEY). A callback gets the read context of the moment.
  using KeyHandler = std::function<void(const ReadContext&)>;
  void bindKey(int key, KeyHandler handler);
  void unbindKey(int key);
  bool isBound(int key) const { return bindings_.count(key) != 0; }
  KeyHandler binding(int key) const;

  // The read in progress, set by readers for the callbacks and for help.
  ReadContext& readContext() { return context_; }

  // A tone of `hz` for `ticks` eighteenths of a second; nothing when silenced.
  void tone(int hz, int ticks);
  void setSilent(bool silent) { silent_ = silent; }

 private:
  Screen screen_;
  std::unique_ptr<Backend> backend_;
  ColourList colours_;
  int row_ = 0, col_ = 0;
  bool cursorVisible_ = true;
  int lastKey_ = 0;
  int mouseRow_ = -1, mouseCol_ = -1;
  std::deque<InputEvent> queue_;
  std::optional<InputEvent> peeked_;  // taken from the backend by keyWaiting()
  std::map<int, KeyHandler> bindings_;
  ReadContext context_;
  bool silent_ = false;
  int handlerDepth_ = 0;
  std::vector<int> running_;  // bound keys whose callbacks are running
};

// The program's console. Starts as a headless console with an empty script;
// main() installs the ncurses one.
Console& console();
// Installs a console; returns the previous one (tests restore it).
std::unique_ptr<Console> setConsole(std::unique_ptr<Console> c);

}  // namespace zel
