#include "platform/widgets/menu_bar.h"

#include <vector>

#include "widgets/widget_fixture.h"

namespace zel {
namespace {

constexpr const char* kColours = "GR+/B,W/R,W+/B,GR+/R,W/B,BG/B";

class MenuBarTest : public WidgetTest {
 protected:
  // Three titles: " Dec&laracao " columns 0-13, "O&pcoes" 14-21, "Sai&r" 22-28.
  void build(MenuBar& bar) {
    auto note = [this](MenuItem& it) { ran.push_back(it.id); };
    PullDown& d = bar.addMenu(" Dec&laracao ");
    d.add(" Atividade no &Brasil ", key::kAltB, "Contribuinte com atividade no Brasil", 11, note);
    d.add(" Atividade no &Exterior ", key::kAltE, "Contribuinte com atividade no Exterior", 12, note);
    d.add(" E&xclusao ", 0, "Elimina contribuintes", 15, note);
    d.addSeparator();
    d.add(" &Terminar", key::kAltT, "Sai do programa", 16, note);
    PullDown& o = bar.addMenu("O&pcoes");
    o.add("&Area de Trabalho", 0, "Seleciona drive e pasta", 21, note);
    o.add("&Transferir Dados", 0, "Transfere a declaracao", 22, note);
    o.add("Mudar as &Cores", 0, "Cores", 25, note).enabled = false;
    PullDown& s = bar.addMenu("Sai&r");
    s.add("Sai&r ", key::kAltR, "Sai do programa ", 71, note);
  }
  std::vector<int> ran;
};

struct Ev {
  int key;
  int row = -1, col = -1;
};

struct KeyCase {
  const char* name;
  int start;
  bool open;
  std::vector<Ev> events;
  int id;        // 0: left with Esc
  int position;  // title highlighted at the end
};

TEST_F(MenuBarTest, KeysAndClicksChooseItems) {
  const int kClick = key::kMouseLeft;
  const KeyCase cases[] = {
      {"enter runs the first item", 1, true, {{key::kEnter}}, 11, 1},
      {"up wraps to the last item", 1, true, {{key::kUp}, {key::kEnter}}, 16, 1},
      {"down skips the separator", 1, true,
       {{key::kDown}, {key::kDown}, {key::kDown}, {key::kEnter}}, 16, 1},
      {"down skips a disabled item and wraps", 2, true,
       {{key::kDown}, {key::kDown}, {key::kEnter}}, 21, 2},
      {"hot letter of an item, any case", 1, true, {{'x'}}, 15, 1},
      {"hot letter of a disabled item is ignored", 2, true, {{'c'}, {key::kEsc}, {key::kEsc}}, 0, 2},
      {"right opens the next pull-down", 1, true, {{key::kRight}, {key::kEnter}}, 21, 2},
      {"left wraps to the last pull-down", 1, true, {{key::kLeft}, {key::kEnter}}, 71, 3},
      {"esc closes, arrows move on the bar", 1, true,
       {{key::kEsc}, {key::kRight}, {key::kRight}, {key::kEnter}, {key::kEnter}}, 71, 3},
      {"esc at bar level returns", 1, true, {{key::kEsc}, {key::kEsc}}, 0, 1},
      {"closed start: esc returns at once", 2, false, {{key::kEsc}}, 0, 2},
      {"closed start: down opens", 2, false, {{key::kDown}, {key::kEnter}}, 21, 2},
      {"alt plus title letter opens it", 1, true, {{key::kAltP}, {key::kEnter}}, 21, 2},
      {"title letter at bar level opens it", 1, true, {{key::kEsc}, {'p'}, {key::kEnter}}, 21, 2},
      {"shortcut from another pull-down", 3, true, {{key::kAltT}}, 16, 1},
      {"shortcut from bar level", 2, true, {{key::kEsc}, {key::kAltB}}, 11, 1},
      {"shortcut wins over the title's alt letter", 1, true, {{key::kAltR}}, 71, 3},
      {"click on a title then on an item", 1, true, {{kClick, 0, 15}, {kClick, 3, 20}}, 22, 2},
      {"click on the separator does nothing", 1, true,
       {{kClick, 5, 4}, {key::kEsc}, {key::kEsc}}, 0, 1},
      {"click elsewhere closes the pull-down", 1, true, {{kClick, 12, 60}, {key::kEsc}}, 0, 1},
      {"click on a disabled item does nothing", 2, true,
       {{kClick, 4, 20}, {key::kEnter}}, 21, 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    MenuBar bar(kColours, 0, *con);
    build(bar);
    ran.clear();
    for (const Ev& e : c.events) {
      if (e.row >= 0)
        backend->pushClick(e.row, e.col, e.key);
      else
        backend->push(e.key);
    }
    MenuChoice got = bar.run(c.start, c.open);
    EXPECT_EQ(got.id(), c.id);
    EXPECT_EQ(got.position, c.position);
    EXPECT_EQ(backend->pending(), 0u);
    if (c.id == 0) {
      EXPECT_TRUE(ran.empty());
    } else {
      EXPECT_EQ(ran, std::vector<int>{c.id});
    }
  }
}

TEST_F(MenuBarTest, DrawsBarPullDownStatusRowInTheirColours) {
  fillScreen('.', 0x07);
  MenuBar bar(kColours, 0, *con);
  build(bar);
  const Attr item = pair("GR+/B"), selected = pair("W/R"), hot = pair("W+/B"),
             hotSelected = pair("GR+/R"), disabled = pair("W/B"), frame = pair("BG/B");

  backend->push({kSnap, key::kDown, kSnap, key::kEsc, key::kEsc});
  EXPECT_EQ(bar.run(1).item, nullptr);
  ASSERT_EQ(snaps, 2);

  // The second snapshot: the bar, the first pull-down with item 2 highlighted.
  EXPECT_EQ(snapText(0, 0, 30), "  Declaracao   Opcoes  Sair   ");
  EXPECT_EQ(snap.at(0, 0).attr, selected);
  EXPECT_EQ(snap.at(0, 5).attr, hotSelected);  // l
  EXPECT_EQ(snap.at(0, 15).attr, item);        // O
  EXPECT_EQ(snap.at(0, 16).attr, hot);         // p
  EXPECT_EQ(snap.at(0, 79).attr, item);

  EXPECT_EQ(snapText(1, 0, 27), "\xDA" + std::string(25, '\xC4') + "\xBF");
  EXPECT_EQ(snap.at(1, 0).attr, frame);
  EXPECT_EQ(snapText(2, 0, 27), "\xB3  Atividade no Brasil    \xB3");
  EXPECT_EQ(snapText(3, 1, 25), "  Atividade no Exterior  ");
  EXPECT_EQ(snapText(5, 0, 27), "\xC3" + std::string(25, '\xC4') + "\xB4");
  EXPECT_EQ(snapText(7, 0, 27), "\xC0" + std::string(25, '\xC4') + "\xD9");
  EXPECT_EQ(snapText(8, 0, 3), "...");  // nothing drawn below the box

  EXPECT_EQ(snap.at(2, 1).attr, item);
  EXPECT_EQ(snap.at(2, 16).attr, hot);  // B
  EXPECT_EQ(snap.at(3, 1).attr, selected);
  EXPECT_EQ(snap.at(3, 25).attr, selected);
  EXPECT_EQ(snap.at(3, 16).attr, hotSelected);  // E
  EXPECT_EQ(snap.at(3, 26).attr, frame);

  std::string status = "Contribuinte com atividade no Exterior";
  status.resize(80, ' ');
  EXPECT_EQ(snap.rowText(24), status);
  EXPECT_EQ(snap.at(24, 0).attr, item);
  EXPECT_EQ(snap.at(24, 79).attr, item);

  // The first snapshot had the first item highlighted and its status.
  // After Esc the pull-down and the status row are gone.
  EXPECT_EQ(liveText(2, 0, 27), std::string(27, '.'));
  EXPECT_EQ(liveText(24, 0, 80), std::string(80, '.'));
  EXPECT_EQ(con->screen().at(24, 0).attr, 0x07);

  // A disabled item is painted in its colour, hot letter included.
  backend->push({key::kRight, kSnap, key::kEsc, key::kEsc});
  bar.run(1);
  EXPECT_EQ(snapText(4, 15, 16), " Mudar as Cores ");
  EXPECT_EQ(snap.at(4, 25).attr, disabled);  // C
  EXPECT_EQ(snap.at(4, 16).attr, disabled);
}

TEST_F(MenuBarTest, CallbackRunsOnRestoredScreenAndMayRenameItsItem) {
  fillScreen('.', 0x07);
  MenuBar bar(kColours, 0, *con);
  std::string seenUnder, seenStatus;
  bool seenCursor = false;
  bool cursorInBar = true;
  con->bindKey(key::kF10, [&](const ReadContext&) { cursorInBar = con->cursorVisible(); });
  con->showCursor(true);
  PullDown& sel = bar.addMenu("&Selecao");
  sel.add("&1-Atividade Rural ", 0, std::string("Selecione O QUE será impresso."_cp), 41, [&](MenuItem& it) {
    seenUnder = liveText(2, 0, 22);
    seenStatus = liveText(24, 0, 10);
    seenCursor = con->cursorVisible();
    it.caption = std::string("&1-Livro caixa e anotaçöes"_cp);
  });
  sel.add("&8-Vias 1", 0, "", 48, {});

  backend->push({kSnap, key::kF10, key::kEnter});
  MenuChoice c = bar.run(1);
  EXPECT_EQ(c.id(), 41);
  EXPECT_FALSE(cursorInBar);
  EXPECT_TRUE(seenCursor);
  EXPECT_EQ(snapText(24, 0, 30), "Selecione O QUE será impresso."_cp);
  EXPECT_EQ(seenUnder, std::string(22, '.'));
  EXPECT_EQ(seenStatus, std::string(10, '.'));
  EXPECT_EQ(bar.findItem(41)->text(), "1-Livro caixa e anotaçöes"_cp);

  // The new caption is shown next time, in a box wide enough for it; an
  // item without a callback is still returned.
  backend->push({key::kDown, kSnap, '8'});
  c = bar.run(1);
  EXPECT_EQ(c.id(), 48);
  EXPECT_EQ(snapText(2, 0, 29), "│ 1-Livro caixa e anotaçöes │"_cp);
  EXPECT_EQ(snapText(3, 0, 29), "│ 8-Vias 1                  │"_cp);
  EXPECT_EQ(snapText(24, 0, 80), std::string(80, ' '));  // empty status text
}

TEST(MenuColoursTest, MissingOrMalformedPairsKeepDefaults) {
  MenuColours d;
  MenuColours c = MenuColours::parse("W/R,,bad,GR+/R");
  EXPECT_EQ(c.item, pair("W/R"));
  EXPECT_EQ(c.selected, d.selected);
  EXPECT_EQ(c.hot, d.hot);
  EXPECT_EQ(c.hotSelected, pair("GR+/R"));
  EXPECT_EQ(c.frame, d.frame);
}

}  // namespace
}  // namespace zel
