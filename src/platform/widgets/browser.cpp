#include "platform/widgets/browser.h"

#include <algorithm>

#include "platform/console/keys.h"

namespace zel {

Browser::Browser(int top, int left, int bottom, int right, BrowseSource source, Console& con)
    : con_(con), top_(top), left_(left), bottom_(bottom), right_(right), src_(std::move(source)) {}

void Browser::addColumn(BrowseColumn c) {
  columns_.push_back(std::move(c));
  widths_.push_back(0);
  layoutValid_ = false;
}

void Browser::clearColumns() {
  columns_.clear();
  widths_.clear();
  colPos_ = 1;
  leftCol_ = 1;
  layoutValid_ = false;
}

void Browser::setHeadSep(std::string s) { headSep_ = std::move(s); layoutValid_ = false; positioned_ = false; }
void Browser::setColSep(std::string s) { colSep_ = std::move(s); layoutValid_ = false; }
void Browser::setFootSep(std::string s) { footSep_ = std::move(s); layoutValid_ = false; positioned_ = false; }
void Browser::setColours(CellColours c) { colours_ = c; layoutValid_ = false; }
void Browser::setFreeze(int n) { freeze_ = std::max(0, n); layoutValid_ = false; }
void Browser::setHighlightRow(bool on) { highlightRow_ = on; invalidateRow(rowPos_); }
void Browser::setHighlight(bool on) { highlight_ = on; invalidateRow(rowPos_); }

// ---------------------------------------------------------------------------
// Layout

void Browser::layout() {
  bool anyHead = false, anyFoot = false;
  for (const auto& c : columns_) {
    anyHead = anyHead || !c.heading.empty();
    anyFoot = anyFoot || !c.footing.empty();
  }
  int r = top_, b = bottom_;
  headRow_ = anyHead ? r++ : -1;
  headSepRow_ = headSep_.empty() ? -1 : r++;
  footRow_ = anyFoot ? b-- : -1;
  footSepRow_ = footSep_.empty() ? -1 : b--;
  dataTop_ = r;
  int rows = std::max(1, b - r + 1);
  if (rows != dataRows_) positioned_ = false;
  dataRows_ = rows;
  valid_.assign(static_cast<size_t>(dataRows_), 0);
  rowPos_ = std::min(rowPos_, dataRows_ - 1);

  // Widths left open are taken from the texts the column shows first; the
  // source stands on the current row here (unless that is the blank new row).
  const bool phantom = src_.atEnd && src_.atEnd();
  for (size_t i = 0; i < columns_.size(); ++i) {
    const BrowseColumn& c = columns_[i];
    if (c.width <= 0 && widths_[i] > 0) continue;  // worked out once, then kept
    int w = c.width;
    if (w <= 0) {
      w = std::max(static_cast<int>(c.heading.size()), static_cast<int>(c.footing.size()));
      if (c.cell && !phantom) w = std::max(w, static_cast<int>(c.cell().size()));
    }
    widths_[i] = std::max(1, w);
  }
  freeze_ = std::min(freeze_, columnCount());
  colPos_ = std::clamp(colPos_, 1, std::max(1, columnCount()));
  leftCol_ = std::clamp(leftCol_, freeze_ + 1, std::max(freeze_ + 1, columnCount()));
  layoutValid_ = true;
  fixedValid_ = false;
  ensureVisible();
}

void Browser::placeColumns() {
  visible_.clear();
  xs_.clear();
  int x = left_;
  auto fits = [&](int c, bool force) {
    int start = visible_.empty() ? x : x + sepWidth();
    if (start > right_) return false;
    if (!force && start + widths_[static_cast<size_t>(c - 1)] - 1 > right_) return false;
    visible_.push_back(c);
    xs_.push_back(start);
    x = start + widths_[static_cast<size_t>(c - 1)];
    return true;
  };
  for (int c = 1; c <= freeze_; ++c)
    if (!fits(c, visible_.empty())) return;
  bool first = true;
  for (int c = leftCol_; c <= columnCount(); ++c) {
    // The first panned column shows even when it has to be cut.
    if (!fits(c, first)) break;
    first = false;
  }
}

void Browser::ensureVisible() {
  std::vector<int> before = visible_;
  placeColumns();
  if (columnCount() > 0 && colPos_ > freeze_) {
    if (colPos_ < leftCol_) {
      leftCol_ = colPos_;
      placeColumns();
    }
    while (!isVisible(colPos_) && leftCol_ < colPos_) {
      ++leftCol_;
      placeColumns();
    }
  }
  if (visible_ != before) {
    fixedValid_ = false;
    invalidateAll();
  }
}

int Browser::visibleIndex(int n) const {
  for (size_t i = 0; i < visible_.size(); ++i)
    if (visible_[i] == n) return static_cast<int>(i);
  return -1;
}

bool Browser::isVisible(int n) const { return visibleIndex(n) >= 0; }

int Browser::cellRow() const { return dataTop_ + rowPos_; }

int Browser::cellCol() const {
  int i = visibleIndex(colPos_);
  return i < 0 ? left_ : xs_[static_cast<size_t>(i)];
}

int Browser::cellWidth() const {
  if (columns_.empty()) return 0;
  int w = widths_[static_cast<size_t>(colPos_ - 1)];
  return std::max(0, std::min(w, right_ - cellCol() + 1));
}

// ---------------------------------------------------------------------------
// Rows and source position

void Browser::invalidateAll() { std::fill(valid_.begin(), valid_.end(), 0); }

void Browser::invalidateRow(int r) {
  if (r >= 0 && r < static_cast<int>(valid_.size())) valid_[static_cast<size_t>(r)] = 0;
}

bool Browser::stable() const {
  return layoutValid_ && positioned_ && fixedValid_ &&
         std::all_of(valid_.begin(), valid_.end(), [](char v) { return v != 0; });
}

void Browser::reposition(int desiredRow) {
  // Count the rows around the current one (at most a page each way), then
  // keep the current row where it was unless that would leave the top short
  // of rows or the bottom empty while rows above could fill it.
  int span = dataRows_ - 1;
  int above = 0, below = 0;
  if (span > 0) {
    above = -src_.skip(-span);
    if (above != 0) src_.skip(above);
    below = src_.skip(span);
    if (below != 0) src_.skip(-below);
  }
  rowPos_ = std::max(0, std::min(above, std::max(desiredRow, span - below)));
  filled_ = rowPos_ + 1 + std::min(below, span - rowPos_);
  offset_ = 0;
  positioned_ = true;
  invalidateAll();
}

bool Browser::moveSourceTo(int row) {
  int delta = row - (rowPos_ + offset_);
  if (delta == 0) return true;
  int moved = src_.skip(delta);
  offset_ += moved;
  return moved == delta;
}

void Browser::drawSeparator(int row, const std::string& sep) {
  Screen& s = con_.screen();
  unsigned char fill = static_cast<unsigned char>(sep.back());
  unsigned char junction = static_cast<unsigned char>(sep.front());
  s.fill(row, left_, row, right_, fill, colours_.normal);
  for (size_t i = 1; i < visible_.size(); ++i) {
    int x = xs_[i] - sepWidth();
    for (int k = 0; k < sepWidth(); ++k)
      if (colSep_[static_cast<size_t>(k)] != ' ') s.set(row, x + k, Cell{junction, colours_.normal});
  }
}

void Browser::drawFixedRows() {
  Screen& s = con_.screen();
  auto textRow = [&](int row, bool heading) {
    s.clear(row, left_, row, right_, colours_.normal);
    for (size_t i = 0; i < visible_.size(); ++i) {
      const BrowseColumn& c = columns_[static_cast<size_t>(visible_[i] - 1)];
      std::string t = heading ? c.heading : c.footing;
      t.resize(static_cast<size_t>(widths_[static_cast<size_t>(visible_[i] - 1)]), ' ');
      s.write(row, xs_[i], t.substr(0, static_cast<size_t>(std::max(0, right_ - xs_[i] + 1))),
              colours_.normal);
    }
  };
  if (headRow_ >= 0) textRow(headRow_, true);
  if (headSepRow_ >= 0) drawSeparator(headSepRow_, headSep_);
  if (footSepRow_ >= 0) drawSeparator(footSepRow_, footSep_);
  if (footRow_ >= 0) textRow(footRow_, false);
  fixedValid_ = true;
}

void Browser::drawRow(int r) {
  Screen& s = con_.screen();
  const int y = screenRowOf(r);
  s.clear(y, left_, y, right_, colours_.normal);
  bool has = r < filled_;
  if (has && !moveSourceTo(r)) {
    // The source holds fewer rows than when they were counted.
    filled_ = std::min(filled_, r);
    has = false;
  }
  const bool phantom = has && src_.atEnd && src_.atEnd();
  const bool current = r == rowPos_ && highlight_;
  const bool wholeRow = current && (highlightRow_ || phantom);
  if (wholeRow && !visible_.empty()) {
    size_t last = visible_.size() - 1;
    int end = std::min(right_, xs_[last] + widths_[static_cast<size_t>(visible_[last] - 1)] - 1);
    s.paint(y, xs_.front(), end - xs_.front() + 1, colours_.current);
  }
  for (size_t i = 0; i < visible_.size(); ++i) {
    const BrowseColumn& c = columns_[static_cast<size_t>(visible_[i] - 1)];
    const int x = xs_[i];
    const int w = std::min(widths_[static_cast<size_t>(visible_[i] - 1)], right_ - x + 1);
    if (i > 0) {
      std::string sep = colSep_;
      sep.resize(static_cast<size_t>(std::max(0, std::min(sepWidth(), right_ - (x - sepWidth()) + 1))));
      if (wholeRow)
        s.write(y, x - sepWidth(), sep, colours_.current);
      else
        s.write(y, x - sepWidth(), sep, colours_.normal);
    }
    if (w <= 0) continue;
    std::string text;
    CellColours cc = colours_;
    if (has && !phantom) {
      if (c.cell) text = c.cell();
      if (c.colour) cc = c.colour(colours_);
    }
    text.resize(static_cast<size_t>(w), ' ');
    bool hi = current && (wholeRow || visible_[i] == colPos_);
    s.write(y, x, text, hi ? cc.current : cc.normal);
  }
}

// ---------------------------------------------------------------------------
// Drawing

bool Browser::stabilize() {
  if (!layoutValid_) layout();
  if (!positioned_) reposition(rowPos_);
  if (!fixedValid_) drawFixedRows();
  bool complete = true;
  if (!valid_[static_cast<size_t>(rowPos_)]) {
    drawRow(rowPos_);
    valid_[static_cast<size_t>(rowPos_)] = 1;
  }
  for (int r = 0; r < dataRows_; ++r) {
    if (valid_[static_cast<size_t>(r)]) continue;
    if (con_.keyWaiting()) {
      complete = false;
      break;
    }
    drawRow(r);
    valid_[static_cast<size_t>(r)] = 1;
  }
  moveSourceTo(rowPos_);
  return complete;
}

void Browser::forceStable() {
  if (!layoutValid_) layout();
  if (!positioned_) reposition(rowPos_);
  if (!fixedValid_) drawFixedRows();
  for (int r = 0; r < dataRows_; ++r)
    if (!valid_[static_cast<size_t>(r)]) {
      drawRow(r);
      valid_[static_cast<size_t>(r)] = 1;
    }
  moveSourceTo(rowPos_);
}

void Browser::refreshAll() {
  layout();  // headings, widths or footings may have changed too
  reposition(rowPos_);
}

void Browser::refreshCurrent() { invalidateRow(rowPos_); }

// ---------------------------------------------------------------------------
// Movements

void Browser::down() {
  if (!layoutValid_) layout();
  if (!positioned_) reposition(rowPos_);
  hitTop_ = hitBottom_ = false;
  if (src_.skip(1) == 0) {
    hitBottom_ = true;
    return;
  }
  invalidateRow(rowPos_);
  if (rowPos_ == dataRows_ - 1) {
    con_.screen().scroll(dataTop_, left_, dataTop_ + dataRows_ - 1, right_, 1, colours_.normal);
    std::rotate(valid_.begin(), valid_.begin() + 1, valid_.end());
    valid_.back() = 0;
    filled_ = dataRows_;
  } else {
    ++rowPos_;
    filled_ = std::max(filled_, rowPos_ + 1);
  }
  invalidateRow(rowPos_);
}

void Browser::up() {
  if (!layoutValid_) layout();
  if (!positioned_) reposition(rowPos_);
  hitTop_ = hitBottom_ = false;
  if (src_.skip(-1) == 0) {
    hitTop_ = true;
    return;
  }
  invalidateRow(rowPos_);
  if (rowPos_ == 0) {
    con_.screen().scroll(dataTop_, left_, dataTop_ + dataRows_ - 1, right_, -1, colours_.normal);
    std::rotate(valid_.rbegin(), valid_.rbegin() + 1, valid_.rend());
    valid_.front() = 0;
    filled_ = std::min(dataRows_, filled_ + 1);
  } else {
    --rowPos_;
  }
  invalidateRow(rowPos_);
}

void Browser::pageDown() {
  if (!layoutValid_) layout();
  if (!positioned_) reposition(rowPos_);
  hitTop_ = hitBottom_ = false;
  if (src_.skip(dataRows_) == 0) {
    hitBottom_ = true;
    return;
  }
  reposition(rowPos_);
}

void Browser::pageUp() {
  if (!layoutValid_) layout();
  if (!positioned_) reposition(rowPos_);
  hitTop_ = hitBottom_ = false;
  if (src_.skip(-dataRows_) == 0) {
    hitTop_ = true;
    return;
  }
  reposition(rowPos_);
}

void Browser::goTop() {
  if (!layoutValid_) layout();
  hitTop_ = hitBottom_ = false;
  src_.goTop();
  reposition(0);
}

void Browser::goBottom() {
  if (!layoutValid_) layout();
  hitTop_ = hitBottom_ = false;
  src_.goBottom();
  reposition(dataRows_ - 1);
}

void Browser::setColPos(int c) {
  if (!layoutValid_) layout();
  invalidateRow(rowPos_);
  colPos_ = std::clamp(c, 1, std::max(1, columnCount()));
  ensureVisible();
}

void Browser::left() {
  if (colPos_ > 1) setColPos(colPos_ - 1);
}

void Browser::right() {
  if (colPos_ < columnCount()) setColPos(colPos_ + 1);
}

void Browser::home() {
  if (!layoutValid_) layout();
  if (!visible_.empty()) setColPos(visible_.front());
}

void Browser::end() {
  if (!layoutValid_) layout();
  if (!visible_.empty()) setColPos(visible_.back());
}

void Browser::panLeft() {
  if (!layoutValid_) layout();
  if (leftCol_ <= freeze_ + 1) return;
  --leftCol_;
  std::vector<int> before = visible_;
  placeColumns();
  // The cursor stays on screen: a panned column that fell off the right
  // gives way to the last one shown.
  if (!isVisible(colPos_)) colPos_ = visible_.back();
  if (visible_ != before) {
    fixedValid_ = false;
    invalidateAll();
  }
}

void Browser::panRight() {
  if (!layoutValid_) layout();
  if (visible_.empty() || visible_.back() >= columnCount()) return;
  ++leftCol_;
  if (colPos_ > freeze_ && colPos_ < leftCol_) colPos_ = leftCol_;
  ensureVisible();
  invalidateRow(rowPos_);
}

void Browser::panHome() {
  if (!layoutValid_) layout();
  leftCol_ = freeze_ + 1;
  setColPos(1);
  ensureVisible();
}

void Browser::panEnd() { setColPos(columnCount()); }

bool Browser::applyKey(int k) {
  switch (k) {
    case key::kUp: up(); return true;
    case key::kDown: down(); return true;
    case key::kPgUp: pageUp(); return true;
    case key::kPgDn: pageDown(); return true;
    case key::kCtrlPgUp: goTop(); return true;
    case key::kCtrlPgDn: goBottom(); return true;
    case key::kLeft: left(); return true;
    case key::kRight: right(); return true;
    case key::kHome: home(); return true;
    case key::kEnd: end(); return true;
    case key::kCtrlLeft: panLeft(); return true;
    case key::kCtrlRight: panRight(); return true;
    case key::kCtrlHome: panHome(); return true;
    case key::kCtrlEnd: panEnd(); return true;
    case key::kMouseLeft: {
      if (!layoutValid_) layout();
      if (!positioned_) reposition(rowPos_);
      int r = con_.mouseRow() - dataTop_, x = con_.mouseCol();
      if (r < 0 || r >= filled_ || x < left_ || x > right_) return false;
      hitTop_ = hitBottom_ = false;
      int moved = src_.skip(r - rowPos_);
      invalidateRow(rowPos_);
      rowPos_ += moved;
      invalidateRow(rowPos_);
      for (size_t i = 0; i < visible_.size(); ++i)
        if (x >= xs_[i] && x < xs_[i] + widths_[static_cast<size_t>(visible_[i] - 1)])
          setColPos(visible_[i]);
      return true;
    }
    default: return false;
  }
}

int runBrowser(Browser& b, const std::function<BrowseKeyAnswer(Browser&, int)>& onKey,
               Console& con) {
  const bool cursor = con.cursorVisible();
  con.showCursor(false);
  int k = key::kEsc;
  for (;;) {
    b.stabilize();
    k = con.waitKey();
    BrowseKeyAnswer a = onKey ? onKey(b, k) : BrowseKeyAnswer::kNotHandled;
    if (a == BrowseKeyAnswer::kExit) break;
    if (a == BrowseKeyAnswer::kHandled) continue;
    if (b.applyKey(k)) continue;
    if (k == key::kEsc || k == key::kEnter) break;
  }
  con.showCursor(cursor);
  return k;
}

}  // namespace zel
