// PictureEditor: the editing buffer of one entry field.
//
// It holds the value as the picture shows it (transform of mask.h) and
// applies the editing keys to it; the form reader draws it and decides
// when the field is left. Pure: no console, so it is tested key by key.
//
// Behaviour, by value type:
// - text: one position a character (template positions only; literals are
//   skipped, and with R kept out of the value). A text wider than an S<n>
//   field scrolls.
// - number: the first digit or sign replaces the whole value (as K does
//   for text) unless the cursor was moved first; the decimal mark ("," with
//   E, else ".") moves to the decimals after right-justifying the integer
//   part, keeping it; the thousands mark is passed over, so "2.469,13"
//   typed as written reads 2469.13; "-" anywhere makes it negative. Digits fill positions from the
//   left, so a cleared "999,999.99" reads "246,9  .  " after 2469 and is
//   right-justified when left.
// - date: "dd/mm/yyyy" ("dd/mm/yy" with the century off); a date that does
//   not exist is refused by acceptable().
// - logical: one position taking T, F, Y or N.
//
// Keys: printable characters type (insert or overwrite, Ins toggles);
// Left, Right, Home, End move; Backspace, Del, Ctrl+Y (blank from the
// cursor to the end) and Ctrl+U (undo) edit. Anything else is not the
// editor's business and is handed back.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/sys/value.h"
#include "platform/ui/mask.h"

namespace zel {

class PictureEditor {
 public:
  inline static constexpr int kCtrlU = 21;
  inline static constexpr int kCtrlY = 25;

  PictureEditor(const Value& initial, const Picture& picture, bool century = true);
  PictureEditor(const Value& initial, std::string_view mask, bool century = true)
      : PictureEditor(initial, parsePicture(mask), century) {}

  // Applies one key; false when the key is not an editing key (Enter, Esc,
  // Up, function keys ...) and was left alone.
  bool handleKey(int key);

  // True once a character was typed into the last position: the field is
  // full and, without confirmation, the reader moves on. Reading clears it.
  bool takeFilled();

  bool changed() const { return changed_; }
  // False for a date that does not exist; the field must not be left.
  bool acceptable() const;
  // The edited value; the initial one, untouched, while nothing changed
  // (walking through a form never rounds a stored number).
  Value value() const;

  bool insertMode() const { return insert_; }
  void setInsertMode(bool on) { insert_ = on; }

  // The whole buffer as shown, its visible part and where the cursor is.
  std::string shown() const;
  int width() const { return static_cast<int>(buf_.size()); }
  int viewWidth() const;
  std::string view() const;   // viewWidth() characters from the scroll offset
  int cursor() const { return pos_; }  // index into the buffer; width() when past the end
  int viewCursor() const;     // column of the cursor inside the view

 private:
  void load(const Value& v);
  bool accepts(int pos, unsigned char c) const;
  int nextSlot(int from) const;  // first editable position >= from, or width()
  int prevSlot(int from) const;  // last editable position < from, or -1
  int segmentEnd(int pos) const;  // last editable position of pos's segment
  void type(unsigned char c);
  void toDecimals();
  void clearAll();
  void deleteAt(int pos);
  double parseNumber() const;
  void adjustOffset();

  Value initial_;
  Picture pic_;
  bool century_;
  ValueType type_;
  std::string tmpl_;        // one template character a buffer position
  std::string buf_;
  std::vector<bool> slot_;  // editable positions
  int point_ = -1;          // decimal point of a number, -1 when none
  int pos_ = 0;
  int offset_ = 0;          // first visible position of a scrolled field
  bool insert_ = false;
  bool clear_ = false;      // the next data key replaces the value
  bool changed_ = false;
  bool filled_ = false;
};

}  // namespace zel
