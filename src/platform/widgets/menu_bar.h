// Menu bar: titles on one screen row, each with a pull-down list of items.
//
// The program's menu tree is data fed in by the shell; this file only knows
// how a bar is drawn and driven. Captions are CP850 text in which "&" marks
// the hot letter that follows it (" Atividade no &Brasil "); an item whose
// caption is "─" is a separator line.
//
// Keys while the bar runs:
//   - an item's shortcut key runs that item from anywhere on the bar; a
//     shortcut wins over a title's Alt+hot letter when both are the same key;
//   - Alt+hot letter of a title opens its pull-down;
//   - at bar level: Left/Right move between titles, Enter/Down or the title's
//     hot letter open the pull-down, Esc makes run() return;
//   - in a pull-down: Up/Down (wrapping), Home/End, Left/Right open the
//     neighbouring pull-down, Enter or an item's hot letter runs the item,
//     Esc closes the pull-down (back to bar level);
//   - a left click on a title opens it, on an item runs it; a click elsewhere
//     closes an open pull-down.
// While an item is highlighted its status text fills the status row (row 24,
// columns 0-79) in the items' colour; the row is given back as it was when
// the pull-down closes. A pull-down saves the screen under it and restores
// it when it closes, before any item's callback runs.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/console/colour.h"
#include "platform/console/console.h"

namespace zel {

struct MenuItem;
using MenuAction = std::function<void(MenuItem&)>;

struct MenuItem {
  std::string caption;  // CP850; "&" before the hot letter; "─" for a separator
  int shortcut = 0;     // key code (keys.h) that runs the item directly; 0 for none
  std::string status;   // status-row text while highlighted
  int id = 0;
  MenuAction action;    // runs when the item is chosen; may change caption
  bool enabled = true;  // a disabled item is drawn but cannot be chosen

  bool isSeparator() const;
  // The caption as shown: without the "&" marker.
  std::string text() const;
  // The hot letter, upper case (CP850); 0 when the caption marks none.
  unsigned char hotLetter() const;
  // Column of the hot letter within text(); -1 when there is none.
  int hotIndex() const;
};

// A title of the bar with its pull-down.
struct PullDown {
  std::string title;  // "&" marks the hot letter, as in items
  std::vector<MenuItem> items;

  // Adds an item and returns it (references stay valid until the next add).
  MenuItem& add(std::string caption, int shortcut, std::string status, int id, MenuAction action);
  MenuItem& addSeparator();
};

// The six colours of a bar, from a colour string of six pairs separated by
// commas: items, selected item, hot letter, hot letter of the selected item,
// disabled item, frame. A missing or malformed pair keeps the default.
struct MenuColours {
  Attr item = 0x1E, selected = 0xC7, hot = 0x1F, hotSelected = 0x1F, disabled = 0x1F, frame = 0x1F;
  static MenuColours parse(std::string_view list);
};

// What run() ended with. item is null when the user left with Esc at bar
// level; otherwise the item whose callback has just run.
struct MenuChoice {
  int position = 1;          // title position (1-based) highlighted at the end
  MenuItem* item = nullptr;  // valid while the bar's item lists are unchanged
  int id() const { return item ? item->id : 0; }
};

class MenuBar {
 public:
  // The bar occupies `row` from column 0 to 79; the status row is 24.
  explicit MenuBar(std::string_view colours, int row = 0, Console& con = console());

  PullDown& addMenu(std::string title);
  int menuCount() const { return static_cast<int>(menus_.size()); }
  // 1-based position, as run() counts titles.
  PullDown& menu(int position) { return menus_.at(static_cast<size_t>(position - 1)); }
  MenuItem* findItem(int id);

  const MenuColours& colours() const { return colours_; }
  void setColours(std::string_view list) { colours_ = MenuColours::parse(list); }

  // Draws the bar with title `position` (1-based; 0 for none) highlighted.
  void drawBar(int position);

  // Runs the bar with title `position` highlighted (clamped to the titles);
  // with `openPullDown` its pull-down opens at once. Returns after a chosen
  // item's callback has run, or on Esc at bar level.
  MenuChoice run(int position, bool openPullDown = true);

  // Columns of title `position` on the bar: first and one past the last.
  int titleLeft(int position) const;
  int titleRight(int position) const;

 private:
  struct Open;  // geometry and saved screen of an open pull-down
  int titleAt(int col) const;
  int findTitleHot(int key) const;
  MenuItem* findShortcut(int key, int* position);
  void layout();
  void openPullDown(Open& o, int position);
  void closePullDown(Open& o);
  void drawPullDown(const Open& o, int highlighted);
  void showStatus(const MenuItem* item);
  int nextSelectable(int position, int from, int step) const;
  MenuChoice choose(Open& o, int position, MenuItem& item);

  Console& con_;
  int row_;
  MenuColours colours_;
  std::vector<PullDown> menus_;
  std::vector<int> titleCols_;  // first column of each title; one more for the end
  std::vector<Cell> savedStatus_;
  bool statusSaved_ = false;
  bool cursorBefore_ = true;
};

}  // namespace zel
