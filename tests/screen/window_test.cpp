#include <gtest/gtest.h>

#include <memory>

#include "platform/console/console.h"
#include "platform/sys/cp850.h"
#include "screen/console.h"

namespace zel {
namespace {

const unsigned char kShade = static_cast<unsigned char>("░"_cp[0]);

// Every test draws on a fresh headless console with no windows defined.
class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    old_ = setConsole(std::make_unique<Console>(std::make_unique<HeadlessBackend>()));
    resetScreenState();
  }
  void TearDown() override {
    resetScreenState();
    setConsole(std::move(old_));
  }
  Screen& screen() { return console().screen(); }
  std::string text(int row, int col, int len) { return screen().rowText(row).substr(col, len); }
  int attr(int row, int col) { return screen().at(row, col).attr; }
  // Marks the whole screen so that what a window leaves behind shows.
  void paper() { screen().fill(0, 0, 24, 79, '.', 0x07); }

  std::unique_ptr<Console> old_;
};

TEST_F(WindowTest, ColourStringsOfAttributes) {
  EXPECT_EQ(ACHACOR(30), "GR+/B");
  EXPECT_EQ(ACHACOR(159), "W+/B+");
  EXPECT_EQ(ACHACOR(48), "N/BG");
}

TEST_F(WindowTest, RepeatMarkersExpand) {
  struct Case {
    std::string in, out;
  };
  const std::string R3 = REP(3), R0 = REP(0);
  const Case cases[] = {
      {R3 + "a", "aaa"},
      {"x" + R3 + "-y" + R3 + "-z", "x---y---z"},  // every occurrence at once
      {R3 + "a" + REP(2) + "b", "aaabb"},
      {"ab" + R0 + "c" + "d", "abd"},              // count 0 removes the marker
      {"ab" + std::string(1, kRepeat), "ab\x04"},  // marker at the last byte
      {"ab" + R3, "ab" + R3},                      // marker at the second-to-last byte
      {REP(200) + "=", std::string(200, '=')},
      {"\x02" + R3 + "a", "\x02" "aaa"},
      {"plain", "plain"},
  };
  for (const auto& c : cases) EXPECT_EQ(XREP(c.in), c.out);
  // Markers repeating the marker byte itself would expand for ever: left alone.
  const std::string odd = "\x04\x05\x04\x04\x04\x04";
  EXPECT_EQ(XREP(odd), odd);
}

TEST_F(WindowTest, DefinitionsAndRedefinitions) {
  REDEFJAN(3, 30, 31, 63, 2, 5, 6, 40, 7);
  ASSERT_NE(findWindow(3), nullptr);
  EXPECT_EQ(findWindow(3)->bottom, 10) << "a new shadowed window takes 4 rows more";
  EXPECT_EQ(findWindow(3)->colour1, "GR+/B");
  EXPECT_EQ(findWindow(3)->colour3, "W+/BG");
  ESCRJAN(3, "abc");
  EXPECT_EQ(findWindow(3)->text, "abc");

  REDEFJAN(3, 112, 15, 7, 2, 5, 6, 40, 7);
  EXPECT_EQ(findWindow(3)->bottom, 8) << "a redefinition takes 2";
  EXPECT_EQ(findWindow(3)->colour1, "N/W");
  EXPECT_EQ(findWindow(3)->text, "");
  DEFINEJAN(4, 48, 112, 7, 1, 5, 6, 12, 0);
  EXPECT_EQ(findWindow(4)->bottom, 6);
  EXPECT_EQ(screenState().windows.size(), 2u);

  REDEFJAN(10, 48, 112, 7, 1, 5, 6, 12, 0);
  REDFATR(0, 2, 79);
  EXPECT_EQ(findWindow(10)->colour2, "W+/R");
  REDFATR(4, 3, 159);
  EXPECT_EQ(findWindow(4)->colour3, "W+/B+");

  REDEFJAN(0, 48, 112, 7, 1, 5, 6, 12, 0);
  EXPECT_EQ(findWindow(0), nullptr) << "the message line has no definition";
}

