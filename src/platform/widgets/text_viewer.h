// Text viewer: a long CP850 text shown read-only in a rectangle.
//
// Lines end at CR LF or LF. With wrapping on, lines longer than the width are
// broken after the last blank that fits (or at the width when a word is
// longer), and the soft line breaks an editor leaves in memo texts (byte 0x8D
// before LF) join their lines again before wrapping. Tabs become blanks up to
// the next multiple of four.
//
// Keys: Up/Down one line, PgUp/PgDn one page, Ctrl+PgUp or Ctrl+Home the
// first page, Ctrl+PgDn or Ctrl+End the last one, Left/Right one column and
// Home/End to the left or right edge when lines are wider than the
// rectangle, Esc leaves. Every other key goes to the key hook ("unhandled
// key"), which may ask the viewer to leave; without a hook it is ignored.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/console/colour.h"
#include "platform/console/console.h"

namespace zel {

// Splits a text into lines at CR LF and LF (a trailing line end adds no
// empty line). Soft breaks (0x8D LF) are joined when `joinSoftBreaks`, and
// are plain line ends otherwise. Tabs are expanded.
std::vector<std::string> splitLines(std::string_view text, bool joinSoftBreaks = false);

// Word-wraps one line to `width` columns (width >= 1); an empty line stays
// one empty line.
std::vector<std::string> wrapLine(std::string_view line, int width);

// splitLines followed by wrapLine on each line (with soft breaks joined).
std::vector<std::string> wrapText(std::string_view text, int width);

class TextViewer {
 public:
  struct Rect {
    int top = 0, left = 0, bottom = 24, right = 79;
  };
  struct Options {
    bool wrap = true;
    std::optional<Attr> attr;  // default: the console's standard colour
  };

  // What the key hook answers for a key the viewer does not handle.
  enum class HookAnswer { kContinue, kLeave };
  // Gets the key and the text line and column at the top-left of the view
  // (0-based). The hook may draw on the screen: the viewer redraws its
  // rectangle after it answers.
  using KeyHook = std::function<HookAnswer(int key, int line, int column)>;

  TextViewer(std::string_view text, Rect rect, Options options, Console& con = console());
  TextViewer(std::string_view text, Rect rect, Console& con = console())
      : TextViewer(text, rect, Options{}, con) {}

  // Shows the text and reads keys until Esc or the hook asks to leave.
  // Returns the key that left.
  int run(const KeyHook& hook = {});

  // Draws the visible part (run() does this after every key).
  void draw();

  // Applies a movement key; false when the viewer does not handle it.
  bool handleKey(int key);

  const std::vector<std::string>& lines() const { return lines_; }
  int topLine() const { return top_; }
  int leftColumn() const { return left_; }
  int rows() const { return rect_.bottom - rect_.top + 1; }
  int width() const { return rect_.right - rect_.left + 1; }

 private:
  int maxTop() const;
  int maxLeft() const;

  Console& con_;
  Rect rect_;
  Options options_;
  std::vector<std::string> lines_;
  int top_ = 0, left_ = 0;
};

}  // namespace zel
