// FormReader: reads a list of entry fields on the console (the READ of the
// program's forms and one-field entries).
//
// Each field has a position, a picture mask, a getter and a setter of the
// variable it edits, and two optional callbacks: `when` (the field is
// skipped while it answers false) and `valid` (run when the field is left;
// false keeps the cursor in it). The edited value reaches the variable when
// the field is left, before `valid` runs, so that the check sees it and may
// replace it.
//
// Keys between fields:
//   Enter, or typing into the last position  next field; after the last one
//                                           the read ends
//   Down, Tab / Up, Shift+Tab                next / previous field; at the
//                                           edges the read ends only with
//                                           exitAtEdges, else the cursor stays
//   PgDn, PgUp, Ctrl+End                     the read ends
//   Ctrl+Home                                first field
//   Esc                                      the read ends, the field's edit
//                                           is dropped (last key 27)
// A date that does not exist beeps and keeps the cursor. Editing keys are
// those of PictureEditor; Ins switches insert mode for every later field
// too (no indicator is shown).
//
// Mouse clicks and keys with no meaning here are ignored.
//
// Bound keys (Console::bindKey) run their callback between two keys: the
// field's pending edit is stored first and the field is reloaded from its
// variable afterwards, so a callback sees the value on screen and may
// change it. A callback ends the read with FormReader::active()->endRead().
// During the read Console::readContext() names the field being edited
// (upper case), with the routine and line the options give.
//
// Colours: the field being edited shows in the enhanced slot of the colour
// list, the others in the unselected slot (the console's list unless the
// options give one).
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/console/colour.h"
#include "platform/sys/value.h"
#include "platform/ui/mask.h"

namespace zel {

class Console;

struct FormField {
  int row = 0, col = 0;
  std::string name;                       // the variable's name, for help and callbacks
  std::function<Value()> get;
  std::function<void(const Value&)> set;
  std::string mask;                       // picture; empty: the value as it stands
  std::function<bool()> valid;            // may be empty: always accepted
  std::function<bool()> when;             // may be empty: always entered
  int width = 0;                          // numbers without a template: digits shown

  // A field over a Value variable that outlives the read.
  static FormField of(int row, int col, std::string name, Value& var, std::string mask = {});
};

struct FormOptions {
  bool exitAtEdges = false;  // Up on the first field, Down on the last end the read
  bool century = true;       // dates as dd/mm/yyyy
  std::optional<ColourList> colours;
  std::string routine;       // for Console::readContext()
  int line = 0;
};

struct ReadResult {
  int lastKey = 0;       // the key that ended the read (or the one endRead gave)
  bool updated = false;  // some variable received a changed value
  bool ended = false;    // ended by endRead() from a callback
  int field = -1;        // index of the field the read ended on
};

class FormReader {
 public:
  explicit FormReader(Console& con);
  FormReader();  // on console()
  ~FormReader();
  FormReader(const FormReader&) = delete;
  FormReader& operator=(const FormReader&) = delete;

  // Not during read(): the fields are in use.
  FormField& add(FormField f);
  // Empties the field list; during read() (from a callback) it also ends
  // the read, and the list is emptied when read() returns.
  void clear();
  size_t size() const { return fields_.size(); }
  FormOptions& options() { return options_; }

  // Shows every field and reads them from the first one that can be
  // entered. With no field to enter the read ends at once (last key 0).
  ReadResult read();

  // From a callback during read(): end the read once the callback returns.
  // `key` is reported as the read's last key; 0 reports the key whose
  // callback ran.
  void endRead(int key = 0);
  bool reading() const { return reading_; }

  // The field being read (empty name, -1 and nullptr outside read()). A
  // callback reaches the variable through the field's get and set; the
  // field shows what set stored once the callback returns.
  const std::string& currentName() const;
  int currentIndex() const { return current_; }
  FormField* currentField();

  // The innermost read in progress, nullptr when none.
  static FormReader* active();

  // Shows a field's value through its mask, as it looks when not edited.
  void display(size_t index);

 private:
  Picture pictureOf(const FormField& f, const Value& v) const;
  const ColourList& colours() const;
  bool enterable(int index) const;
  int settle(int from, int step) const;
  int runBound(int key);

  Console& con_;
  std::vector<FormField> fields_;
  std::vector<int> shownWidth_;
  FormOptions options_;
  bool reading_ = false;
  bool endRequested_ = false;
  bool clearRequested_ = false;
  int endKey_ = 0;
  int current_ = -1;
  FormReader* outer_ = nullptr;
};

}  // namespace zel
