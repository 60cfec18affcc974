#include "platform/widgets/text_viewer.h"

#include <vector>

#include "widgets/widget_fixture.h"

namespace zel {
namespace {

using Lines = std::vector<std::string>;

TEST(TextLinesTest, SplitsOnCrLfAndLf) {
  struct Case {
    const char* name;
    std::string text;
    bool join;
    Lines expected;
  } cases[] = {
      {"empty text has no lines", "", false, {}},
      {"crlf and lf", "um\r\ndois\ntres", false, {"um", "dois", "tres"}},
      {"trailing line end adds nothing", "um\r\n", false, {"um"}},
      {"blank lines kept", "um\n\n\ntres\n", false, {"um", "", "", "tres"}},
      {"lone cr is kept as a byte", "a\rb", false, {"a\rb"}},
      {"soft break as a line end", "abc \x8D\ndef", false, {"abc ", "def"}},
      {"soft break joined", "abc \x8D\ndef\r\nx", true, {"abc def", "x"}},
      {"tabs to the next multiple of four", "a\tb\t\tc", false, {"a   b       c"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(splitLines(c.text, c.join), c.expected);
  }
}

TEST(TextLinesTest, WrapsAtBlanksOrHardAtTheWidth) {
  struct Case {
    std::string line;
    int width;
    Lines expected;
  } cases[] = {
      {"", 10, {""}},
      {"exatamente", 10, {"exatamente"}},
      {"duas palavras", 10, {"duas", "palavras"}},
      {"um dois tres quatro", 8, {"um dois", "tres", "quatro"}},
      {"abcdefghijkl mn", 5, {"abcde", "fghij", "kl mn"}},
      {"a  b", 2, {"a ", "b"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    EXPECT_EQ(wrapLine(c.line, c.width), c.expected);
  }
  // The help box counts its rows this way: 5 lines at 52 columns.
  std::string para(60, 'x');
  para[40] = ' ';
  EXPECT_EQ(wrapText("um\r\n" + para + "\r\ndois\r\n\r\n", 52).size(), 5u);
}

class TextViewerTest : public WidgetTest {
 protected:
  // Twelve lines; the third is 30 wide.
  std::string text() const {
    std::string t;
    for (int i = 1; i <= 12; ++i) {
      std::string l = "linha " + std::string(i < 10 ? "0" : "") + std::to_string(i);
      if (i == 3) l += std::string(22, '-');
      t += l + "\r\n";
    }
    return t;
  }
  const TextViewer::Rect rect{2, 1, 6, 20};  // 5 rows of 20
};

TEST_F(TextViewerTest, ScrollKeys) {
  struct Case {
    const char* name;
    std::vector<int> keys;
    int top, left;
  } cases[] = {
      {"down", {key::kDown}, 1, 0},
      {"down stops at the last page", std::vector<int>(10, key::kDown), 7, 0},
      {"up stops at the top", {key::kUp}, 0, 0},
      {"page down", {key::kPgDn}, 5, 0},
      {"page down twice stops at the last page", {key::kPgDn, key::kPgDn}, 7, 0},
      {"page up after page down", {key::kPgDn, key::kPgUp}, 0, 0},
      {"ctrl pgdn and ctrl pgup", {key::kCtrlPgDn}, 7, 0},
      {"ctrl end then ctrl home", {key::kCtrlEnd, key::kCtrlHome}, 0, 0},
      {"right pans", {key::kRight}, 0, 1},
      {"end pans to the longest line's end", {key::kEnd, key::kRight}, 0, 10},
      {"end then left", {key::kEnd, key::kLeft}, 0, 9},
      {"home", {key::kEnd, key::kHome}, 0, 0},
      {"left stops at the edge", {key::kLeft}, 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TextViewer v(text(), rect, {false, {}}, *con);
    for (int k : c.keys) backend->push(k);
    backend->push(key::kEsc);
    EXPECT_EQ(v.run(), key::kEsc);
    EXPECT_EQ(v.topLine(), c.top);
    EXPECT_EQ(v.leftColumn(), c.left);
  }
}

TEST_F(TextViewerTest, DrawsTheVisiblePartInTheStandardColour) {
  fillScreen('.', 0x07);
  con->setColour("W+/B");
  TextViewer v(text(), rect, {false, {}}, *con);
  backend->push({key::kPgDn, key::kPgDn, kSnap, key::kCtrlHome, key::kEnd, kSnap, key::kEsc});
  v.run();
  ASSERT_EQ(shots.size(), 2u);
  snap = shots[0];
  // Last page: lines 8 to 12 in rows 2 to 6.
  EXPECT_EQ(snapText(2, 0, 22), ".linha 08            .");
  EXPECT_EQ(snapText(6, 0, 22), ".linha 12            .");
  EXPECT_EQ(snapText(7, 0, 3), "...");
  EXPECT_EQ(snap.at(2, 1).attr, pair("W+/B"));
  EXPECT_EQ(snap.at(2, 20).attr, pair("W+/B"));
  EXPECT_EQ(snap.at(2, 21).attr, 0x07);
  // Panned to the right edge on the first page.
  snap = shots[1];
  EXPECT_EQ(snapText(2, 1, 20), std::string(20, ' '));
  EXPECT_EQ(snapText(4, 1, 20), std::string(20, '-'));

  // With wrapping, and an explicit colour.
  TextViewer w("palavras que passam da largura do quadro", rect, {true, 0x4E}, *con);
  ASSERT_EQ(w.lines(), (Lines{"palavras que passam", "da largura do quadro"}));
  backend->push({kSnap, key::kEsc});
  w.run();
  EXPECT_EQ(snapText(3, 1, 20), "da largura do quadro");
  EXPECT_EQ(snapText(4, 1, 20), std::string(20, ' '));
  EXPECT_EQ(snap.at(3, 1).attr, 0x4E);
}

TEST_F(TextViewerTest, HookSeesUnhandledKeysAndMayLeave) {
  TextViewer v(text(), rect, {false, {}}, *con);
  struct Seen {
    int key, line, column;
  };
  std::vector<Seen> seen;
  auto hook = [&](int k, int line, int column) {
    seen.push_back({k, line, column});
    // A hook that draws: the viewer puts its text back afterwards.
    if (k == key::kAltP) con->screen().write(2, 1, "XXXX", 0x07);
    return k == 'q' ? TextViewer::HookAnswer::kLeave : TextViewer::HookAnswer::kContinue;
  };
  backend->push({key::kDown, key::kRight, key::kAltP, key::kDown, 'q', 'z'});
  EXPECT_EQ(v.run(hook), 'q');
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0].key, key::kAltP);
  EXPECT_EQ(seen[0].line, 1);
  EXPECT_EQ(seen[0].column, 1);
  EXPECT_EQ(seen[1].key, 'q');
  EXPECT_EQ(seen[1].line, 2);
  EXPECT_EQ(backend->pending(), 1u);  // 'z' not read
  EXPECT_EQ(liveText(2, 1, 8), "inha 03-");
}

}  // namespace
}  // namespace zel