TEST_F(WindowTest, UndefinedWindowsDoNothing) {
  paper();
  const std::string before = screen().text();
  ABREJAN(5);
  ESCRJAN(5, "hello");
  ESCRLCOL(5, 1, 1, "hello");
  ESCRATR(5, 1, 1, 112, 3);
  MOVEHOR(5, 0);
  FECHAJAN(5);
  REDFATR(5, 1, 30);
  EXPECT_EQ(screen().text(), before);
  EXPECT_TRUE(screenState().open.empty());
}

TEST_F(WindowTest, TextWrapsAtTheTextArea) {
  const std::string t25 = "ABCDEFGHIJKLMNOPQRSTUVWXY";
  paper();
  REDEFJAN(2, 30, 31, 63, 3, 10, 8, 19, 0);
  ESCRJAN(2, t25);
  EXPECT_EQ(text(3, 10, 11), "ABCDEFGHIJ.");
  EXPECT_EQ(text(4, 10, 11), "KLMNOPQRST.");
  EXPECT_EQ(text(5, 10, 11), "UVWXY......");
  EXPECT_EQ(attr(3, 10), 30);

  paper();
  REDEFJAN(2, 30, 31, 63, 3, 10, 8, 19, 1);
  ESCRJAN(2, t25);
  EXPECT_EQ(text(3, 10, 10), "ABCDEFGH..");
  EXPECT_EQ(text(4, 10, 10), "IJKLMNOP..");
  EXPECT_EQ(text(5, 10, 10), "QRSTUVWX..");
  EXPECT_EQ(text(6, 10, 10), "Y.........");
}

TEST_F(WindowTest, SwitchBytesAndRepeatsDrawInTheirColours) {
  paper();
  REDEFJAN(2, 30, 31, 63, 3, 10, 8, 40, 0);
  ESCRJAN(2, "\x02" + std::string("┌"_cp) + REP(16) + std::string("─┐"_cp) + "\x01" + "x" +
                 "\x03" + "y");
  const std::string expected = std::string("┌"_cp) + std::string(16, "─"_cp[0]) +
                               std::string("┐"_cp) + "xy";
  EXPECT_EQ(text(3, 10, 21), expected + ".");
  for (int c = 10; c <= 27; ++c) EXPECT_EQ(attr(3, c), 31) << c;
  EXPECT_EQ(attr(3, 28), 30);
  EXPECT_EQ(attr(3, 29), 63);
  EXPECT_EQ(findWindow(2)->text, expected);
  EXPECT_EQ(findWindow(2)->text.size(), 20u);

  // A marker left at the end is dropped when written, like a switch byte.
  paper();
  ESCRJAN(2, "ab" + REP(3));
  EXPECT_EQ(text(3, 10, 4), "ab..");
}

TEST_F(WindowTest, ShadowedWindowDrawsItsShadow) {
  paper();
  // Text rows of 10 columns: columns 10 to 19, the shadow in 20 and 21.
  REDEFJAN(6, 30, 31, 8, 5, 10, 6, 21, 7);
  ESCRJAN(6, std::string(30, 'x'));
  auto shaded = [&](int row, int col) { return screen().at(row, col).ch == kShade && attr(row, col) == 8; };
  EXPECT_FALSE(shaded(5, 20));
  EXPECT_FALSE(shaded(5, 21));
  for (int row : {6, 7}) {
    EXPECT_TRUE(shaded(row, 20)) << row;
    EXPECT_TRUE(shaded(row, 21)) << row;
  }
  EXPECT_FALSE(shaded(8, 10));
  for (int col = 11; col <= 21; ++col) EXPECT_TRUE(shaded(8, col)) << col;
  EXPECT_EQ(screen().at(8, 22).ch, '.');
  EXPECT_EQ(screen().at(9, 11).ch, '.');
  EXPECT_EQ(text(7, 10, 10), std::string(10, 'x'));
}

