// Table browser: rows of a data source shown in columns inside a rectangle,
// with a highlighted current cell, headings, separators, frozen columns and
// horizontal panning.
//
// The browser owns no data and no key loop. The source is a set of callbacks
// over a "current row" that the browser moves with skip(); the column
// callbacks read that row. Between calls the source always stands on the
// browser's current row, so a caller may read or change it.
//
// A caller's key loop drives the browser through its movement calls (or
// applyKey), stabilize() to bring the screen up to date, and refreshAll() /
// refreshCurrent() after it changed data. Drawing is incremental: stabilize()
// draws the current row first and then the other stale rows, stopping as soon
// as a key is waiting, so that held-down keys are never blocked by a redraw.
// runBrowser() is a small loop for simple lookup lists.
//
// Layout of the rectangle, top to bottom: the heading row (when a column has
// a heading), the heading separator row (when one is set), the data rows, the
// footing separator row and the footing row (likewise). Columns are laid out
// from the left: the frozen ones always, then as many of the others as fit
// from the first one panned into view.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/console/colour.h"
#include "platform/console/console.h"

namespace zel {

struct BrowseSource {
  // Moves the current row n rows (backwards when negative) and returns how
  // many it really moved (fewer at either end; 0 at the top or bottom).
  // A source may let the cursor go one row past the last one (a blank new
  // row for appending) by counting that move.
  std::function<int(int n)> skip;
  std::function<void()> goTop;
  std::function<void()> goBottom;
  // Optional: true while the current row is that blank new row; it is drawn
  // blank and highlighted as a whole.
  std::function<bool()> atEnd;
};

struct CellColours {
  Attr normal = 0x07;   // rows
  Attr current = 0x70;  // the highlighted cell
};

struct BrowseColumn {
  std::string heading;  // CP850
  // Text of the column on the current row. Cut or padded to the width.
  std::function<std::string()> cell;
  // Cells of the column; 0 takes the widest of heading, footing and the
  // current row's text when the column is first laid out, and keeps it.
  int width = 0;
  // Optional colours of the cell on the current row; gets the browser's.
  std::function<CellColours(const CellColours&)> colour;
  std::string footing;
};

class Browser {
 public:
  // The rectangle (inclusive) the browser draws in.
  Browser(int top, int left, int bottom, int right, BrowseSource source,
          Console& con = console());

  // Columns are numbered from 1, as the cursor column is.
  void addColumn(BrowseColumn c);
  void clearColumns();
  int columnCount() const { return static_cast<int>(columns_.size()); }
  // A column may be changed in place; refreshAll() shows the change.
  BrowseColumn& column(int n) { return columns_.at(static_cast<size_t>(n - 1)); }

  // Separators, CP850. Heading and footing separators: one character fills
  // the row; with two, the first is the junction drawn under (or over) the
  // non-blank characters of the column separator and the second fills the
  // rest, as in "┬─". The column separator goes between columns on data
  // rows; headings and footings get blanks there.
  void setHeadSep(std::string s);
  void setColSep(std::string s);
  void setFootSep(std::string s);
  void setColours(CellColours c);
  const CellColours& colours() const { return colours_; }
  // Columns 1..n stay at the left while the others pan.
  void setFreeze(int n);
  int freeze() const { return freeze_; }
  // Highlight the whole current row instead of the current cell.
  void setHighlightRow(bool on);
  // Show or hide the highlight (a list shown only, without a cursor).
  void setHighlight(bool on);

  // Cursor: current column (1-based) and current screen row among the data
  // rows (1-based).
  int colPos() const { return colPos_; }
  void setColPos(int c);
  int rowPos() const { return rowPos_ + 1; }
  int rowCount() const { return dataRows_; }     // data rows in the rectangle
  int filledRows() const { return filled_; }     // rows that show a source row
  bool hitTop() const { return hitTop_; }        // the last move stopped at the top
  bool hitBottom() const { return hitBottom_; }  // ... or at the bottom
  bool stable() const;

  // Screen position and width of the current cell (for a cell editor).
  int cellRow() const;
  int cellCol() const;
  int cellWidth() const;
  // Whether column n is on screen.
  bool isVisible(int n) const;

  // Movements. Each moves the source at once; drawing waits for stabilize().
  void up();
  void down();
  void pageUp();
  void pageDown();
  void goTop();
  void goBottom();
  void left();
  void right();
  void home();      // leftmost column on screen
  void end();       // rightmost column on screen
  void panLeft();   // pan one column, keeping the cursor on screen
  void panRight();
  void panHome();   // first column
  void panEnd();    // last column
  // The browser's own keys: Up, Down, PgUp, PgDn, Ctrl+PgUp (top), Ctrl+PgDn
  // (bottom), Left, Right, Home, End, Ctrl+Left/Right (pan), Ctrl+Home/End
  // (first/last column) and a left click on a data cell. False for others.
  bool applyKey(int key);

  // The source changed or was moved by the caller: the row it stands on
  // becomes the current row, keeping its screen row where the rows around it
  // allow, and everything is drawn again.
  void refreshAll();
  // The current row changed: it is drawn again.
  void refreshCurrent();
  // Draws what is stale, current row first; stops early when a key is
  // waiting. True when the screen is complete.
  bool stabilize();
  // Draws everything stale regardless of waiting keys.
  void forceStable();

 private:
  int areaWidth() const { return right_ - left_ + 1; }
  void layout();
  void placeColumns();
  void ensureVisible();
  int sepWidth() const { return static_cast<int>(colSep_.size()); }
  void invalidateAll();
  void invalidateRow(int r);
  void reposition(int desiredRow);
  bool moveSourceTo(int row);
  void drawFixedRows();
  void drawSeparator(int row, const std::string& sep);
  void drawRow(int r);
  int screenRowOf(int r) const { return dataTop_ + r; }
  int visibleIndex(int n) const;  // index in visible_ or -1

  Console& con_;
  int top_, left_, bottom_, right_;
  BrowseSource src_;
  std::vector<BrowseColumn> columns_;
  std::vector<int> widths_;
  std::string headSep_, colSep_ = " ", footSep_;
  CellColours colours_;
  int freeze_ = 0;
  bool highlightRow_ = false;
  bool highlight_ = true;

  // Layout.
  bool layoutValid_ = false;
  bool fixedValid_ = false;
  int headRow_ = -1, headSepRow_ = -1, footSepRow_ = -1, footRow_ = -1;
  int dataTop_ = 0, dataRows_ = 1;
  int leftCol_ = 1;            // first panned column shown
  std::vector<int> visible_;   // column numbers shown, left to right
  std::vector<int> xs_;        // their screen columns

  // Cursor and rows.
  int colPos_ = 1;
  int rowPos_ = 0;             // 0-based data row of the current row
  int filled_ = 0;             // data rows showing a source row
  int offset_ = 0;             // source displacement from the current row while drawing
  bool hitTop_ = false, hitBottom_ = false;
  bool positioned_ = false;
  std::vector<char> valid_;
};

// A key loop for simple lists. Each key goes to onKey first; keys it does
// not handle go to the browser; Esc and Enter that neither handles end the
// loop. The cursor is hidden meanwhile. Returns the key that ended it.
enum class BrowseKeyAnswer { kNotHandled, kHandled, kExit };
int runBrowser(Browser& b,
               const std::function<BrowseKeyAnswer(Browser&, int key)>& onKey = {},
               Console& con = console());

}  // namespace zel
