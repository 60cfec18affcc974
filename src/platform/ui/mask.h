// Picture masks: "@functions template", the way every value is shown on a
// screen or a printed page and the shape of every entry field.
//
// One parser (parsePicture) feeds both the display formatter (transform)
// and the entry editor (picture_editor.h), so that a field looks the same
// while it is edited and after it was left.
//
// Functions (after "@", up to the first blank; case-insensitive):
//   E   exchange "." and ",": 2.469,13 instead of 2,469.13
//   Z   blank when the (rounded) number is zero
//   R   template literals are shown but kept out of the stored text
//   S<n> the field is n columns wide and scrolls a wider text
//   !   upper case
//   K   an entry field is cleared by the first key that is not a movement
//   D   date as dd/mm/yyyy (dd/mm/yy with the century off)
//   B   numbers left-justified
// Other function letters are accepted and ignored.
//
// Template (after the blank; a mask without "@" is all template):
//   9 digit (numbers: also the sign)   # digit, blank or sign
//   X any   ! any, upper case   A letter   N letter or digit
//   L T/F/Y/N   Y Y/N
//   numbers: the first "." is the decimal point and "," separates thousands
//   (shown only when a digit stands to its left); other characters are
//   literals.
#pragma once

#include <string>
#include <string_view>

#include "platform/console/colour.h"
#include "platform/sys/value.h"

namespace zel {

class Console;

struct Picture {
  bool exchange = false;    // E
  bool blankZero = false;   // Z
  bool literalsOut = false; // R
  bool upper = false;       // !
  bool clearFirst = false;  // K
  bool date = false;        // D
  bool leftJustify = false; // B
  int scroll = 0;           // S<n>; 0 when absent
  std::string tmpl;         // template; empty when the mask has none
};

Picture parsePicture(std::string_view mask);

// What a template character lets into its position.
bool isTemplateChar(char t);

// Width and decimals a numeric template gives: "999,999.99" is 10 wide with
// 2 decimals. Without a template the default is 10 digits, and 2 decimals
// when the number has a fraction.
struct NumberShape {
  int width = 0;
  int decimals = 0;
};
NumberShape numberShape(const Picture& p, double value);

// The template a number is shown through: the picture's own or the default
// one of numberShape ("9999999999" or "9999999999.99").
std::string numberTemplate(const Picture& p, double value);

// The value as text through the picture. Numbers are rounded to the
// template's decimals; a number too large for its template shows asterisks
// over the whole width. `century` false writes dates as dd/mm/yy.
std::string transform(const Value& v, const Picture& p, bool century = true);
std::string transform(const Value& v, std::string_view mask, bool century = true);

// Writes a value through a mask at a position, in the console's standard
// colour or in the given one.
void sayPicture(Console& con, int row, int col, const Value& v, std::string_view mask);
void sayPicture(Console& con, int row, int col, const Value& v, std::string_view mask, Attr attr);

}  // namespace zel