TEST_F(WindowTest, OpeningTwiceKeepsOneSavedRegion) {
  paper();
  REDEFJAN(4, 30, 31, 63, 3, 10, 8, 30, 2);
  ABREJAN(4);
  EXPECT_EQ(text(3, 10, 3), std::string("┌──"_cp));
  EXPECT_EQ(screen().at(8, 30).ch, static_cast<unsigned char>("┘"_cp[0]));
  EXPECT_EQ(attr(3, 10), 31);
  EXPECT_EQ(text(4, 11, 3), "...") << "the frame does not clear the inside";
  ESCRLCOL(4, 2, 2, "inside");
  ABREJAN(4);
  EXPECT_EQ(text(4, 11, 6), "......") << "reopening redraws over a clean background";
  EXPECT_EQ(screenState().open.size(), 1u);

  screen().fill(0, 0, 24, 79, '#', 0x07);  // what the window covers changes meanwhile
  FECHAJAN(4);
  for (int row = 3; row <= 8; ++row) EXPECT_EQ(text(row, 10, 21), std::string(21, '.')) << row;
  EXPECT_EQ(text(2, 10, 21), std::string(21, '#'));
  EXPECT_TRUE(screenState().open.empty());
  screen().fill(0, 0, 24, 79, '#', 0x07);
  FECHAJAN(4);  // no longer open: nothing comes back
  EXPECT_EQ(text(3, 10, 1), "#");
}

TEST_F(WindowTest, RegionsSavedByType) {
  struct Case {
    int type;
    int top, left, bottom, right;  // the region expected to come back
  };
  const Case cases[] = {{1, 2, 9, 8, 30}, {2, 3, 10, 8, 30}, {0, 3, 10, 8, 30}, {5, 3, 10, 8, 30}};
  for (const auto& c : cases) {
    resetScreenState();
    paper();
    REDEFJAN(4, 30, 31, 63, 3, 10, 8, 30, c.type);
    ABREJAN(4);
    screen().fill(0, 0, 24, 79, '#', 0x07);
    FECHAJAN(4);
    for (int row = 0; row < 25; ++row)
      for (int col = 0; col < 80; ++col) {
        bool inside = row >= c.top && row <= c.bottom && col >= c.left && col <= c.right;
        ASSERT_EQ(screen().at(row, col).ch, inside ? '.' : '#')
            << "type " << c.type << " at " << row << "," << col;
      }
  }
  // Type 1: the frame one cell up and left of the rectangle.
  resetScreenState();
  paper();
  REDEFJAN(4, 30, 31, 63, 3, 10, 8, 30, 1);
  ABREJAN(4);
  EXPECT_EQ(screen().at(2, 9).ch, static_cast<unsigned char>("┌"_cp[0]));
  EXPECT_EQ(screen().at(7, 29).ch, static_cast<unsigned char>("┘"_cp[0]));
  EXPECT_EQ(screen().at(8, 30).ch, '.');
}

TEST_F(WindowTest, ShadowedRegionTakesTheShadowIn) {
  paper();
  REDEFJAN(6, 30, 31, 8, 5, 10, 6, 21, 7);  // bottom becomes 10
  ABREJAN(6);
  ESCRJAN(6, std::string(40, 'x'));
  FECHAJAN(6);
  EXPECT_EQ(screen().text(), [] {
    Screen s;
    s.fill(0, 0, 24, 79, '.', 0x07);
    return s.text();
  }());
}

TEST_F(WindowTest, MessageLineUsesItsOwnColours) {
  screenState().COR_1_CLI = "W/N";
  screenState().COR_2_CLI = "N/W";
  screenState().COR_INI = "R/N";
  ESCRJAN(0, "ab\x02" "cd\x03" "e\x01" "f");
  EXPECT_EQ(text(24, 0, 7), "abcdef ");
  const int expected[] = {30, 30, 31, 31, 31, 30};
  for (int c = 0; c < 6; ++c) EXPECT_EQ(attr(24, c), expected[c]) << c;

  ESCRJAN(0, std::string(80, ' '));
  EXPECT_EQ(text(24, 0, 80), std::string(80, ' '));
  EXPECT_EQ(attr(24, 79), 30);

  // Placing text keeps the colours and lets switch bytes take a column.
  screen().paint(24, 0, 80, 0x4E);
  ESCRLCOL(0, 99, 5, "a\x01" "b");
  EXPECT_EQ(text(24, 4, 5), " a b ");
  EXPECT_EQ(attr(24, 5), 0x4E);
  EXPECT_EQ(attr(24, 7), 0x4E);

  // The terminal's configured colours survive screen writes.
  EXPECT_EQ(screenState().COR_1_CLI, "W/N");
  EXPECT_EQ(screenState().COR_2_CLI, "N/W");
  EXPECT_EQ(screenState().COR_INI, "R/N");
}

