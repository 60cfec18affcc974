#include "platform/widgets/browser.h"

#include <algorithm>
#include <vector>

#include "widgets/widget_fixture.h"

namespace zel {
namespace {

// Rows in memory with a current row, as a table with a record pointer.
struct Rows {
  std::vector<std::string> names;
  int cur = 0;
  bool append = false;  // one blank row past the last one

  explicit Rows(int n) {
    for (int i = 1; i <= n; ++i) names.push_back((i < 10 ? "r0" : "r") + std::to_string(i));
  }
  int last() const { return static_cast<int>(names.size()) - 1 + (append ? 1 : 0); }
  bool atEnd() const { return cur >= static_cast<int>(names.size()); }
  std::string name() const { return atEnd() ? std::string("???") : names[static_cast<size_t>(cur)]; }
  BrowseSource source() {
    return {[this](int n) {
              if (last() < 0) return 0;
              int to = std::clamp(cur + n, 0, last());
              int moved = to - cur;
              cur = to;
              return moved;
            },
            [this] { cur = 0; },
            [this] { cur = std::max(0, static_cast<int>(names.size()) - 1); },
            [this] { return atEnd(); }};
  }
};

class BrowserTest : public WidgetTest {
 protected:
  static constexpr Attr kNormal = 0x1E, kCurrent = 0x70;

