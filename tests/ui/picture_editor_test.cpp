#include "platform/ui/picture_editor.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/console/keys.h"
#include "ui/value_printer.h"

namespace zel {
namespace {

constexpr int kCtrlY = PictureEditor::kCtrlY;
constexpr int kCtrlU = PictureEditor::kCtrlU;

// Keys: a text typed as it stands, plus special keys in between.
struct Keys {
  std::vector<int> codes;
  Keys(const char* text) { add(text); }
  Keys(std::initializer_list<int> k) : codes(k) {}
  Keys& add(const char* text) {
    for (const char* c = text; *c; ++c) codes.push_back(static_cast<unsigned char>(*c));
    return *this;
  }
};

void feed(PictureEditor& e, const std::vector<int>& keys) {
  for (int k : keys) EXPECT_TRUE(e.handleKey(k)) << "key " << k;
}

TEST(PictureEditor, EditsValuesKeyByKey) {
  using namespace key;
  struct Case {
    const char* what;
    Value initial;
    const char* mask;
    std::vector<int> keys;
    Value expected;
    bool filled;
  };
  auto k = [](const char* t) { return Keys(t).codes; };
  const Case cases[] = {
      // numbers: the first digit replaces the value
      {"money typed with decimal comma", 0.0, "@Ez 999,999,999.99", k("2469,13"), 2469.13, true},
      {"digit replaces", 1500.0, "@E 9999", k("7"), 7.0, false},
      {"moving first keeps the value", 1500.0, "@E 9999", {kRight, '7'}, 1700.0, false},
      {"minus sign", 0.0, "@ez 99", k("-5"), -5.0, true},
      {"decimal key keeps integer part", 123.45, "@E 999.99", k(",5"), 123.55, false},
      {"decimal key on a blank zero", 0.0, "@Ez 999.99", k(",75"), 0.75, true},
      {"point is the decimal key without E", 0.0, "@Z 999.99", k("12.5"), 12.5, false},
      {"thousands mark typed from habit", 0.0, "@Ez 999,999,999.99", k("2.469,13"), 2469.13, true},
      {"comma passed over without E", 0.0, "@Z 99,999.99", k("1,234.5"), 1234.5, false},
      {"four decimals", 0.0, "@z 9.9999", k("2.3362"), 2.3362, true},
      {"letters refused", 0.0, "@ 99", k("a4"), 4.0, false},
      {"backspace at the end of a full field", 1234.0, "@E 9999", {kEnd, kBackspace}, 124.0, false},
      // text
      {"overwrite, all upper", Value("abc"), "@!", k("x"), Value("XBC"), false},
      {"K clears on a data key", Value("abc"), "@K", k("z"), Value("z  "), false},
      {"K keeps after a move", Value("abc"), "@K", {kRight, 'z'}, Value("azc"), false},
      {"insert", Value("abcd"), "", {kIns, 'x'}, Value("xabc"), false},
      {"backspace shifts left", Value("abcd"), "", {kRight, kRight, kBackspace}, Value("acd "), false},
      {"del", Value("abcd"), "", {kDel}, Value("bcd "), false},
      {"ctrl+y blanks to the end", Value("abcd"), "", {kRight, kCtrlY}, Value("a   "), false},
      {"end goes after the text", Value("ab  "), "", {kEnd, 'x'}, Value("abx "), false},
      {"undo", Value("abcd"), "", {'x', 'y', kCtrlU}, Value("abcd"), false},
      {"cpf kept without punctuation", Value("           "), "@R 999.999.999-99", k("12345678909"),
       Value("12345678909"), true},
      {"template 9 refuses letters", Value("   "), "999", k("a1"), Value("1  "), false},
      {"template !", Value("n"), "!", k("x"), Value("X"), true},
      {"short template keeps the tail", Value("abcdef"), "XX", k("z"), Value("zbcdef"), false},
      {"literal kept without R", Value("12-34"), "99-99", k("5678"), Value("56-78"), true},
      // dates and logicals
      {"date", Value(Date()), "@D", k("31012009"), Value(*Date::fromYmd(2009, 1, 31)), true},
      {"logical", Value(false), "L", k("y"), Value(true), true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    PictureEditor e(c.initial, c.mask);
    feed(e, c.keys);
    EXPECT_EQ(e.value(), c.expected);
    EXPECT_EQ(e.takeFilled(), c.filled);
    EXPECT_TRUE(e.acceptable());
  }
}

TEST(PictureEditor, ShowsTheBufferAsThePictureDoes) {
  PictureEditor money(Value(0.0), "@Ez 999,999,999.99");
  EXPECT_EQ(money.shown(), std::string(14, ' ').replace(11, 1, ","));
  feed(money, Keys("2469").codes);
  // digits enter from the left; separators show once a digit precedes them
  EXPECT_EQ(money.shown(), "246.9  .   ,  ");
  money.handleKey(',');
  EXPECT_EQ(money.shown(), "      2.469,00");
  EXPECT_EQ(money.cursor(), 12);

  PictureEditor cpf(Value("12345678909"), "@R 999.999.999-99");
  EXPECT_EQ(cpf.shown(), "123.456.789-09");
  feed(cpf, {key::kRight, key::kRight, key::kRight});
  EXPECT_EQ(cpf.cursor(), 4);  // the point is skipped
}

TEST(PictureEditor, UntouchedValueIsReturnedUnrounded) {
  PictureEditor e(Value(2469.134), "@Ez 999,999,999.99");
  feed(e, {key::kRight, key::kEnd, key::kHome});
  EXPECT_FALSE(e.changed());
  EXPECT_EQ(e.value(), Value(2469.134));
}

TEST(PictureEditor, RefusesDatesThatDoNotExist) {
  PictureEditor e(Value(Date()), "@D");
  feed(e, Keys("31022009").codes);
  EXPECT_FALSE(e.acceptable());
  feed(e, {key::kHome});
  feed(e, Keys("28").codes);
  EXPECT_TRUE(e.acceptable());
  EXPECT_EQ(e.value(), Value(*Date::fromYmd(2009, 2, 28)));

  PictureEditor blank(Value(*Date::fromYmd(2009, 2, 28)), "@D");
  feed(blank, {PictureEditor::kCtrlY});
  EXPECT_TRUE(blank.acceptable());
  EXPECT_EQ(blank.value(), Value(Date()));  // an emptied date is the empty date

  PictureEditor shortYear(Value(Date()), "@D", /*century=*/false);
  EXPECT_EQ(shortYear.width(), 8);
  feed(shortYear, Keys("050608").codes);
  EXPECT_EQ(shortYear.value().date().year(), 1908);
}

TEST(PictureEditor, ScrollsAWideTextInANarrowField) {
  PictureEditor e(Value("abcdefghij"), "@S3");
  EXPECT_EQ(e.viewWidth(), 3);
  EXPECT_EQ(e.view(), "abc");
  feed(e, {key::kEnd});
  EXPECT_EQ(e.view(), "hij");
  EXPECT_EQ(e.viewCursor(), 2);
  feed(e, {key::kHome});
  EXPECT_EQ(e.view(), "abc");
  EXPECT_EQ(e.viewCursor(), 0);
  // "@S" wider than the text does not widen it
  EXPECT_EQ(PictureEditor(Value("ab"), "@S54").viewWidth(), 2);
}

TEST(PictureEditor, LeavesNavigationKeysToTheReader) {
  PictureEditor e(Value("abc"), "");
  for (int k : {key::kEnter, key::kEsc, key::kUp, key::kDown, key::kPgDn, key::kF1, key::kAltW})
    EXPECT_FALSE(e.handleKey(k)) << "key " << k;
  EXPECT_FALSE(e.changed());
}

}  // namespace
}  // namespace zel
