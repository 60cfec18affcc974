#include "screen/messages.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/console/console.h"
#include "platform/console/keys.h"
#include "platform/sys/clock.h"
#include "platform/sys/cp850.h"
#include "screen/console.h"
#include "ui/value_printer.h"

namespace zel {
namespace {

constexpr Attr kLineColour = 0x1E;  // GR+/B, the message line's first colour

// A fresh headless console, window table and message settings per test.
// Pushing kSnap while a routine waits copies the screen into `snap`.
class MessagesTest : public ::testing::Test {
 protected:
  static constexpr int kSnap = key::kF11;

  void SetUp() override {
    auto b = std::make_unique<HeadlessBackend>();
    backend = b.get();
    old_ = setConsole(std::make_unique<Console>(std::move(b)));
    oldClock_ = setClock(std::make_unique<ManualClock>(CivilTime{2009, 4, 30}));
    resetScreenState();
    resetMessageState();
    console().bindKey(kSnap, [this](const ReadContext& ctx) {
      snap = console().screen();
      snapVariable = ctx.variable;
    });
    screen().fill(0, 0, 24, 79, '.', 0x07);
  }
  void TearDown() override {
    resetScreenState();
    resetMessageState();
    setClock(std::move(oldClock_));
    setConsole(std::move(old_));
  }

  Screen& screen() { return console().screen(); }
  std::string text(int row, int col, int len) { return screen().rowText(row).substr(col, len); }
  static std::string text(const Screen& s, int row, int col, int len) {
    return s.rowText(row).substr(col, len);
  }
  void keys(std::initializer_list<int> ks) { backend->push(ks); }
  bool isOpen(int id) {
    for (const auto& w : screenState().open)
      if (w.id == id) return true;
    return false;
  }
  // A framed window holding the entries one per row, width `w` each.
  void listWindow(int id, const std::vector<std::string>& entries, int w) {
    const int n = static_cast<int>(entries.size());
    REDEFJAN(id, 30, 31, 31, 4, 48, 4 + n + 1, 48 + w + 1, 1);
    ABREJAN(id);
    std::string all;
    for (const auto& e : entries) all += e;
    ESCRJAN(id, all);
  }

  HeadlessBackend* backend = nullptr;
  Screen snap;
  std::string snapVariable;

