// The menu bar and its commands, driven through the whole program.
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "platform/sys/cp850.h"
#include "shell/comum.h"
#include "shell_fixture.h"

namespace zel::shell {
namespace {

TEST(MenuPosition, ByTheFirstDigitOfTheId) {
  const std::pair<int, int> cases[] = {{11, 1}, {16, 1}, {21, 2}, {31, 2}, {32, 2}, {41, 3},
                                       {48, 3}, {51, 4}, {52, 4}, {61, 5}, {62, 5}, {71, 6}};
  for (auto [id, pos] : cases) EXPECT_EQ(menuPositionOf(id), pos) << id;
}

class Menu : public ShellTest {
 protected:
  void SetUp() override {
    ShellTest::SetUp();
    script({key::kAltT});
    ASSERT_EQ(run(), 0);  // the first start, so each test starts from made tables
  }

  std::string bytes(const std::string& file) {
    std::ifstream in(prog(file), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  double defineField(const char* f) {
    auto t = open("DEFINE.DBF");
    EXPECT_TRUE(t->goTop().ok());
    return t->number(f);
  }
  std::string configText(const char* f) {
    auto t = open("CONFIG.DBF");
    EXPECT_TRUE(t->goTop().ok());
    return t->text(f);
  }
  std::string caption(int menu, int item) {
    return shellState().bar->menu(menu).items[static_cast<size_t>(item)].caption;
  }
  // Records NPOSMENU when the probe key is read by the bar.
  std::vector<int> positions;
  void recordPositions() {
    probe = [this] { positions.push_back(shellState().NPOSMENU); };
  }
};

TEST_F(Menu, DollarValueIsStoredInDefineAndZeroIsRefused) {
  recordPositions();
  // Up from the first item wraps to the last one, the dollar value ("D" is
  // also the hot letter of the status register above it).
  script({key::kRight, key::kUp, key::kEnter});
  type("3.1234");  // fills the field: the entry ends
  script({kProbe,
          // Esc in the entry gives 0: the rate stays.
          key::kUp, key::kEnter, key::kEsc, kProbe, key::kAltT});
  EXPECT_EQ(run(), 0);
  EXPECT_DOUBLE_EQ(defineField("VAL_DOLAR"), 3.1234);
  EXPECT_DOUBLE_EQ(shellState().NVALDOLAR, 3.1234);
  EXPECT_EQ(shellState().CVALDOLAR, "3.1234");
  EXPECT_EQ(positions, (std::vector<int>{2, 2}));
}

TEST_F(Menu, PrintChoiceIsStoredAtOnceAndOnlyItsCaptionChanges) {
  std::string storedMeanwhile;
  probe = [&] {
    storedMeanwhile = configText("AQUEIMP");
    EXPECT_EQ(caption(3, 0), std::string("&1-Livro caixa     "));
    EXPECT_EQ(caption(3, 1), "&2-Rascunho      ");
    EXPECT_EQ(caption(3, 2), "&3-Todas    ");
    EXPECT_EQ(shellState().NPOSMENU, 3);
    EXPECT_EQ(shellState().AQUEMOD, 1);
    EXPECT_EQ(shellState().AQUEPAG, 1);
  };
  script({key::kRight, key::kRight, '1', kSnap, 'L', kProbe, key::kAltT});
  EXPECT_EQ(run(), 0);
  EXPECT_EQ(storedMeanwhile, "2");
  ASSERT_EQ(snaps.size(), 1u);
  // The list in window 4, its status text on the message line.
  const std::string& s = snaps[0];
  EXPECT_EQ(s.substr(4 * 81 + 48, 16), "Atividade Rural ");
  EXPECT_EQ(s.substr(6 * 81 + 48, 16), std::string("aNotaçöes       "_cp));
  EXPECT_NE(s.substr(24 * 81, 80).find(std::string("Impressäo da Declaraçäo da atividade RURAL"_cp)),
            std::string::npos);

  // The next start builds items 42 and 43 from the cash-book lists.
  probe = [&] {
    EXPECT_EQ(caption(3, 1), "&2-Form. Branco  ");
    EXPECT_EQ(caption(3, 2), std::string("&3-Folha única"_cp));
  };
  script({kProbe, key::kAltT});
  EXPECT_EQ(run(), 0);
}

TEST_F(Menu, EscInAPrintListChangesNothing) {
  probe = [&] { EXPECT_EQ(caption(3, 3), "&4-Individual  "); };
  script({key::kRight, key::kRight, '4', key::kDown, key::kEsc, kProbe, key::kAltT});
  EXPECT_EQ(run(), 0);
  EXPECT_EQ(shellState().AQUECON, 1);
  EXPECT_EQ(configText("AQUECON"), "1");
}

TEST_F(Menu, CopiesZeroBecomeOneAndTheQuestionsAreNotStored) {
  probe = [&] {
    EXPECT_EQ(caption(3, 7), "&8-Vias 1");
    EXPECT_EQ(shellState().NRO_VIAS, 1);
    EXPECT_EQ(shellState().MOSIMP, "N");
    EXPECT_EQ(shellState().MOSTEL, "N");
  };
  script({key::kRight, key::kRight, '8', '0',  // one digit fills the field
          '7', 'N', key::kEsc, kProbe, key::kAltT});
  EXPECT_EQ(run(), 0);
  EXPECT_EQ(configText("MOSIMP"), "S");
  EXPECT_EQ(configText("MOSTEL"), "S");

  probe = [&] { EXPECT_EQ(caption(3, 7), "&8-Vias 4"); };
  script({key::kRight, key::kRight, '8', '4', kProbe, key::kAltT});
  EXPECT_EQ(run(), 0);
}

TEST_F(Menu, SairAnsweredNaoReturnsWithNothingChangedAndSimEnds) {
  recordPositions();
  const std::string before = bytes("CONFIG.DBF");
  script({key::kAltR, kSnap, 'N', kProbe, key::kAltR, 'S'});
  EXPECT_EQ(run(), 0);
  ASSERT_FALSE(snaps.empty());
  EXPECT_NE(snaps[0].find(std::string(" Confirma saída do sistema"_cp)), std::string::npos);
  EXPECT_EQ(positions, (std::vector<int>{6}));
  EXPECT_EQ(bytes("CONFIG.DBF"), before);
  EXPECT_EQ(keys->pending(), 0u);
}

TEST_F(Menu, TerminarEndsFromAnyMenuWithoutAQuestion) {
  for (int rights = 0; rights < 6; ++rights) {
    SCOPED_TRACE(rights);
    for (int i = 0; i < rights; ++i) script({key::kRight});
    script({key::kAltT});
    EXPECT_EQ(run(), 0);
    EXPECT_EQ(keys->pending(), 0u);
    EXPECT_EQ(keys->escapesAfterEnd, 0);
  }
}

TEST_F(Menu, SaveModeIsStoredInDefine) {
  // Only at the end: the interval becomes 99.
  script({key::kRight, 'G', kSnap, key::kDown, key::kEnter, key::kAltT});
  EXPECT_EQ(run(), 0);
  EXPECT_EQ(defineField("COMO_SAL"), 3);
  EXPECT_EQ(defineField("TEMP_SAL"), 99);
  ASSERT_EQ(snaps.size(), 1u);
  auto row = [&](int r) { return snaps[0].substr(static_cast<size_t>(r) * 81, 80); };
  EXPECT_EQ(row(8).substr(34, 19), std::string("│ Manual (Alt W)│*│"_cp));
  EXPECT_EQ(row(7).substr(34, 19), std::string("│ Automático    │ │"_cp));

  // Automatic: 99 becomes 5, then the interval typed.
  script({key::kRight, 'G', key::kHome, key::kEnter, kSnap, '7', key::kEnter, key::kAltT});
  EXPECT_EQ(run(), 0);
  EXPECT_EQ(defineField("COMO_SAL"), 1);
  EXPECT_EQ(defineField("TEMP_SAL"), 7);
  EXPECT_NE(snaps.back().substr(7 * 81 + 54, 24).find("Gravar a cada"), std::string::npos);

  // Esc keeps the mode and still writes the row.
  script({key::kRight, 'G', key::kEsc, key::kAltT});
  EXPECT_EQ(run(), 0);
  EXPECT_EQ(defineField("COMO_SAL"), 1);
  EXPECT_EQ(defineField("TEMP_SAL"), 7);
}

TEST_F(Menu, CommandsNotBuiltSayTheyAreNotAvailable) {
  script({key::kEnter, kSnap, key::kEnter, key::kAltT});
  EXPECT_EQ(run(), 0);
  ASSERT_EQ(snaps.size(), 1u);
  EXPECT_NE(snaps[0].find(std::string("ainda näo está disponível nesta versäo."_cp)),
            std::string::npos);
}

TEST_F(Menu, WorkAreaAsksForTheDirectory) {
  script({key::kRight, key::kEnter, kSnap, key::kEsc, key::kAltT});
  EXPECT_EQ(run(), 0);
  ASSERT_EQ(snaps.size(), 1u);
  EXPECT_NE(snaps[0].find(std::string("Drive e diretório Atual"_cp)), std::string::npos)
      << cp850ToUtf8(snaps[0]);
  EXPECT_EQ(trim(data::dataState().DIRTRAB), "C:\\PROG");
}

TEST_F(Menu, NonDosPrintWithoutItsFileAsksToSelectThePrinter) {
  script({key::kRight, key::kRight, key::kRight, 'N', kSnap, key::kEnter, key::kAltT});
  EXPECT_EQ(run(), 0);
  ASSERT_EQ(snaps.size(), 1u);
  EXPECT_NE(snaps[0].find("Selecione a impressora Nao DOS antes"), std::string::npos);
}

}  // namespace
}  // namespace zel::shell