  // Rectangle rows 5-12, columns 10-40: heading 5, separator 6, data rows
  // 7-10, separator 11, footing 12. "Num" at 10-12, "│" at 13, "Nome" at 14-21.
  std::unique_ptr<Browser> make(Rows& rows) {
    auto b = std::make_unique<Browser>(5, 10, 12, 40, rows.source(), *con);
    b->addColumn({"Num", [&rows] { return rows.name(); }, 3, {}, ""});
    b->addColumn({"Nome", [&rows] { return "nome" + rows.name().substr(1); }, 8, {}, "20 reg."});
    b->setHeadSep(std::string("┬─"_cp));
    b->setColSep(std::string("│"_cp));
    b->setFootSep(std::string("┴─"_cp));
    b->setColours({kNormal, kCurrent});
    return b;
  }
  // The "Num" texts of the four data rows.
  std::vector<std::string> shown() const {
    std::vector<std::string> out;
    for (int r = 7; r <= 10; ++r) out.push_back(liveText(r, 10, 3));
    return out;
  }
};

TEST_F(BrowserTest, DrawsHeadingsSeparatorsRowsAndHighlight) {
  fillScreen('.', 0x07);
  Rows rows(20);
  auto b = make(rows);
  EXPECT_TRUE(b->stabilize());

  EXPECT_EQ(liveText(5, 9, 33), ".Num Nome" + std::string(23, ' ') + ".");
  EXPECT_EQ(liveText(6, 10, 5), "───┬─"_cp);
  EXPECT_EQ(liveText(6, 40, 2), "─."_cp);
  EXPECT_EQ(liveText(7, 10, 13), "r01│nome01   "_cp);
  EXPECT_EQ(liveText(10, 10, 12), "r04│nome04  "_cp);
  EXPECT_EQ(liveText(11, 10, 5), "───┴─"_cp);
  EXPECT_EQ(liveText(12, 10, 12), "    20 reg. ");
  EXPECT_EQ(liveText(13, 10, 3), "...");

  EXPECT_EQ(con->screen().at(7, 10).attr, kCurrent);
  EXPECT_EQ(con->screen().at(7, 12).attr, kCurrent);
  EXPECT_EQ(con->screen().at(7, 13).attr, kNormal);
  EXPECT_EQ(con->screen().at(7, 14).attr, kNormal);
  EXPECT_EQ(con->screen().at(8, 10).attr, kNormal);

  b->right();
  EXPECT_TRUE(b->stabilize());
  EXPECT_EQ(con->screen().at(7, 10).attr, kNormal);
  EXPECT_EQ(con->screen().at(7, 14).attr, kCurrent);
  EXPECT_EQ(con->screen().at(7, 21).attr, kCurrent);
  EXPECT_EQ(b->cellRow(), 7);
  EXPECT_EQ(b->cellCol(), 14);
  EXPECT_EQ(b->cellWidth(), 8);

  b->setHighlightRow(true);
  b->stabilize();
  EXPECT_EQ(con->screen().at(7, 10).attr, kCurrent);
  EXPECT_EQ(con->screen().at(7, 13).attr, kCurrent);

  b->setHighlight(false);
  b->stabilize();
  EXPECT_EQ(con->screen().at(7, 10).attr, kNormal);
  EXPECT_EQ(con->screen().at(7, 14).attr, kNormal);
}

TEST_F(BrowserTest, MovementKeys) {
  struct Case {
    const char* name;
    std::vector<int> keys;
    int cur;       // 0-based source row
    int rowPos;    // 1-based screen row
    std::string top;
    bool hitTop, hitBottom;
  } cases[] = {
      {"down", {key::kDown}, 1, 2, "r01", false, false},
      {"down past the last screen row scrolls", std::vector<int>(4, key::kDown), 4, 4, "r02", false, false},
      {"up at the top", {key::kUp}, 0, 1, "r01", true, false},
      {"up past the first screen row scrolls",
       {key::kDown, key::kDown, key::kDown, key::kDown, key::kDown, key::kUp, key::kUp, key::kUp, key::kUp},
       1, 1, "r02", false, false},
      {"page down keeps the screen row", {key::kPgDn}, 4, 1, "r05", false, false},
      {"page down near the end fills the page", std::vector<int>(5, key::kPgDn), 19, 4, "r17", false, false},
      {"page down at the end", std::vector<int>(6, key::kPgDn), 19, 4, "r17", false, true},
      {"ctrl pgdn: last row at the bottom", {key::kCtrlPgDn}, 19, 4, "r17", false, false},
      {"down at the bottom", {key::kCtrlPgDn, key::kDown}, 19, 4, "r17", false, true},
      {"ctrl pgup", {key::kCtrlPgDn, key::kCtrlPgUp}, 0, 1, "r01", false, false},
      {"page up keeps the screen row", {key::kCtrlPgDn, key::kPgUp}, 15, 4, "r13", false, false},
      {"page up near the top", {key::kDown, key::kDown, key::kPgUp}, 0, 1, "r01", false, false},
      {"page up at the top", {key::kPgUp}, 0, 1, "r01", true, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Rows rows(20);
    auto b = make(rows);
    b->stabilize();
    for (int k : c.keys) {
      EXPECT_TRUE(b->applyKey(k));
      EXPECT_TRUE(b->stabilize());
    }
    EXPECT_EQ(rows.cur, c.cur);
    EXPECT_EQ(b->rowPos(), c.rowPos);
    EXPECT_EQ(b->hitTop(), c.hitTop);
    EXPECT_EQ(b->hitBottom(), c.hitBottom);
    // Every data row shows its record, the scrolled ones included.
    int first = std::stoi(c.top.substr(1));
    for (int r = 0; r < 4; ++r) {
      std::string want = first + r <= 20 ? rows.names[static_cast<size_t>(first + r - 1)] : "   ";
      EXPECT_EQ(shown()[static_cast<size_t>(r)], want) << "row " << r;
      EXPECT_EQ(con->screen().at(7 + r, 10).attr, r + 1 == c.rowPos ? kCurrent : kNormal) << r;
    }
  }
}

TEST_F(BrowserTest, RedrawStopsWhileAKeyIsWaiting) {
  Rows rows(20);
  auto b = make(rows);
  ASSERT_TRUE(b->stabilize());
  b->down();
  ASSERT_TRUE(b->stabilize());

  for (auto& n : rows.names) n[0] = 'R';
  b->refreshAll();
  backend->push('z');
  EXPECT_FALSE(b->stabilize());
  EXPECT_FALSE(b->stable());
  // The current row comes first; the others wait. The source is back on the
  // current row for the caller.
  EXPECT_EQ(shown(), (std::vector<std::string>{"r01", "R02", "r03", "r04"}));
  EXPECT_EQ(rows.cur, 1);

  EXPECT_EQ(con->inkey(), 'z');
  EXPECT_TRUE(b->stabilize());
  EXPECT_TRUE(b->stable());
  EXPECT_EQ(shown(), (std::vector<std::string>{"R01", "R02", "R03", "R04"}));
  EXPECT_EQ(rows.cur, 1);
}

TEST_F(BrowserTest, FrozenColumnsStayWhileOthersPan) {
  Rows rows(3);
  // Six columns of 6 in 20 cells: three fit ("│" between them).
  Browser b(0, 0, 3, 19, rows.source(), *con);
  for (int i = 1; i <= 6; ++i)
    b.addColumn({"c" + std::to_string(i), [&rows, i] { return rows.name() + "-" + std::to_string(i); }, 6, {}, ""});
  b.setColSep(std::string("│"_cp));
  b.setFreeze(1);

  struct Case {
    const char* name;
    std::vector<int> keys;
    int col;
    std::string heading;
  } cases[] = {
      {"start", {}, 1, "c1     c2     c3    "},
      {"right within the screen", {key::kRight, key::kRight}, 3, "c1     c2     c3    "},
      {"right past the edge pans", {key::kRight, key::kRight, key::kRight}, 4, "c1     c3     c4    "},
      {"ctrl end", {key::kCtrlEnd}, 6, "c1     c5     c6    "},
      {"ctrl home", {key::kCtrlEnd, key::kCtrlHome}, 1, "c1     c2     c3    "},
      {"left back into the panned part", {key::kCtrlEnd, key::kLeft, key::kLeft, key::kLeft},
       3, "c1     c3     c4    "},
      {"left into the frozen column", {key::kCtrlEnd, key::kHome}, 1, "c1     c5     c6    "},
      {"end: rightmost on screen", {key::kEnd}, 3, "c1     c2     c3    "},
      {"pan right keeps a frozen cursor", {key::kCtrlRight}, 1, "c1     c3     c4    "},
      {"pan right moves a cursor that falls off", {key::kRight, key::kCtrlRight}, 3, "c1     c3     c4    "},
      {"pan left moves a cursor that falls off", {key::kCtrlEnd, key::kCtrlLeft}, 5, "c1     c4     c5    "},
      {"pan stops at the ends", {key::kCtrlLeft, key::kCtrlEnd, key::kCtrlRight}, 6, "c1     c5     c6    "},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    b.panHome();
    for (int k : c.keys) b.applyKey(k);
    EXPECT_TRUE(b.stabilize());
    EXPECT_EQ(b.colPos(), c.col);
    EXPECT_EQ(liveText(0, 0, 20), c.heading);
    EXPECT_TRUE(b.isVisible(c.col));
    // The cells under the headings belong to their columns.
    EXPECT_EQ(liveText(1, 0, 4), "r01-");
    EXPECT_EQ(liveText(1, 14, 5), "r01-" + c.heading.substr(15, 1));
    EXPECT_EQ(con->screen().at(1, b.cellCol()).attr, b.colours().current);
  }
}

TEST_F(BrowserTest, AppendRowIsBlankAndHighlightedAsAWhole) {
  Rows rows(3);
  rows.append = true;
  auto b = make(rows);
  b->stabilize();
  for (int i = 0; i < 3; ++i) b->down();
  EXPECT_TRUE(b->stabilize());
  EXPECT_TRUE(rows.atEnd());
  EXPECT_EQ(b->rowPos(), 4);
  EXPECT_EQ(liveText(10, 10, 12), "   │        "_cp);
  for (int c = 10; c <= 21; ++c) EXPECT_EQ(con->screen().at(10, c).attr, kCurrent) << c;
  EXPECT_EQ(con->screen().at(9, 10).attr, kNormal);
  b->down();
  EXPECT_TRUE(b->hitBottom());

  // An empty list starts on the blank row.
  Rows none(0);
  none.append = true;
  auto e = make(none);
  EXPECT_TRUE(e->stabilize());
  EXPECT_EQ(e->filledRows(), 1);
  EXPECT_EQ(liveText(7, 10, 3), "   ");
  EXPECT_EQ(con->screen().at(7, 14).attr, kCurrent);
  EXPECT_EQ(con->screen().at(8, 10).attr, kNormal);
}

TEST_F(BrowserTest, ColumnColourCallbackPaintsItsCells) {
  Rows rows(4);
  rows.names[1] = "neg";
  auto b = make(rows);
  b->column(1).colour = [&rows](const CellColours& d) {
    return rows.name() == "neg" ? CellColours{0x4E, 0x4F} : d;
  };
  b->stabilize();
  EXPECT_EQ(con->screen().at(8, 10).attr, 0x4E);
  EXPECT_EQ(con->screen().at(8, 14).attr, kNormal);
  EXPECT_EQ(con->screen().at(9, 10).attr, kNormal);
  b->down();
  b->stabilize();
  EXPECT_EQ(con->screen().at(8, 10).attr, 0x4F);
  EXPECT_EQ(con->screen().at(7, 10).attr, kNormal);
}

TEST_F(BrowserTest, RefreshAllShowsTheSourceAsItIsNow) {
  Rows rows(20);
  auto b = make(rows);
  b->goBottom();
  b->stabilize();
  rows.names.resize(10);
  rows.cur = 9;
  b->column(2).footing = "10 reg.";
  b->refreshAll();
  EXPECT_TRUE(b->stabilize());
  EXPECT_EQ(shown(), (std::vector<std::string>{"r07", "r08", "r09", "r10"}));
  EXPECT_EQ(liveText(12, 14, 8), "10 reg. ");
  EXPECT_EQ(b->rowPos(), 4);

  rows.names.resize(2);
  rows.cur = 1;
  b->refreshAll();
  EXPECT_TRUE(b->stabilize());
  EXPECT_EQ(shown(), (std::vector<std::string>{"r01", "r02", "   ", "   "}));
  EXPECT_EQ(b->rowPos(), 2);
  EXPECT_EQ(b->filledRows(), 2);
}

TEST_F(BrowserTest, MouseClickMovesToTheCell) {
  Rows rows(20);
  auto b = make(rows);
  b->stabilize();
  backend->pushClick(9, 16);
  ASSERT_EQ(con->inkey(), key::kMouseLeft);
  EXPECT_TRUE(b->applyKey(key::kMouseLeft));
  EXPECT_EQ(rows.cur, 2);
  EXPECT_EQ(b->colPos(), 2);
  backend->pushClick(5, 16);  // the heading row
  ASSERT_EQ(con->inkey(), key::kMouseLeft);
  EXPECT_FALSE(b->applyKey(key::kMouseLeft));
  EXPECT_EQ(rows.cur, 2);
}

TEST_F(BrowserTest, DefaultLoopForLookupLists) {
  struct Case {
    const char* name;
    std::vector<int> keys;
    int ends;
    int cur;
    int handled;
  } cases[] = {
      {"enter ends", {key::kDown, key::kEnter}, key::kEnter, 1, 0},
      {"esc ends", {key::kCtrlPgDn, key::kEsc}, key::kEsc, 19, 0},
      {"caller's exit key", {key::kDown, key::kDown, 'x'}, 'x', 2, 0},
      {"caller's handled key goes on", {'h', key::kDown, 'h', key::kEnter}, key::kEnter, 1, 2},
      {"unknown keys are ignored", {key::kF5, 'q', key::kEnter}, key::kEnter, 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Rows rows(20);
    auto b = make(rows);
    int handled = 0;
    bool cursorInLoop = true;
    con->showCursor(true);
    for (int k : c.keys) backend->push(k);
    int got = runBrowser(
        *b,
        [&](Browser&, int k) {
          if (k == 'x') return BrowseKeyAnswer::kExit;
          if (k == 'h') {
            ++handled;
            cursorInLoop = con->cursorVisible();
            return BrowseKeyAnswer::kHandled;
          }
          return BrowseKeyAnswer::kNotHandled;
        },
        *con);
    EXPECT_EQ(got, c.ends);
    EXPECT_EQ(rows.cur, c.cur);
    EXPECT_EQ(handled, c.handled);
    EXPECT_EQ(backend->pending(), 0u);
    EXPECT_EQ(cursorInLoop, c.handled == 0);
    EXPECT_TRUE(con->cursorVisible());
  }
}

}  // namespace
}  // namespace zel
