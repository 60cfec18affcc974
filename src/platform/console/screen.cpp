#include "platform/console/screen.h"

#include <algorithm>

namespace zel {

namespace {
bool inside(int row, int col) {
  return row >= 0 && row < Screen::kRows && col >= 0 && col < Screen::kCols;
}
}  // namespace

Screen::Screen() { markAllDirty(); }

const Cell& Screen::at(int row, int col) const {
  static const Cell kOutside{};
  if (!inside(row, col)) return kOutside;
  return cells_[static_cast<size_t>(row)][static_cast<size_t>(col)];
}

void Screen::set(int row, int col, Cell c) {
  if (!inside(row, col)) return;
  Cell& cell = cells_[static_cast<size_t>(row)][static_cast<size_t>(col)];
  if (cell == c) return;
  cell = c;
  touch(row, col);
}

void Screen::touch(int row, int col) {
  Dirty& d = dirty_[static_cast<size_t>(row)];
  d.begin = std::min(d.begin, col);
  d.end = std::max(d.end, col);
}

int Screen::write(int row, int col, std::string_view text, Attr attr) {
  for (char ch : text) {
    set(row, col, Cell{static_cast<unsigned char>(ch), attr});
    ++col;
  }
  return col;
}

int Screen::writeKeepAttr(int row, int col, std::string_view text) {
  for (char ch : text) {
    if (inside(row, col)) set(row, col, Cell{static_cast<unsigned char>(ch), at(row, col).attr});
    ++col;
  }
  return col;
}

void Screen::paint(int row, int col, int len, Attr attr) {
  for (int i = 0; i < len; ++i, ++col)
    if (inside(row, col)) set(row, col, Cell{at(row, col).ch, attr});
}

void Screen::fill(int top, int left, int bottom, int right, unsigned char ch, Attr attr) {
  top = std::max(top, 0);
  left = std::max(left, 0);
  bottom = std::min(bottom, kRows - 1);
  right = std::min(right, kCols - 1);
  for (int r = top; r <= bottom; ++r)
    for (int c = left; c <= right; ++c) set(r, c, Cell{ch, attr});
}

void Screen::scroll(int top, int left, int bottom, int right, int n, Attr attr) {
  top = std::max(top, 0);
  left = std::max(left, 0);
  bottom = std::min(bottom, kRows - 1);
  right = std::min(right, kCols - 1);
  if (top > bottom || left > right) return;
  int height = bottom - top + 1;
  if (n == 0 || n >= height || -n >= height) {
    fill(top, left, bottom, right, ' ', attr);
    return;
  }
  if (n > 0) {
    for (int r = top; r <= bottom - n; ++r)
      for (int c = left; c <= right; ++c) set(r, c, at(r + n, c));
    fill(bottom - n + 1, left, bottom, right, ' ', attr);
  } else {
    int k = -n;
    for (int r = bottom; r >= top + k; --r)
      for (int c = left; c <= right; ++c) set(r, c, at(r - k, c));
    fill(top, left, top + k - 1, right, ' ', attr);
  }
}

void Screen::box(int top, int left, int bottom, int right, BoxStyle style, Attr attr) {
  // CP850 bytes of the single and double frames, clockwise from the top-left.
  static constexpr char kSingle[] = "\xDA\xC4\xBF\xB3\xD9\xC4\xC0\xB3";
  static constexpr char kDouble[] = "\xC9\xCD\xBB\xBA\xBC\xCD\xC8\xBA";
  box(top, left, bottom, right, std::string_view(style == BoxStyle::kSingle ? kSingle : kDouble, 8),
      attr);
}

void Screen::box(int top, int left, int bottom, int right, std::string_view frame, Attr attr) {
  if (frame.size() < 8 || top > bottom || left > right) return;
  auto b = [&](int i) { return static_cast<unsigned char>(frame[static_cast<size_t>(i)]); };
  if (frame.size() >= 9 && bottom - top >= 2 && right - left >= 2)
    fill(top + 1, left + 1, bottom - 1, right - 1, b(8), attr);
  for (int c = left + 1; c < right; ++c) {
    set(top, c, Cell{b(1), attr});
    set(bottom, c, Cell{b(5), attr});
  }
  for (int r = top + 1; r < bottom; ++r) {
    set(r, right, Cell{b(3), attr});
    set(r, left, Cell{b(7), attr});
  }
  set(top, left, Cell{b(0), attr});
  set(top, right, Cell{b(2), attr});
  set(bottom, right, Cell{b(4), attr});
  set(bottom, left, Cell{b(6), attr});
}

SavedRegion Screen::save(int top, int left, int bottom, int right) const {
  SavedRegion r;
  r.top = std::max(top, 0);
  r.left = std::max(left, 0);
  r.bottom = std::min(bottom, kRows - 1);
  r.right = std::min(right, kCols - 1);
  if (r.top > r.bottom || r.left > r.right) {
    r.bottom = r.top - 1;
    return r;
  }
  r.cells.reserve(static_cast<size_t>((r.bottom - r.top + 1) * (r.right - r.left + 1)));
  for (int row = r.top; row <= r.bottom; ++row)
    for (int col = r.left; col <= r.right; ++col) r.cells.push_back(at(row, col));
  return r;
}

void Screen::restore(const SavedRegion& r) {
  if (r.top > r.bottom || r.left > r.right) return;
  size_t i = 0;
  for (int row = r.top; row <= r.bottom; ++row)
    for (int col = r.left; col <= r.right; ++col) {
      if (i >= r.cells.size()) return;
      set(row, col, r.cells[i++]);
    }
}

std::string Screen::rowText(int row) const {
  std::string s;
  s.reserve(kCols);
  for (int c = 0; c < kCols; ++c) s += static_cast<char>(at(row, c).ch);
  return s;
}

std::string Screen::text() const {
  std::string s;
  for (int r = 0; r < kRows; ++r) {
    if (r) s += '\n';
    s += rowText(r);
  }
  return s;
}

void Screen::markClean() { dirty_.fill(Dirty{}); }

void Screen::markAllDirty() { dirty_.fill(Dirty{0, kCols - 1}); }

}  // namespace zel