TEST_F(WindowTest, PlacingAndRepaintingInsideAWindow) {
  paper();
  screen().paint(0, 0, 80, 0x07);
  REDEFJAN(2, 30, 31, 63, 3, 10, 8, 19, 0);
  ESCRJAN(2, "0123456789abcdefghijKLMNOPQRST");
  ESCRLCOL(2, 2, 3, "\x02" "XY");
  EXPECT_EQ(text(4, 10, 10), "ab\x02XYfghij");
  EXPECT_EQ(attr(4, 13), 30) << "colours on screen kept";

  ESCRATR(2, 2, 3, 112, 4);  // stored text from position 10 x 1 + 3
  EXPECT_EQ(text(4, 12, 4), "cdef");
  for (int c = 12; c <= 15; ++c) EXPECT_EQ(attr(4, c), 112) << c;
  EXPECT_EQ(attr(4, 16), 30);

  // Framed types keep two columns for the edge: lines of right - left - 1.
  REDEFJAN(3, 30, 31, 63, 10, 10, 14, 19, 1);
  ESCRJAN(3, "01234567abcdefghKLMNOPQR");
  ESCRATR(3, 3, 1, 79, 8);
  EXPECT_EQ(text(12, 10, 8), "KLMNOPQR");
  EXPECT_EQ(attr(12, 10), 79);
  ESCRATR(3, 9, 1, 79, 8);  // beyond the stored text: nothing
  EXPECT_EQ(attr(18, 10), 0x07);
}

TEST_F(WindowTest, MovingRedrawsAtTheNewPlace) {
  paper();
  REDEFJAN(9, 30, 31, 63, 5, 10, 6, 19, 0);
  ABREJAN(9);
  ESCRJAN(9, "\x02" "0123456789abcdefghij");
  MOVEHOR(9, 4);
  EXPECT_EQ(findWindow(9)->left, 11);
  EXPECT_EQ(findWindow(9)->right, 20);
  EXPECT_EQ(text(5, 10, 12), ".0123456789.");
  EXPECT_EQ(text(6, 10, 12), ".abcdefghij.");
  EXPECT_EQ(attr(5, 11), 30) << "redrawn in colour 1";

  MOVEVER(9, 129);
  EXPECT_EQ(text(4, 11, 10), "0123456789");
  EXPECT_EQ(text(6, 11, 10), "..........");
  MOVEHOR(9, 129);
  EXPECT_EQ(text(4, 10, 10), "0123456789");

  FECHAJAN(9);
  EXPECT_EQ(text(4, 0, 80), std::string(80, '.'));
  EXPECT_EQ(text(5, 0, 80), std::string(80, '.'));
}

TEST_F(WindowTest, MovesStopAtTheScreenEdges) {
  REDEFJAN(9, 30, 31, 63, 0, 0, 2, 79, 0);
  MOVEVER(9, 129);
  MOVEHOR(9, 129);
  EXPECT_EQ(findWindow(9)->top, 0);
  EXPECT_EQ(findWindow(9)->left, 0);
  REDEFJAN(9, 30, 31, 63, 20, 70, 25, 80, 0);
  MOVEVER(9, 0);
  MOVEHOR(9, 0);
  EXPECT_EQ(findWindow(9)->bottom, 25);
  EXPECT_EQ(findWindow(9)->right, 80);
  MOVEVER(9, 129);
  EXPECT_EQ(findWindow(9)->top, 19);
}

TEST_F(WindowTest, FillTheScreen) {
  ENCHETELA('\xB1', "W+/B");
  for (int row : {0, 12, 24}) {
    EXPECT_EQ(screen().rowText(row), std::string(80, '\xB1'));
    EXPECT_EQ(attr(row, 79), 31);
  }
}

}  // namespace
}  // namespace zel
