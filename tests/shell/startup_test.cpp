// Start-up: the terminal number, a first start in an empty program
// directory, and the opening screen.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "data/catalogue.h"
#include "platform/db/ntx.h"
#include "platform/sys/cp850.h"
#include "shell/comum.h"
#include "shell_fixture.h"

namespace zel::shell {
namespace {

TEST(TerminalNumber, FromTheArgument) {
  struct Case {
    const char* arg;
    std::optional<std::string> nusu;
  } cases[] = {
      {"", ""},       // asked of QUAL_USUR
      {"3", "03"},    {"07", "07"},  {" 5 ", "05"}, {"99", "99"}, {"007", "07"},
      {"x", "00"},    {"3x", "03"},  // the leading number counts, as VAL read it
      {"100", std::nullopt},         {"-1", std::nullopt},
  };
  for (const Case& c : cases) EXPECT_EQ(terminalFromArgument(c.arg), c.nusu) << "'" << c.arg << "'";
}

TEST(TerminalNumber, EnvironmentWinsOverTheArgument) {
  ::setenv("TERMINAL", "07", 1);
  EXPECT_EQ(terminalArgumentWithEnvironment("3"), "07");
  ::setenv("TERMINAL", "", 1);
  EXPECT_EQ(terminalArgumentWithEnvironment("3"), "3");
  ::unsetenv("TERMINAL");
  EXPECT_EQ(terminalArgumentWithEnvironment(""), "");
}

using QualUsur = ShellTest;

TEST_F(QualUsur, LocalDriveAsksNothing) {
  EXPECT_EQ(QUAL_USUR(), "00");
  EXPECT_EQ(keys->presents, 0);
}

TEST_F(QualUsur, NetworkDriveAsksWithTheUserName) {
  shellState().onNetworkDrive = [] { return true; };
  ::setenv("USUAR", "MARIA", 1);
  script({kSnap, key::kEsc});
  EXPECT_EQ(QUAL_USUR(), "00");
  ASSERT_EQ(snaps.size(), 1u);
  EXPECT_NE(snaps[0].find(std::string("MARIA Forneça o número do terminal."_cp)),
            std::string::npos)
      << cp850ToUtf8(snaps[0]);
  EXPECT_EQ(screenState().COR_TEL1, 30);
  EXPECT_EQ(screenState().COR_TEL3, 30);

  ::setenv("EQUIP", "5", 1);
  script({kSnap, key::kEnter});
  EXPECT_EQ(QUAL_USUR(), "05");
  EXPECT_NE(snaps.back().find(std::string("MARIA Confirme o número do terminal."_cp)),
            std::string::npos);
}

using FirstStart = ShellTest;

// Not even the delivered tables.
class EmptyDirectory : public ShellTest {
 protected:
  void SetUp() override {
    delivered = false;
    ShellTest::SetUp();
  }
};

// Every table a first start makes, with its index files and keys.
struct Made {
  std::string file;
  std::vector<std::pair<std::string, std::string>> indexes;  // file, key
};

std::vector<Made> tablesOfAFirstStart() {
  std::vector<Made> out;
  for (int n : {1, 2, 3, 4, 6}) {
    std::string f = "ZEL" + std::to_string(n) + "09";
    out.push_back({f, {{f + ".NTX", "CPF+ATV_EXTER"}}});
  }
  // Terminar rebuilds the cash book's index on the owner alone.
  out.push_back({"ZEL509", {{"ZEL509.NTX", "CPF+ATV_EXTER"}}});
  out.push_back({"ZEL909",
                 {{"ZEL909.NTX", "CPF"}, {"ZEL909B.NTX", "UPPER(NOMECONTR)"}, {"ZEL909C.NTX", "ESTATUS"}}});
  out.push_back({"AUXABENS", {{"AUXABENS.NTX", "DESCRICAO"}}});
  out.push_back({"AUXCAIXA", {{"AUXCAIXA.NTX", "DESCR"}}});
  out.push_back({"DIRAR00", {}});
  out.push_back({"DIRET00", {}});
  out.push_back({"CONFIG", {{"CONFIG.NTX", "NRO_TERM"}}});
  out.push_back({"DEFINE", {}});
  out.push_back({"CORES", {{"CORES.NTX", "NRO_TERM"}}});
  out.push_back({"CONFIMP", {{"CONFIMP.NTX", "NRO_TERM"}}});
  return out;
}

TEST_F(EmptyDirectory, FirstStartCreatesEveryTableAndRowAndEndsWithAltT) {
  // Nothing delivered either: the asset kinds are reported missing.
  script({kSnap, key::kEnter, kSnap, key::kAltT});
  EXPECT_EQ(run(), 0);
  ASSERT_EQ(snaps.size(), 2u);
  EXPECT_NE(snaps[0].find(std::string("CODABENS.dbf näo localizado!"_cp)), std::string::npos)
      << cp850ToUtf8(snaps[0]);
  snaps.erase(snaps.begin());

  for (const Made& m : tablesOfAFirstStart()) {
    SCOPED_TRACE(m.file);
    auto t = open(m.file + ".DBF");
    ASSERT_TRUE(t);
    const uint32_t count = t->recordCount();
    for (const auto& [ntx, key] : m.indexes) {
      auto ix = db::NtxIndex::open(db::posixEnv(), prog(ntx), true);
      ASSERT_TRUE(ix.ok()) << ntx << ": " << ix.status();
      EXPECT_EQ(cp850Upper(trim((*ix)->keyText())), key) << ntx;
      auto stats = (*ix)->check(count);
      ASSERT_TRUE(stats.ok()) << ntx << ": " << stats.status();
      EXPECT_EQ(stats->keys, count) << ntx;
    }
  }

  auto config = open("CONFIG.DBF");
  ASSERT_EQ(config->recordCount(), 1u);
  ASSERT_TRUE(config->goTop().ok());
  const std::pair<const char*, const char*> texts[] = {
      {"NRO_TERM", "00"},   {"ROTATIVID", "C:\\PROG"}, {"DIRTRAB", "C:\\PROG"},
      {"ROTADOANO", "C:\\PROG"}, {"ROTAZEL", "C:\\DO2009"}, {"MOSIMP", "S"},
      {"MOSTEL", "S"},      {"XDRIVE", "A"},           {"DIRPROV", ""},
      {"OPCIRPF", "J"},
  };
  for (const auto& [field, value] : texts) EXPECT_EQ(config->text(field), value) << field;
  for (const char* f : {"AQUEIMP", "AQUEMOD", "AQUEPAG", "AQUECON", "ATVQUAL", "ULT_MOD"})
    EXPECT_EQ(config->number(f), 1) << f;
  EXPECT_EQ(config->number("OPTTRAN"), 3);
  EXPECT_EQ(config->number("SOESTE"), 9);
  EXPECT_EQ(config->get("ULTBACK")->date(), *Date::fromYmd(2009, 3, 2));

  auto define = open("DEFINE.DBF");
  ASSERT_EQ(define->recordCount(), 1u);
  ASSERT_TRUE(define->goTop().ok());
  EXPECT_EQ(define->number("COMO_SAL"), 2);
  EXPECT_EQ(define->number("TEMP_SAL"), 15);
  EXPECT_DOUBLE_EQ(define->number("VAL_DOLAR"), 2.3362);

  auto cores = open("CORES.DBF");
  ASSERT_EQ(cores->recordCount(), 1u);
  ASSERT_TRUE(cores->goTop().ok());
  EXPECT_EQ(cores->text("NRO_TERM"), "00");
  EXPECT_EQ(cores->number("COR_TEL3"), 63);
  EXPECT_EQ(cores->number("COR_ESCOL"), 79);
  EXPECT_EQ(cores->text("COR_ESC_CL"), "W/R+");

  auto printer = open("CONFIMP.DBF");
  ASSERT_EQ(printer->recordCount(), 1u);
  ASSERT_TRUE(printer->goTop().ok());
  EXPECT_EQ(printer->text("SEQ3"), "<014>//<020>");
  EXPECT_EQ(printer->text("LOCIMPR"), "L");
  EXPECT_EQ(printer->number("NROLPT"), 1);

  auto dirs = open("DIRAR00.DBF");
  ASSERT_EQ(dirs->recordCount(), 1u);
  ASSERT_TRUE(dirs->goTop().ok());
  EXPECT_EQ(dirs->text("SELEC"), "S");
  EXPECT_EQ(dirs->text("DIRETOR"), "C:\\PROG");

  // What the user saw: the banner with the terminal and version, the bar,
  // the first pull-down's status text.
  ASSERT_EQ(snaps.size(), 1u);
  const std::string& s = snaps[0];
  auto row = [&](int r) { return s.substr(static_cast<size_t>(r) * 81, 80); };
  EXPECT_EQ(row(18).substr(20, 50),
            std::string(15, ' ') + std::string("Terminal 00   ZEL Versäo 1.2Da     "_cp));
  EXPECT_NE(row(0).find("Declaracao"), std::string::npos);
  EXPECT_NE(row(0).find("Sair"), std::string::npos);
  EXPECT_EQ(trim(row(24)), "Contribuinte com atividade no Brasil - Criacao ou alteracao dos dados.");
}

TEST_F(FirstStart, TerminalNumberKeysTheRowsAndShowsOnTheOpeningScreen) {
  script({kSnap, key::kAltT});
  EXPECT_EQ(run("7"), 0);
  auto config = open("CONFIG.DBF");
  ASSERT_TRUE(config->goTop().ok());
  EXPECT_EQ(config->text("NRO_TERM"), "07");
  EXPECT_TRUE(std::filesystem::exists(prog("DIRAR07.DBF")));
  ASSERT_EQ(snaps.size(), 1u);
  EXPECT_NE(snaps[0].find("Terminal 07"), std::string::npos);

  // A second terminal gets rows of its own beside the first one's.
  script({key::kAltT});
  EXPECT_EQ(run("8"), 0);
  EXPECT_EQ(open("CONFIG.DBF")->recordCount(), 2u);
  EXPECT_EQ(open("CORES.DBF")->recordCount(), 2u);
  EXPECT_EQ(open("CONFIMP.DBF")->recordCount(), 2u);
}

TEST_F(FirstStart, StoredColoursAndChoicesAreUsed) {
  script({key::kAltT});
  ASSERT_EQ(run(), 0);
  {
    auto t = db::Table::open(db::posixEnv(), prog("CORES.DBF"), db::OpenMode::kExclusive);
    ASSERT_TRUE(t.ok());
    ASSERT_TRUE((*t)->goTop().ok());
    ASSERT_TRUE((*t)->put("COR_1_CLI", Value("W+/R")).ok());
    ASSERT_TRUE((*t)->put("COR_ENCHE", Value(64)).ok());
    auto c = db::Table::open(db::posixEnv(), prog("CONFIG.DBF"), db::OpenMode::kExclusive);
    ASSERT_TRUE(c.ok());
    ASSERT_TRUE((*c)->goTop().ok());
    ASSERT_TRUE((*c)->put("AQUEIMP", Value(3)).ok());
    ASSERT_TRUE((*c)->put("AQUEPAG", Value(3)).ok());
    ASSERT_TRUE((*c)->put("AQUECON", Value(0)).ok());  // out of its list
  }
  probe = [] {
    const ShellState& st = shellState();
    MenuBar* bar = st.bar;
    ASSERT_TRUE(bar);
    EXPECT_EQ(bar->menu(3).items[0].caption, std::string("&1-aNotaçöes       "_cp));
    EXPECT_EQ(bar->menu(3).items[1].caption, "&2-Form. Branco  ");
    EXPECT_EQ(bar->menu(3).items[2].caption, std::string("&3-Folha única"_cp));
    EXPECT_EQ(bar->menu(3).items[3].caption, "&4-Individual  ");
    EXPECT_EQ(st.AQUEPAG, 1);
    EXPECT_EQ(st.CORMENU, "W+/R,W/R+,W+/B,W+/B,W+/B,W+/B");
    EXPECT_EQ(st.CORNORM, "N/W+,W/N,N/N,N/N,N/W+");
    EXPECT_EQ(screenState().COR_ENCHE, 64);
  };
  script({kProbe, key::kAltT});
  EXPECT_EQ(run(), 0);
}

TEST_F(FirstStart, ClickBetweenCommandsBlanksItsRowToTheRightEdge) {
  keys->pushClick(12, 30);
  script({kSnap, key::kAltT});
  EXPECT_EQ(run(), 0);
  ASSERT_EQ(snaps.size(), 1u);
  const std::string row = snaps[0].substr(12 * 81, 80);
  EXPECT_EQ(row.substr(30), std::string(50, ' '));
  EXPECT_NE(row.substr(20, 10), std::string(10, ' '));  // the banner left of the pointer
}

TEST_F(FirstStart, RemovedDataDirectoryIsReportedOnceAndReplaced) {
  script({key::kAltT});
  ASSERT_EQ(run(), 0);
  {
    auto c = db::Table::open(db::posixEnv(), prog("CONFIG.DBF"), db::OpenMode::kExclusive);
    ASSERT_TRUE(c.ok());
    ASSERT_TRUE((*c)->goTop().ok());
    ASSERT_TRUE((*c)->put("ROTATIVID", Value("C:\\GONE")).ok());
  }
  const std::string report = std::string("O diretório C:\\GONE näo encontrado.Assumido o atual."_cp);
  script({kSnap, key::kEnter, kSnap, key::kAltT});
  EXPECT_EQ(run(), 0);
  ASSERT_EQ(snaps.size(), 2u);
  EXPECT_NE(snaps[0].find(report), std::string::npos) << cp850ToUtf8(snaps[0]);
  // Over the opening screen, which is already drawn.
  EXPECT_NE(snaps[0].find("Terminal 00"), std::string::npos);
  auto config = open("CONFIG.DBF");
  ASSERT_TRUE(config->goTop().ok());
  EXPECT_EQ(config->text("ROTATIVID"), "C:\\PROG");

  snaps.clear();
  script({kSnap, key::kAltT});
  EXPECT_EQ(run(), 0);
  ASSERT_EQ(snaps.size(), 1u);
  EXPECT_EQ(snaps[0].find(std::string("näo encontrado"_cp)), std::string::npos);
}

TEST_F(FirstStart, ConfigHeldByAnotherProgramEndsTheStart) {
  script({key::kAltT});
  ASSERT_EQ(run(), 0);
  auto holder = db::Table::open(db::posixEnv(), prog("CONFIG.DBF"), db::OpenMode::kExclusive);
  ASSERT_TRUE(holder.ok());
  // The open waits its seconds on the manual clock (keys typed meanwhile end
  // a pause and are dropped), then the two alerts.
  long long t = 60000;
  for (int k : {kSnap, static_cast<int>(key::kEnter), kSnap, static_cast<int>(key::kEnter)})
    keys->pushAt(t += 10, k);
  EXPECT_EQ(run(), 1);
  ASSERT_EQ(snaps.size(), 2u);
  EXPECT_NE(snaps[1].find(std::string("Arquivo de configuraçao sendo usado no momento"_cp)),
            std::string::npos)
      << cp850ToUtf8(snaps[1]);
}

}  // namespace
}  // namespace zel::shell