 private:
  std::unique_ptr<Console> old_;
  std::unique_ptr<Clock> oldClock_;
};

TEST_F(MessagesTest, MessageLinePlacement) {
  const std::string t21(21, 'x');
  struct Case {
    const char* what;
    std::string text;
    MensArg row, column;
    int col;
  };
  const Case cases[] = {
      {"centred", t21, 0, "C", 29},
      {"C as the row argument", t21, "C", {}, 1},
      {"no column", "abc", {}, {}, 1},
      {"numeric column is not a centring", "abc", 0, 40, 1},
      {"centred odd length", "abcd", 0, "C", 38},
      {"wider than the line", std::string(85, 'y'), 0, "C", 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    MENS(0, "something long that was on the line before this one"_cp);
    EXPECT_EQ(MENS(0, c.text, c.row, c.column), "");
    const std::string line = screen().rowText(24);
    const size_t len = std::min<size_t>(c.text.size(), 80 - c.col);
    EXPECT_EQ(line.substr(c.col, len), c.text.substr(0, len));
    EXPECT_EQ(line.find_first_not_of(' '), static_cast<size_t>(c.col)) << line;
    EXPECT_EQ(line.find_last_not_of(' '), c.col + len - 1) << "the old text is cleared";
    EXPECT_EQ(screen().at(24, c.col).attr, kLineColour);
  }
  EXPECT_TRUE(screenState().open.empty()) << "the message line opens no window";
  EXPECT_EQ(messageState().TAM_OLD, 0);

  MENS();
  EXPECT_EQ(screen().rowText(24), std::string(80, ' '));
  MENS(0, "abc");
  MENS(13);
  EXPECT_EQ(screen().rowText(24), std::string(80, ' ')) << "a code without a text clears too";
  EXPECT_TRUE(screenState().open.empty());
}

TEST_F(MessagesTest, ProgressBoxIsReusedUntilForcedAfresh) {
  MENS(13, "Encerrando...");
  EXPECT_TRUE(isOpen(10));
  EXPECT_EQ(text(20, 60, 13), "Encerrando...");
  EXPECT_EQ(text(19, 59, 16), "┌──────────────┐"_cp);
  EXPECT_EQ(text(21, 59, 16), "└──────────────┘"_cp) << "the blanks leave the frame whole";
  EXPECT_EQ(text(20, 73, 2), " │"_cp);
  EXPECT_EQ(messageState().TAM_OLD, 15);
  EXPECT_EQ(messageState().NL_OLD, 1);
  EXPECT_EQ(messageState().CONT_OLD, 1);
  EXPECT_EQ(backend->pending(), 0u) << "a progress box waits for nothing";

  // A cell only a fresh box would blank.
  screen().set(20, 73, Cell{'#', 0x07});
  MENS(13, "Copiando.....");
  EXPECT_EQ(text(20, 60, 14), "Copiando.....#") << "same size: only the text is rewritten";

  messageState().TAM_OLD = 0;
  MENS(13, "Copiando.....");
  EXPECT_EQ(text(20, 60, 14), "Copiando..... ") << "drawn afresh";

  FECHAJAN(10);
  EXPECT_EQ(text(20, 59, 16), std::string(16, '.')) << "closing gives the screen back";

  // A box its caller closed is not written into blindly: it comes back whole.
  MENS(13, "Encerrando...");
  EXPECT_EQ(text(19, 59, 1), "┌"_cp);
  FECHAJAN(10);
  EXPECT_EQ(text(20, 60, 13), std::string(13, '.'));

  // Another size opens a new box at its own place.
  MENS(13, "Fim");
  EXPECT_EQ(text(20, 70, 3), "Fim");
  EXPECT_EQ(messageState().TAM_OLD, 5);
}

TEST_F(MessagesTest, BoxColumnArgument) {
  struct Case {
    const char* what;
    MensArg column;
    int left;
  };
  // "abcdef": w = 8
  const Case cases[] = {
      {"absent: ends at 75", {}, 67}, {"E", "E", 2},     {"C", "C", 36},
      {"other text", "x", 67},        {"number", 11, 11},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    messageState().TAM_OLD = 0;
    MENS(13, "abcdef", 3, c.column);
    const WindowDef* w = findWindow(10);
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->left, c.left);
    EXPECT_EQ(w->right, c.left + 8);
    EXPECT_EQ(w->top, 3);
    EXPECT_EQ(w->bottom, 5);
    EXPECT_EQ(text(3, c.left, 6), "abcdef");
    FECHAJAN(10);
  }
  MENS(13, "abcdef", "row as text");
  EXPECT_EQ(findWindow(10)->top, 20);
}

TEST_F(MessagesTest, QuestionWithSixOptionsOneALine) {
  std::string options;
  for (char d = '1'; d <= '6'; ++d) options += std::string(1, d) + std::string(19, '-');
  const std::string last = "Escolha uma opcao: ";
  ASSERT_EQ(last.size(), 19u);
  options += last;

  for (char answer = '1'; answer <= '6'; ++answer) {
    SCOPED_TRACE(answer);
    keys({'x', key::kDown, '7', kSnap, answer});
    EXPECT_EQ(MENS(12, options, 5, 20, 7, "123456"), std::string(1, answer));
    for (int i = 0; i < 6; ++i) EXPECT_EQ(text(snap, 5 + i, 20, 20), options.substr(i * 20, 20));
    EXPECT_EQ(text(snap, 11, 20, 19), last);
    EXPECT_EQ(text(snap, 5, 40, 1), "│"_cp) << "the text area is 20 columns wide";
    EXPECT_EQ(text(snap, 4, 19, 1), "┌"_cp);
    EXPECT_EQ(text(snap, 12, 19, 22), "└────────────────────┘"_cp) << "no padding spills onto the frame";
    EXPECT_FALSE(isOpen(10));
    EXPECT_EQ(text(8, 19, 22), std::string(22, '.')) << "the box is closed";
  }
  EXPECT_EQ(messageState().TAM_OLD, 21);
  EXPECT_EQ(messageState().NL_OLD, 7);
}

TEST_F(MessagesTest, QuestionAnswersAndKeyboardBuffer) {
  // Letters are taken in either case and returned as the caller wrote them.
  keys({'n'});
  EXPECT_EQ(MENS(12, "Confirma?", {}, {}, {}, "SN"), "N");
  keys({key::kEsc, key::kEnter, 's'});
  EXPECT_EQ(MENS(12, "Confirma?", {}, {}, {}, "SN"), "S") << "Esc and Enter are not answers";
  // Keys typed before the box opened are dropped.
  console().pushKey('S');
  keys({'N'});
  EXPECT_EQ(MENS(12, "Confirma?", {}, {}, {}, "SN"), "N");
  // Without answer letters the first key closes the box instead of hanging.
  keys({'q'});
  EXPECT_EQ(MENS(12, "Confirma?"), "");
  EXPECT_EQ(backend->pending(), 0u);
  EXPECT_FALSE(isOpen(10));
}

TEST_F(MessagesTest, NoticesWaitForAKeyAndOnlyErrorsBeep) {
  keys({kSnap, 'a'});
  EXPECT_EQ(MENS(11, "Erro de gravacao"), "");
  EXPECT_EQ(text(snap, 20, 57, 18), "Erro de gravacao \xB3") << "nothing from below inside the box";
  EXPECT_EQ(backend->pending(), 0u);
  EXPECT_FALSE(isOpen(10));
  EXPECT_EQ(text(20, 57, 16), std::string(16, '.'));
  const std::vector<std::pair<int, int>> beep = {{300, 1}, {499, 1}, {300, 1}, {499, 1}};
  std::vector<std::pair<int, int>> got;
  for (const auto& t : backend->tones) got.emplace_back(t.hz, t.ticks);
  EXPECT_EQ(got, beep);

  backend->tones.clear();
  keys({'a'});
  MENS(15, "Aviso");
  EXPECT_TRUE(backend->tones.empty());
  EXPECT_EQ(backend->pending(), 0u);
  EXPECT_FALSE(isOpen(10));

  // Window 0 is the message line and never a box: nothing is drawn, the
  // key is still awaited.
  keys({'a'});
  MENS(15, "Aviso", {}, {}, {}, "", 0);
  EXPECT_EQ(backend->pending(), 0u);
  EXPECT_TRUE(screenState().open.empty());

  BEEP_ERRO(2);
  EXPECT_EQ(backend->tones.size(), 8u);
  EXPECT_EQ(backend->tones[6].hz, 300);
  EXPECT_EQ(backend->tones[7].hz, 499);
}

TEST_F(MessagesTest, NumberOfCopiesEntry) {
  const std::string prompt = "Informe o nro vias (vezes) a imprimir";
  const int L = static_cast<int>(prompt.size());
  Value vias(1);
  MensField f = MensField::of("nro_vias", vias, 1, "@ 9");

  keys({kSnap, key::kEsc});
  EXPECT_EQ(MENS(14, prompt, 17, 20, {}, f), Value(0)) << "Esc empties the number";
  EXPECT_EQ(vias, Value(0));
  EXPECT_EQ(snapVariable, "NRO_VIAS");
  EXPECT_EQ(text(snap, 17, 20, L), prompt);
  EXPECT_EQ(text(snap, 17, 20 + L, 3), " 1│"_cp) << "the field fills the blanks left for it";
  EXPECT_EQ(findWindow(10)->right - findWindow(10)->left, L + 3);
  EXPECT_FALSE(isOpen(10));

  vias = Value(1);
  keys({'3'});  // the one position filled ends the entry
  EXPECT_EQ(MENS(14, prompt, 17, 20, {}, f), Value(3));
  EXPECT_EQ(vias, Value(3));

  // A refusing check keeps the field until it is satisfied.
  f.validity = [&vias] { return vias.number() != 0; };
  keys({'0', '5'});
  EXPECT_EQ(MENS(14, prompt, 17, 20, {}, f), Value(5));
  EXPECT_EQ(backend->pending(), 0u);
}

TEST_F(MessagesTest, EntryOverTwoLinesEndsOnTheLastLine) {
  // 10 letters and 2 field blanks over two lines: w = 8, text rows of 7.
  Value v("xy");
  keys({kSnap, key::kEnter});
  EXPECT_EQ(MENS(14, "abcdefghij", 5, 30, 2, MensField::of("V", v)), Value("xy"));
  EXPECT_EQ(text(snap, 5, 30, 7), "abcdefg");
  EXPECT_EQ(text(snap, 6, 30, 8), "hij xy \xB3") << "the field after the text, inside the frame";
  EXPECT_EQ(text(snap, 7, 29, 9), "└───────┘"_cp);
}

TEST_F(MessagesTest, EntryWidthAndEscapeByType) {
  const Date today = Date::fromYmd(2009, 4, 30).value();
  struct Case {
    const char* what;
    Value start;
    int width;
    std::string mask;
    int blanks;
    Value afterEsc;
  };
  const Case cases[] = {
      {"text", Value("abcde"), 0, "@KS", 5, Value("")},
      {"number, given width", Value(12), 6, "@z 9.9999", 6, Value(0)},
      {"number, default width", Value(12), 0, "", 10, Value(0)},
      {"date", Value(Date::fromYmd(2008, 12, 31).value()), 0, "", 10, Value(today)},
      {"logical", Value(true), 0, "", 1, Value(false)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Value var = c.start;
    keys({key::kEsc});
    EXPECT_EQ(MENS(14, "Valor", 18, "C", {}, MensField::of("X", var, c.width, c.mask)), c.afterEsc);
    EXPECT_EQ(var, c.afterEsc);
    const WindowDef* w = findWindow(10);
    EXPECT_EQ(w->right - w->left, 5 + c.blanks + 2);
    EXPECT_EQ(w->left, (80 - (5 + c.blanks + 2)) / 2);
  }
}

TEST_F(MessagesTest, AlertAnswersByKind) {
  struct Case {
    int kind;
    int key;
    std::string answer;
  };
  const Case cases[] = {
      {0, key::kEnter, "S"}, {0, key::kEsc, "N"},   {2, key::kEnter, "S"}, {2, 'n', "N"},
      {2, key::kEsc, "N"},   {3, 'i', "I"},         {3, 's', "S"},         {4, 'f', "F"},
      {4, 'n', "N"},         {4, key::kEsc, "N"},   {9, 'n', "N"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "kind " << c.kind << " key " << c.key);
    keys({c.key});
    EXPECT_EQ(AVISOSN("Confirma?", c.kind), c.answer);
    EXPECT_EQ(backend->pending(), 0u);
  }
}

TEST_F(MessagesTest, AlertShowsEveryLineInItsColour) {
  screenState().COR_SAY = "W+/R";
  keys({kSnap, key::kEnter});
  const std::vector<std::string> lines = {std::string(" Esse Contribuinte näo está cadastrado  "_cp),
                                          "em nenhuma das Pastas indicadas. Inclui?"};
  AVISOSN(lines, 2);
  const std::string all = snap.text();
  EXPECT_NE(all.find(" Esse Contribuinte näo está cadastrado"_cp), std::string::npos);
  EXPECT_NE(all.find("em nenhuma das Pastas indicadas. Inclui?"), std::string::npos);
  const size_t at = all.find("em nenhuma");
  const int row = static_cast<int>(at / 81), col = static_cast<int>(at % 81);
  EXPECT_EQ(snap.at(row, col).attr, 0x4F);
  EXPECT_EQ(text(row, col, 10), std::string(10, '.')) << "closed afterwards";
}

class ChoiceListTest : public MessagesTest {
 protected:
  void SetUp() override {
    MessagesTest::SetUp();
    listWindow(4, {"Alfa  ", "Beta  ", "Gama  "}, 6);
    messageState().OPCOES = "ABGX";  // one letter more than entries
    messageState().MENSMENU = {"Texto alfa", "Texto beta", "Texto gama"};
  }
  int attrOfEntry(const Screen& s, int entry) { return s.at(3 + entry, 48).attr; }
};

TEST_F(ChoiceListTest, KeysMoveAndChoose) {
  struct Case {
    const char* what;
    int start;
    std::vector<int> keys;
    int result, ultpos;
  };
  using namespace key;
  const Case cases[] = {
      {"Enter on the start", 2, {kEnter}, 2, 2},
      {"Down stops on the last", 1, {kDown, kDown, kDown, kDown, kEnter}, 3, 3},
      {"Up stops on the first", 2, {kUp, kUp, kEnter}, 1, 1},
      {"End and Home", 1, {kEnd, kEnter}, 3, 3},
      {"Home", 3, {kHome, kEnter}, 1, 1},
      {"Esc gives 0", 2, {kDown, kEsc}, 0, 3},
      {"hot letter chooses at once", 1, {'g'}, 3, 3},
      {"hot letter upper case", 3, {'B'}, 2, 2},
      {"letter without an entry does nothing", 2, {'x', 'z', kEnter}, 2, 2},
      {"0 starts on the first", 0, {kEnter}, 1, 1},
      {"beyond the list starts on the last", 9, {kEnter}, 3, 3},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    listWindow(4, {"Alfa  ", "Beta  ", "Gama  "}, 6);
    messageState().POSVER = c.start;
    messageState().ULTPOS = 99;
    for (int k : c.keys) backend->push(k);
    EXPECT_EQ(ESC_OPCAO(4, 3, 1, 6, 0, 0, false), c.result);
    EXPECT_EQ(messageState().POSVER, c.result);
    EXPECT_EQ(messageState().ULTPOS, c.ultpos);
    EXPECT_EQ(backend->pending(), 0u) << "every key was read, none more";
  }
}

TEST_F(ChoiceListTest, BarColoursAndStatusTexts) {
  messageState().POSVER = 1;
  std::vector<Screen> shots;
  console().bindKey(kSnap, [&](const ReadContext&) {
    shots.push_back(console().screen());
    snap = shots.back();
  });
  keys({kSnap, key::kDown, kSnap, key::kEnter});
  EXPECT_EQ(ESC_OPCAO(4, 3, 1, 6, 0, 0, true), 2);
  ASSERT_EQ(shots.size(), 2u);
  const Screen& first = shots[0];
  EXPECT_EQ(attrOfEntry(first, 1), 79) << "COR_ESCOL";
  EXPECT_EQ(attrOfEntry(first, 2), 30) << "COR_TEL1";
  EXPECT_EQ(text(first, 24, 35, 10), "Texto alfa") << "centred on the message line";
  EXPECT_EQ(attrOfEntry(snap, 1), 30);
  EXPECT_EQ(attrOfEntry(snap, 2), 79);
  EXPECT_EQ(text(snap, 5, 48, 6), "Beta  ");
  EXPECT_EQ(text(snap, 24, 35, 10), "Texto beta");
  EXPECT_TRUE(isOpen(4)) << "close 0 leaves the list's window open";

  // Without texts the message line is cleared.
  MENS(0, "resto");
  keys({kSnap, key::kEnter});
  ESC_OPCAO(4, 3, 1, 6, 0, 0, false);
  EXPECT_EQ(snap.rowText(24), std::string(80, ' '));
}

TEST_F(ChoiceListTest, ClosesTheMessageBoxAndOnRequestTheList) {
  MENS(13, "Aguarde...");
  ASSERT_TRUE(isOpen(10));
  keys({key::kEnter});
  EXPECT_EQ(ESC_OPCAO(4, 3, 1, 6, 0, 1, false), 1);
  EXPECT_FALSE(isOpen(10));
  EXPECT_FALSE(isOpen(4));
  EXPECT_EQ(text(5, 48, 6), std::string(6, '.'));
  EXPECT_TRUE(console().cursorVisible());
}

TEST_F(ChoiceListTest, RowOffsetAndColumnPlaceTheBar) {
  // A heading row above the entries, the bar over columns 2..4.
  REDEFJAN(5, 30, 31, 31, 4, 10, 8, 17, 1);
  ABREJAN(5);
  ESCRJAN(5, "Titulo a-um  b-doi c-tre");
  messageState().POSVER = 2;
  keys({kSnap, key::kEnter});
  EXPECT_EQ(ESC_OPCAO(5, 3, 2, 3, 1, 0, false), 2);
  EXPECT_EQ(snap.at(6, 11).attr, 79);
  EXPECT_EQ(snap.at(6, 10).attr, 30);
  EXPECT_EQ(snap.at(6, 14).attr, 30);
  EXPECT_EQ(text(snap, 6, 11, 3), "b-d");
}

TEST_F(ChoiceListTest, AltAOpensTheCalculator) {
  messageState().POSVER = 1;
  // Not installed yet: the message line says so until a key is pressed.
  keys({key::kAltA, kSnap, 'q', key::kEnter});
  EXPECT_EQ(ESC_OPCAO(4, 3, 1, 6, 0, 0, true), 1);
  EXPECT_NE(snap.rowText(24).find("calculadora ainda näo está disponível"_cp), std::string::npos);
  EXPECT_EQ(backend->pending(), 0u);

  int runs = 0;
  messageState().calculator = [&runs] { ++runs; };
  keys({key::kDown, key::kAltA, key::kEnter});
  EXPECT_EQ(ESC_OPCAO(4, 3, 1, 6, 0, 0, true), 2);
  EXPECT_EQ(runs, 1);
}

TEST_F(MessagesTest, StarMarkChoice) {
  REDEFJAN(6, 30, 31, 31, 10, 10, 14, 22, 1);
  ABREJAN(6);
  ESCRJAN(6, "  um         dois       tres     ");
  struct Case {
    const char* what;
    int initial;
    std::vector<int> keys;
    int result, markRow;
  };
  using namespace key;
  const Case cases[] = {
      {"Enter", 2, {kEnter}, 2, 11},
      {"Down stops on the last", 1, {kDown, kDown, kDown, kEnter}, 3, 12},
      {"Up stops on the first", 2, {kUp, kUp, kEnter}, 1, 10},
      {"End, Home", 2, {kEnd, kHome, kEnter}, 1, 10},
      {"other keys ignored", 1, {'x', kRight, kEnd, kEnter}, 3, 12},
      {"Esc", 3, {kUp, kEsc}, 0, 11},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ESCRJAN(6, "  um         dois       tres     ");
    for (int k : c.keys) backend->push(k);
    EXPECT_EQ(ESC_ITEM(6, 3, 1, 0, c.initial), c.result);
    for (int row = 10; row <= 12; ++row)
      EXPECT_EQ(text(row, 10, 1), row == c.markRow ? "*" : " ") << "row " << row;
    EXPECT_EQ(text(c.markRow, 12, 2), c.markRow == 10 ? "um" : c.markRow == 11 ? "do" : "tr");
    EXPECT_EQ(backend->pending(), 0u);
    EXPECT_TRUE(console().cursorVisible());
  }
}

}  // namespace
}  // namespace zel
