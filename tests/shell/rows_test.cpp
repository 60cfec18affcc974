// The terminal's colour and printer rows, and the control-string notation.
#include <gtest/gtest.h>

#include <string>

#include "data/rotirur.h"
#include "shell/comum.h"
#include "shell_fixture.h"

namespace zel::shell {
namespace {

TEST(Montastrg, NotationToBytes) {
  struct Case {
    const char* text;
    std::string bytes;
    bool laser;
  } cases[] = {
      {"<027>A", "\x1b" "A", false},
      {"<esc>@", "\x1b@", false},
      {"<ESC>E<027>F", "\x1b" "E\x1b" "F", false},
      {"  plain text ", "plain text", false},
      {"<018>", "\x12", false},
      {"<060>x", "<x", false},  // a "<" made from a code stays a byte
      {"<###><027>&l0O", "###\x1b&l0O", true},
      {"<999>", std::string(1, static_cast<char>(999 & 0xFF)), false},
  };
  for (const Case& c : cases) {
    shellState().TEM_LASER = 0;
    EXPECT_EQ(MONTASTRG(c.text), c.bytes) << c.text;
    EXPECT_EQ(shellState().TEM_LASER != 0, c.laser) << c.text;
  }
  resetShellState();
}

class Rows : public ShellTest {
 protected:
  void SetUp() override {
    ShellTest::SetUp();
    data::DataState& ds = data::dataState();
    ds.ARQDEF = "C:\\PROG\\";
    ds.NUSU = "04";
  }
  void setPrinterRow(const std::vector<data::FieldValue>& values) {
    ASSERT_TRUE(data::ABERTURA(57));
    ASSERT_TRUE(lockTerminalRow("57"));
    ASSERT_TRUE(putFields(*data::currentTable(), values).ok());
    (void)data::currentTable()->unlockAll();
    data::closeAllAreas();
  }
};

TEST_F(Rows, PrinterRowIsMadeWithTheDefaultsAndItsStringsBuilt) {
  CRIA_SEQ();
  const ShellState& st = shellState();
  EXPECT_EQ(st.STRING0, "\x12");
  EXPECT_EQ(st.STRING1, "\x0f");
  EXPECT_EQ(st.STRING2, "\x1b" "A");
  EXPECT_EQ(st.STRING3, "\x0e");
  EXPECT_EQ(st.STRING4, "\x14");
  EXPECT_EQ(st.LOCIMPR, "L");
  EXPECT_EQ(st.NROLPT, 1);
  EXPECT_EQ(st.TEM_LASER, 0);
  auto t = open("CONFIMP.DBF");
  ASSERT_EQ(t->recordCount(), 1u);
  ASSERT_TRUE(t->goTop().ok());
  EXPECT_EQ(t->text("NRO_TERM"), "04");
  EXPECT_EQ(t->text("VERMELHO"), "N");
}

TEST_F(Rows, ExpandedSequenceWithoutSeparatorLeavesTheSecondStringEmpty) {
  setPrinterRow({{"SEQ3", Value("<027>W1")}, {"SEQ0", Value("<027>(s10H<###>")}});
  shellState().TEM_LASER = 0;
  CRIA_SEQ();
  const ShellState& st = shellState();
  EXPECT_EQ(st.STRING3, "\x1bW1");
  EXPECT_EQ(st.STRING4, "");
  EXPECT_EQ(st.STRING0, "\x1b(s10H###");
  EXPECT_NE(st.TEM_LASER, 0);
}

TEST_F(Rows, ColourRowIsAppendedWithDefaultsThenLoadedAndStored) {
  ScreenState& sc = screenState();
  sc.COR_TEL1 = sc.COR_TEL2 = 30;  // as the terminal question leaves them
  CRIACOR();
  EXPECT_EQ(sc.COR_TEL2, 31);  // the row's defaults replace them
  auto t = open("CORES.DBF");
  ASSERT_EQ(t->recordCount(), 1u);
  t.reset();

  sc.COR_ESCOL = 79;
  sc.COR_ESC_CL = "W+/R";
  sc.COR_FERID = 16;
  GRAVACOR();
  resetScreenState();
  CRIACOR();
  EXPECT_EQ(sc.COR_ESC_CL, "W+/R");
  EXPECT_EQ(sc.COR_FERID, 16);
  EXPECT_EQ(open("CORES.DBF")->recordCount(), 1u);
}

}  // namespace
}  // namespace zel::shell
