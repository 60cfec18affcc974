// Screen: the 25 x 80 grid of cells every view draws into.
//
// A cell is a CP850 byte and an attribute. Writes outside the grid are
// clipped. Each row keeps the range of columns changed since the last flush,
// so a backend sends only what changed.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "platform/console/colour.h"

namespace zel {

struct Cell {
  unsigned char ch = ' ';
  Attr attr = 0x07;
  bool operator==(const Cell&) const = default;
};

// A saved rectangle (inclusive corners), restored exactly where it was.
struct SavedRegion {
  int top = 0, left = 0, bottom = -1, right = -1;
  std::vector<Cell> cells;  // row-major, clipped to the screen
};

enum class BoxStyle { kSingle, kDouble };

class Screen {
 public:
  static constexpr int kRows = 25;
  static constexpr int kCols = 80;

  Screen();

  // Cells outside the grid read as a blank in attribute 7; writes there are
  // dropped. A write that changes nothing leaves the dirty range alone.
  const Cell& at(int row, int col) const;
  void set(int row, int col, Cell c);

  // Text from (row, col), one byte a column, clipped at the right edge (no
  // wrap). Returns the column after the last byte written.
  int write(int row, int col, std::string_view text, Attr attr);
  // The same, keeping the attributes already on screen.
  int writeKeepAttr(int row, int col, std::string_view text);
  // Repaints the attribute of `len` cells.
  void paint(int row, int col, int len, Attr attr);

  void fill(int top, int left, int bottom, int right, unsigned char ch, Attr attr);
  void clear(int top, int left, int bottom, int right, Attr attr) {
    fill(top, left, bottom, right, ' ', attr);
  }
  // Scrolls the rectangle up (n > 0) or down (n < 0), filling the rows
  // uncovered with blanks in `attr`. n == 0, or |n| at least the height,
  // clears the whole rectangle.
  void scroll(int top, int left, int bottom, int right, int n, Attr attr);
  // Frame on the rectangle's edge; the inside is left as it is.
  void box(int top, int left, int bottom, int right, BoxStyle style, Attr attr);
  // Frame from an 8-byte CP850 string: corners and sides clockwise from the
  // top-left, as in "┌─┐│┘─└│". A ninth byte, when given, fills the inside.
  // Fewer than 8 bytes or an empty rectangle draw nothing.
  void box(int top, int left, int bottom, int right, std::string_view frame, Attr attr);

  // The rectangle is clipped to the screen first; restore puts the cells back
  // at the clipped position.
  SavedRegion save(int top, int left, int bottom, int right) const;
  void restore(const SavedRegion& r);

  // Text of a row (80 CP850 bytes) and of the whole screen (rows joined with
  // '\n'); for tests and the headless backend.
  std::string rowText(int row) const;
  std::string text() const;

  // Changed-column range of each row since the last markClean() (a new
  // screen is all dirty); end < begin when the row is unchanged.
  struct Dirty { int begin = kCols, end = -1; };
  const Dirty& dirty(int row) const { return dirty_[static_cast<size_t>(row)]; }
  void markClean();
  void markAllDirty();

 private:
  void touch(int row, int col);
  std::array<std::array<Cell, kCols>, kRows> cells_;
  std::array<Dirty, kRows> dirty_;
};

}  // namespace zel
