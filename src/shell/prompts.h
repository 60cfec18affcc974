// The boxes the shell asks through: alerts with buttons, one-field entry
// boxes, highlight-bar and star-mark choice lists, the progress box and the
// message line. They draw in the terminal's colours (screenState()).
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/sys/value.h"

namespace zel::shell {

// Alert box in COR_SAY with "Ok"; lines separated by ";".
void alertOk(std::string_view lines);
// "Sim" / "Nao": true for "Sim"; "Nao" and Esc give false.
bool askSimNao(std::string_view lines);

// Message line (row 24): the text from column 1, or centred; empty clears it.
void messageLine(std::string_view text, bool centred = false);

// Progress box: a framed box (window 10) whose text starts at `row` and at
// `column`, or ends at column 75 when column < 0. Left open; closeProgress()
// closes it.
void progressBox(std::string_view text, int row = 20, int column = -1);
void closeProgress();

// One-field entry box (window 10, framed, one line): the text, then the
// field two columns after it, read with `mask`. `column` < 0 centres the
// box. `valid`, when given, must accept the value before the read ends.
// Esc gives the empty value of the field's type (0 for a number).
struct Entry {
  std::string text;
  std::string name;  // the variable's name, upper case, for help
  Value value;
  int width = 0;
  std::string mask;
  int row = 20;
  int column = -1;
  std::function<bool(const Value&)> valid;
};
Value entryBox(const Entry& e);

// Highlight-bar choice in an open window: one entry a row from text row
// 1 + rowOffset, the bar `width` wide from `column` (1-based in the
// window). Starts on `initial`; hot letters (upper case, by entry) choose
// at once; `status` texts (by entry) are shown centred on the message line.
// Returns the entry chosen, 0 on Esc. A hot letter beyond the last entry
// does nothing.
int choiceBar(int window, int count, int column, int width, int rowOffset, int initial,
              std::string_view hotLetters, const std::vector<std::string>& status);

// Star-mark choice in an open window: the mark "*" at `column` (1-based in
// the window) of the current entry's row. Returns the entry chosen, 0 on Esc.
int starChoice(int window, int count, int column, int rowOffset, int initial);

}  // namespace zel::shell
