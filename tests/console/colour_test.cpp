#include <gtest/gtest.h>

#include "platform/console/colour.h"

namespace zel {
namespace {

TEST(ColourPair, ParsesNamesAndMarkers) {
  struct Case {
    const char* text;
    int attr;
  };
  const Case cases[] = {
      {"W+/B", 31},   {"GR+/B", 30},  {"N/W", 112},  {"W/N", 7},     {"n/n", 0},
      {"W+/BG", 63},  {"GR+/R", 78},  {"R+/B", 28},  {"N/BG", 48},   {"W+/B+", 159},
      {"R/W*", 244},  {"W*/N", 135},  {"RB/N", 5},   {"BR/N", 5},    {"B/G", 33},
      {" W + / R ", 79}, {"W+", 15},  {"/B", 16},    {"I", 112},     {"X/B", 17},
      {"U/N", 1},     {"W/R+", 199},  {"N/W+", 240},
  };
  for (const Case& c : cases) {
    auto a = parseColourPair(c.text);
    ASSERT_TRUE(a.has_value()) << c.text;
    EXPECT_EQ(*a, c.attr) << c.text;
  }
}

TEST(ColourPair, RejectsMalformed) {
  for (const char* bad : {"", "  ", "Q/B", "W/B/G", "W-/B", "WW/B", "W,B"})
    EXPECT_FALSE(parseColourPair(bad).has_value()) << '"' << bad << '"';
}

TEST(ColourString, FromAttribute) {
  struct Case {
    int attr;
    const char* text;
  };
  const Case cases[] = {{30, "GR+/B"}, {31, "W+/B"},  {63, "W+/BG"}, {112, "N/W"},
                        {15, "W+/N"},  {78, "GR+/R"}, {28, "R+/B"},  {79, "W+/R"},
                        {48, "N/BG"},  {7, "W/N"},    {159, "W+/B+"}, {0, "N/N"},
                        {5, "BR/N"},   {255, "W+/W+"}};
  for (const Case& c : cases) EXPECT_EQ(attrToColourString(static_cast<Attr>(c.attr)), c.text);
}

TEST(ColourString, EveryAttributeReadsBack) {
  for (int a = 0; a < 256; ++a) {
    auto back = parseColourPair(attrToColourString(static_cast<Attr>(a)));
    ASSERT_TRUE(back.has_value()) << a;
    EXPECT_EQ(*back, a) << attrToColourString(static_cast<Attr>(a));
  }
}

TEST(ColourList, SlotsAndFallback) {
  ColourList prev;
  prev.slot = {1, 2, 3, 4, 5};
  ColourList l = parseColourList("N/W+,W/N,N/N,N/N,N/W+", prev);
  EXPECT_EQ(l[ColourSlot::kStandard], 240);
  EXPECT_EQ(l[ColourSlot::kEnhanced], 7);
  EXPECT_EQ(l[ColourSlot::kBorder], 0);
  EXPECT_EQ(l[ColourSlot::kBackground], 0);
  EXPECT_EQ(l[ColourSlot::kUnselected], 240);

  // Missing, empty and malformed slots keep the previous list's values.
  ColourList partial = parseColourList("GR+/B,,Q/Q", prev);
  EXPECT_EQ(partial.slot, (std::array<Attr, 5>{30, 2, 3, 4, 5}));
  EXPECT_EQ(parseColourList("", prev).slot, prev.slot);
  // A sixth pair is not a slot.
  EXPECT_EQ(parseColourList("W/N,W/N,W/N,W/N,W/N,GR+/B", prev).slot,
            (std::array<Attr, 5>{7, 7, 7, 7, 7}));
}

TEST(ColourList, SplitKeepsEveryPair) {
  auto six = splitColourList("GR+/B,W/R+,W+/B,W+/B,W+/B,W+/B");
  ASSERT_EQ(six.size(), 6u);
  EXPECT_EQ(six[1], std::optional<Attr>(199));
  EXPECT_EQ(six[5], std::optional<Attr>(31));
  auto gaps = splitColourList("W/N,,bad");
  ASSERT_EQ(gaps.size(), 3u);
  EXPECT_FALSE(gaps[1].has_value());
  EXPECT_FALSE(gaps[2].has_value());
  EXPECT_TRUE(splitColourList(" ").empty());
}

}  // namespace
}  // namespace zel
