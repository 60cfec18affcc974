#include "platform/widgets/alert.h"

#include <vector>

#include "widgets/widget_fixture.h"

namespace zel {
namespace {

using AlertTest = WidgetTest;

struct AlertCase {
  const char* name;
  std::vector<std::string> buttons;
  std::vector<int> keys;
  int expected;
  int initial = 1;
};

TEST_F(AlertTest, KeysChooseButtons) {
  const std::vector<std::string> yesNo{"Sim", "Nao"}, three{"Sim", "Nao", "Ignore"};
  const AlertCase cases[] = {
      {"enter takes the first button", yesNo, {key::kEnter}, 1},
      {"right then enter", yesNo, {key::kRight, key::kEnter}, 2},
      {"tab wraps round", yesNo, {key::kTab, key::kTab, key::kEnter}, 1},
      {"left wraps to the last", three, {key::kLeft, key::kEnter}, 3},
      {"shift-tab moves back", three, {key::kRight, key::kRight, key::kShiftTab, key::kEnter}, 2},
      {"first letter, lower case", yesNo, {'n'}, 2},
      {"first letter, upper case", three, {'I'}, 3},
      {"esc gives 0", yesNo, {key::kRight, key::kEsc}, 0},
      {"other keys are ignored", yesNo, {'x', key::kF2, key::kDown, key::kEnter}, 1},
      {"no buttons shows Ok", {}, {'o'}, 1},
      {"another button highlighted first", three, {key::kEnter}, 2, 2},
      {"initial button beyond the last", yesNo, {key::kEnter}, 2, 7},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    for (int k : c.keys) backend->push(k);
    AlertOptions o;
    o.initial = c.initial;
    EXPECT_EQ(alert("Mensagem", c.buttons, o, *con), c.expected);
    EXPECT_EQ(backend->pending(), 0u);
  }
}

TEST_F(AlertTest, DrawsCentredLinesAndButtonsThenRestoresScreen) {
  fillScreen('.', 0x07);
  // Two lines of 8 and 11 and buttons " Sim  " "  Nao ": a 16 x 6 box at
  // rows 9-14, columns 32-47.
  backend->push({kSnap, key::kRight, kSnap, key::kEnter});
  AlertOptions o;
  o.colour = "N/W+,W+/R";
  EXPECT_EQ(alert("Confirma;a Exclusäo?"_cp, {"Sim", "Nao"}, o, *con), 2);

  EXPECT_EQ(snapText(9, 31, 18), ".\xDA" + std::string(14, '\xC4') + "\xBF.");
  EXPECT_EQ(snapText(10, 32, 16), "\xB3   Confirma   \xB3");
  EXPECT_EQ(snapText(11, 32, 16), "│ a Exclusäo?  │"_cp);
  EXPECT_EQ(snapText(12, 32, 16), "\xB3" + std::string(14, ' ') + "\xB3");
  EXPECT_EQ(snapText(13, 32, 16), "\xB3  Sim    Nao  \xB3");
  EXPECT_EQ(snapText(15, 32, 16), std::string(16, '.'));
  EXPECT_EQ(snap.at(10, 36).attr, pair("N/W+"));
  EXPECT_EQ(snap.at(13, 34).attr, pair("N/W+"));  // first button, not highlighted any more
  EXPECT_EQ(snap.at(13, 41).attr, pair("W+/R"));  // " Nao " highlighted
  EXPECT_EQ(snap.at(13, 45).attr, pair("W+/R"));

  for (int r = 9; r <= 14; ++r) EXPECT_EQ(liveText(r, 30, 20), std::string(20, '.')) << r;
  EXPECT_EQ(con->screen().at(13, 41).attr, 0x07);

  // One colour pair: the highlighted button is that pair inverted.
  backend->push({kSnap, key::kEsc});
  alert("x", {"Ok"}, {}, *con);
  EXPECT_EQ(snapText(13, 38, 4), " Ok ");
  EXPECT_EQ(snap.at(13, 38).attr, pair("W+/N"));
}

TEST_F(AlertTest, LongLinesAreWrappedInsideTheScreen) {
  const std::string_view text =
      "O contribuinte näo foi localizado em nenhum dos diretórios indicado. Confira o código ou os diretórios digitados     "_cp;
  std::vector<std::string> lines = alertLines(text);
  ASSERT_GE(lines.size(), 2u);
  std::string joined;
  for (const auto& l : lines) {
    EXPECT_LE(l.size(), 70u);
    joined += (joined.empty() ? "" : " ") + l;
  }
  EXPECT_EQ(joined, std::string(text.substr(0, joined.size())));

  EXPECT_EQ(alertLines("um;;dois"), (std::vector<std::string>{"um", "", "dois"}));

  fillScreen('.', 0x07);
  backend->push({kSnap, key::kEnter});
  EXPECT_EQ(alert(text, {"Ok"}, {}, *con), 1);
  EXPECT_EQ(snap.at(12, 0).ch, '.');
  EXPECT_EQ(snap.at(12, 79).ch, '.');
  EXPECT_NE(snap.rowText(10).find("O contribuinte"), std::string::npos);
}

TEST_F(AlertTest, TimeLimitClosesTheBoxWithZero) {
  AlertOptions o;
  o.timeoutMs = 3000;

  EXPECT_EQ(alert("Aguarde", {"Ok"}, o, *con), 0);
  EXPECT_EQ(manual->monotonicMs(), 3000);

  // A key in time is taken; one after the limit is left for the next reader.
  backend->pushAt(4000, 'n');
  EXPECT_EQ(alert("Aguarde", {"Sim", "Nao"}, o, *con), 2);
  EXPECT_EQ(manual->monotonicMs(), 4000);

  backend->pushAt(9000, 's');
  EXPECT_EQ(alert("Aguarde", {"Sim", "Nao"}, o, *con), 0);
  EXPECT_EQ(manual->monotonicMs(), 7000);
  EXPECT_EQ(backend->pending(), 1u);

  EXPECT_EQ(alert("Aguarde", {"Sim", "Nao"}, o, *con), 1);  // the 's' left over
  EXPECT_EQ(manual->monotonicMs(), 9000);

  // Keys that move the highlight do not stretch the limit.
  backend->pushAt(10000, key::kRight);
  backend->pushAt(13000, key::kEnter);
  o.timeoutMs = 2500;
  EXPECT_EQ(alert("Aguarde", {"Sim", "Nao"}, o, *con), 0);
  EXPECT_EQ(manual->monotonicMs(), 11500);
  EXPECT_EQ(backend->pending(), 1u);
}

}  // namespace
}  // namespace zel
