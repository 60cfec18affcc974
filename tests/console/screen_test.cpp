#include <gtest/gtest.h>

#include "platform/console/screen.h"
#include "platform/sys/cp850.h"

namespace zel {
namespace {

// Rows top..bottom, columns left..right of the screen's text.
std::string block(const Screen& s, int top, int left, int bottom, int right) {
  std::string out;
  for (int r = top; r <= bottom; ++r) {
    if (r > top) out += '\n';
    out += s.rowText(r).substr(static_cast<size_t>(left), static_cast<size_t>(right - left + 1));
  }
  return out;
}

TEST(Screen, WriteClipsAtEdgesWithoutWrapping) {
  Screen s;
  EXPECT_EQ(s.write(3, 76, "abcdef", 0x1E), 82);
  EXPECT_EQ(s.rowText(3).substr(76), "abcd");
  EXPECT_EQ(s.rowText(4), std::string(80, ' '));
  EXPECT_EQ(s.at(3, 79).attr, 0x1E);

  EXPECT_EQ(s.write(5, -2, "xyz", 7), 1);  // starts off the left edge
  EXPECT_EQ(s.rowText(5).substr(0, 2), "z ");
  s.write(-1, 0, "gone", 7);
  s.write(25, 0, "gone", 7);
  EXPECT_EQ(s.text().find("gone"), std::string::npos);
  EXPECT_EQ(s.at(30, 90).ch, ' ');  // outside reads as a blank
}

TEST(Screen, KeepAttrAndPaint) {
  Screen s;
  s.write(0, 0, "aaaa", 0x4F);
  s.writeKeepAttr(0, 1, "BC");
  EXPECT_EQ(s.rowText(0).substr(0, 4), "aBCa");
  EXPECT_EQ(s.at(0, 1).attr, 0x4F);
  s.paint(0, 2, 5, 0x70);
  EXPECT_EQ(s.at(0, 1).attr, 0x4F);
  EXPECT_EQ(s.at(0, 2).attr, 0x70);
  EXPECT_EQ(s.at(0, 6).attr, 0x70);
  EXPECT_EQ(s.at(0, 2).ch, 'C');
}

TEST(Screen, Boxes) {
  Screen s;
  s.write(2, 3, "keep", 7);
  s.box(1, 1, 3, 8, BoxStyle::kSingle, 0x1F);
  EXPECT_EQ(block(s, 1, 1, 3, 8), std::string("┌──────┐\n│ keep │\n└──────┘"_cp));
  EXPECT_EQ(s.at(1, 1).attr, 0x1F);
  EXPECT_EQ(s.at(2, 3).attr, 7);  // the inside is left alone

  s.box(5, 0, 6, 3, BoxStyle::kDouble, 7);
  EXPECT_EQ(block(s, 5, 0, 6, 3), std::string("╔══╗\n╚══╝"_cp));

  s.box(10, 10, 12, 13, "+-+|+-+|."_cp, 7);  // ninth byte fills
  EXPECT_EQ(block(s, 10, 10, 12, 13), "+--+\n|..|\n+--+");

  // Clipped at the right and bottom edges: what is on screen is drawn.
  s.box(23, 77, 26, 82, BoxStyle::kSingle, 7);
  EXPECT_EQ(block(s, 23, 77, 24, 79), std::string("┌──\n│  "_cp));

  Screen before = s;
  s.box(0, 0, 2, 2, "short", 7);
  s.box(3, 5, 2, 9, BoxStyle::kSingle, 7);  // empty rectangle
  EXPECT_EQ(s.text(), before.text());
}

TEST(Screen, ScrollUpDownAndClear) {
  auto numbered = [] {
    Screen s;
    for (int r = 0; r < 5; ++r) s.write(r, 0, std::string(1, char('0' + r)) + "xx", 7);
    return s;
  };
  struct Case {
    int n;
    const char* expect;  // column 0 of rows 0..4
  };
  const Case cases[] = {{1, "0234 "}, {2, "034  "}, {-1, "0 123"}, {-2, "0  12"},
                        {0, "0    "}, {3, "04   "}, {-9, "0    "}};
  for (const Case& c : cases) {
    Screen s = numbered();
    s.scroll(1, 0, 4, 1, c.n, 0x17);  // rows 1..4, columns 0..1
    std::string col0;
    for (int r = 0; r < 5; ++r) col0 += static_cast<char>(s.at(r, 0).ch);
    EXPECT_EQ(col0, c.expect) << "n=" << c.n;
    EXPECT_EQ(s.at(3, 2).ch, 'x') << "column outside the rectangle moved, n=" << c.n;
  }
  Screen s = numbered();
  s.scroll(1, 0, 4, 1, 1, 0x17);
  EXPECT_EQ(s.at(4, 0).attr, 0x17);
}

TEST(Screen, SaveRestoreClippedRectangle) {
  Screen s;
  s.write(23, 70, "abcdefghij", 0x2A);
  SavedRegion r = s.save(22, 75, 30, 90);
  EXPECT_EQ(r.bottom, 24);
  EXPECT_EQ(r.right, 79);
  s.clear(0, 0, 24, 79, 7);
  s.restore(r);
  EXPECT_EQ(s.rowText(23).substr(70), "     fghij");
  EXPECT_EQ(s.at(23, 77).attr, 0x2A);
  EXPECT_EQ(s.at(23, 74).ch, ' ');  // outside the saved rectangle

  SavedRegion empty = s.save(5, 5, 4, 4);
  EXPECT_TRUE(empty.cells.empty());
  s.restore(empty);  // no effect, no crash
}

TEST(Screen, DirtyRangesTrackOnlyChanges) {
  Screen s;
  EXPECT_EQ(s.dirty(0).begin, 0);
  EXPECT_EQ(s.dirty(24).end, 79);
  s.markClean();
  s.write(2, 10, "ab", 7);
  s.write(2, 40, "c", 7);
  s.write(3, 5, " ", 7);  // same as what is there: not a change
  EXPECT_EQ(s.dirty(2).begin, 10);
  EXPECT_EQ(s.dirty(2).end, 40);
  EXPECT_LT(s.dirty(3).end, s.dirty(3).begin);
  s.paint(4, 0, 1, 0x70);
  EXPECT_EQ(s.dirty(4).begin, 0);
  EXPECT_EQ(s.dirty(4).end, 0);
  s.markClean();
  EXPECT_LT(s.dirty(2).end, s.dirty(2).begin);
}

}  // namespace
}  // namespace zel
