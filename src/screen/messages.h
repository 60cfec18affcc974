// The message line, boxed messages, questions, progress boxes, one-field
// entries, alert questions and the two choice lists drawn in a window.
//
// Everything is drawn through the window layer (screen/console.h) on the
// program's console. Box colours come from the screen settings (COR_TEL1,
// COR_TEL2, COR_TEL3, COR_ESCOL, COR_SAY of screenState()).
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/sys/value.h"

namespace zel {

// The settings of the message boxes and choice lists. Kept apart from the
// window layer's ScreenState so that each file owns its own settings.
struct MessageState {
  // Width, line count and frame of the last box MENS opened, for the reuse
  // of a progress box; set TAM_OLD to 0 to force a fresh box.
  int TAM_OLD = 0;
  int NL_OLD = 0;
  int CONT_OLD = 0;
  // Current entry of a choice list (read on entry, left on exit; 0 after
  // Esc), the horizontal choice of the print menus, and the entry the last
  // choice list was left on.
  int POSVER = 1;
  int POSHOR = 1;
  int ULTPOS = 1;
  // Hot letters of the choice list on display, in entry order, and its
  // status-line texts, one per entry (MENSMENU[0] belongs to entry 1).
  std::string OPCOES;
  std::vector<std::string> MENSMENU;
  // Alt+A in a choice list runs this. Until the calculator is installed the
  // message line says that it is not available.
  std::function<void()> calculator;
};

MessageState& messageState();
// Fresh settings, as at start-up (tests).
void resetMessageState();

// An argument of MENS that may be absent, a number or a text.
class MensArg {
 public:
  MensArg() = default;
  MensArg(int n) : kind_(Kind::kNumber), number_(n) {}
  MensArg(const char* t) : kind_(Kind::kText), text_(t) {}
  MensArg(std::string t) : kind_(Kind::kText), text_(std::move(t)) {}
  MensArg(std::string_view t) : kind_(Kind::kText), text_(t) {}

  bool absent() const { return kind_ == Kind::kAbsent; }
  bool isNumber() const { return kind_ == Kind::kNumber; }
  bool isText() const { return kind_ == Kind::kText; }
  int number() const { return number_; }
  const std::string& text() const { return text_; }

 private:
  enum class Kind { kAbsent, kNumber, kText };
  Kind kind_ = Kind::kAbsent;
  int number_ = 0;
  std::string text_;
};

// The setting a one-field entry (MENS mode 4) edits: its name (upper-cased
// for field help), access to its value, the field's width for a number
// (0: the width of the number's default text), mask and validity check.
struct MensField {
  std::string name;
  std::function<Value()> get;
  std::function<void(const Value&)> set;
  int width = 0;
  std::string mask = "@KS";
  std::function<bool()> validity;  // empty: NDA, always accepted

  // A field over a variable that outlives the entry.
  static MensField of(std::string name, Value& var, int width = 0, std::string mask = "@KS");
};

// Clears the message line (row 24); returns "". A code without a text
// does the same.
std::string MENS();
inline std::string MENS(int /*code*/) { return MENS(); }

// MENS(code, text, row, column, lines, answers, window) with code = frame x
// 10 + mode; frame: 0 plain, 1 framed, 7 shadowed. Modes:
//   0 text on the message line: from column 1, or centred when column is
//     "C"; returns at once
//   1 box, error beep, any key closes it
//   2 box; waits for a key among `answers` (upper case) and returns that
//     letter; the box closes. Without answers any key closes it and ""
//     is returned (the box would otherwise wait for ever).
//   3 progress box left open; a following call of the same width, line
//     count and frame only rewrites the text while the box is open
//   5 as 1 without the beep
// row: top text row, 20 when absent or text. column: left column of the
// box; absent or text other than "E"/"C" ends the box at column 75, "E"
// starts it at column 2, "C" centres it. lines: text lines of the box, 1
// when absent or text. Returns "" except in mode 2. Mode 4 needs a field:
// here it draws nothing and returns "".
std::string MENS(int code, std::string_view text, MensArg row = {}, MensArg column = {},
                 MensArg lines = {}, std::string_view answers = {}, int window = 10);

// Mode 4, the one-field entry: the text is followed by the field, read with
// the form reader; Esc sets the setting to the empty value of its type
// (today's date for a date). Returns the setting's value after the entry.
// A date field is 10 wide (dd/mm/yyyy).
Value MENS(int code, std::string_view text, MensArg row, MensArg column, MensArg lines,
           const MensField& field, int window = 10);

// Alert box in COR_SAY. Buttons by kind: 0 "Ok"; 3 "Sim", "Nao", "Ignore";
// 4 "Sim", "Nao", "Fim"; any other "Sim", "Nao". Returns "S" for the first
// button, "N" for the second and for Esc, "I" or "F" for the third.
std::string AVISOSN(std::string_view message, int kind = 2);
std::string AVISOSN(const std::vector<std::string>& lines, int kind = 2);

// Highlight-bar choice in an open window holding one entry per text row
// from row 1 + rowOffset (its text written with ESCRJAN). The bar is
// `width` columns from `column`. Starts on POSVER; Up, Down, Home, End move
// the bar, Enter chooses, Esc gives 0, a hot letter of OPCOES chooses its
// entry at once (a letter whose position is beyond `count` does nothing).
// With `withTexts` MENSMENU[entry] is shown centred on the message line.
// Leaves POSVER and ULTPOS on the entry, closes window 10, and closes
// `window` when `close` is 1. Returns POSVER.
int ESC_OPCAO(int window, int count, int column, int width, int rowOffset, int close,
              bool withTexts);

// Choice by a "*" at `column` of the entry's row (rows from 1 + rowOffset)
// of an open window. Starts on `initial`; Up, Down, Home, End move the
// mark, Enter returns the entry, Esc 0; other keys are ignored.
int ESC_ITEM(int window, int count, int column, int rowOffset, int initial);

// Error beep: for each time, two rounds of 300 Hz and 499 Hz, one tick each.
void BEEP_ERRO(int times = 1);

// The validity check that accepts everything.
bool NDA();

}  // namespace zel
