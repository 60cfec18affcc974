#include "data/directories.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>

#include "data/areas.h"
#include "data_fixture.h"
#include "helpers/hooks.h"
#include "helpers/paths.h"
#include "helpers/system_helpers.h"
#include "platform/console/console.h"
#include "platform/console/keys.h"
#include "platform/db/fault_env.h"
#include "platform/sys/cp850.h"
#include "platform/ui/form_reader.h"
#include "platform/ui/picture_editor.h"
#include "screen/console.h"
#include "screen/messages.h"

namespace zel::data {
namespace {

namespace fs = std::filesystem;

// A key no terminal sends: while bound it copies the screen, so that a test
// sees what a modal box showed.
constexpr int kSnap = 0x7ff0;

// Program directory C:\PROG and data directory C:\DADOS (from DataDirs), on a
// fresh headless console whose keys come from the script.
class Directories : public DataDirs {
 protected:
  void SetUp() override {
    DataDirs::SetUp();
    auto backend = std::make_unique<HeadlessBackend>();
    keys = backend.get();
    oldConsole = setConsole(std::make_unique<Console>(std::move(backend)));
    console().setSilent(true);
    resetScreenState();
    resetMessageState();
    resetHelperState();
    resetDirectoryLinks();
    helperState().alert = [this](std::string_view t) { helperAlerts.emplace_back(t); };
    console().bindKey(kSnap, [this](const ReadContext&) {
      std::string s;
      for (int r = 0; r < 25; ++r) s += console().screen().rowText(r) + "\n";
      snaps.push_back(s);
    });
    DataState& st = dataState();
    st.ROTATIVID = "C:\\DADOS";
    st.DIRETOR = "C:\\DADOS";
    st.DIRORIG = st.LOCARQ;
  }
  void TearDown() override {
    resetDirectoryLinks();
    resetHelperState();
    resetMessageState();
    resetScreenState();
    setConsole(std::move(oldConsole));
    DataDirs::TearDown();
  }

  void type(std::string_view utf8OrAscii) { keys->pushText(utf8OrAscii); }
  void press(std::initializer_list<int> k) { keys->push(k); }
  std::string row(int r) const { return console().screen().rowText(r); }
  bool snapHas(size_t i, std::string_view text) const {
    return i < snaps.size() && snaps[i].find(text) != std::string::npos;
  }

  // The directory list (table 26) with its rows (SELEC, DIRETOR).
  void makeList(const std::vector<std::pair<std::string, std::string>>& rows) {
    std::vector<std::vector<std::pair<std::string, Value>>> r;
    for (const auto& [sel, dir] : rows)
      r.push_back({{"SELEC", Value(sel)}, {"DIRETOR", Value(dir)}});
    makeTable(prog("DIRAR00.DBF"), findTable(26)->fields, r);
  }
  void makeConfig(const std::string& rotativid) {
    makeTable(prog("CONFIG.DBF"), findTable(42)->fields,
              {{{"NRO_TERM", Value("00")}, {"ROTATIVID", Value(rotativid)}}});
  }
  // A register in `dir` (host folder) with (CPF, name) rows.
  void makeRegister(const std::string& dir,
                    const std::vector<std::pair<std::string, std::string>>& rows) {
    std::vector<std::vector<std::pair<std::string, Value>>> r;
    for (const auto& [cpf, name] : rows)
      r.push_back({{"CPF", Value(cpf)}, {"NOMECONTR", Value(name)}});
    makeTable(dir + "/ZEL909.DBF", findTable(9)->fields, r);
  }
  // (SELEC, DIRETOR) of every row of the list file, read afresh.
  std::vector<std::pair<std::string, std::string>> listRows() {
    std::vector<std::pair<std::string, std::string>> out;
    auto t = openHost(prog("DIRAR00.DBF"));
    if (!t) return out;
    for (Status s = t->goTop(); s.ok() && !t->eof(); s = t->skip())
      out.push_back({t->text("SELEC"), t->text("DIRETOR")});
    return out;
  }
  std::string configField(const std::string& field) {
    auto t = openHost(prog("CONFIG.DBF"));
    if (!t || !t->goTop().ok()) return "";
    return t->text(field);
  }

  HeadlessBackend* keys = nullptr;
  std::unique_ptr<Console> oldConsole;
  std::vector<std::string> snaps;
  std::vector<std::string> helperAlerts;
};

std::string pad40(std::string s) {
  s.resize(40, ' ');
  return s;
}

// ---------------------------------------------------------------------------
// The directory form.

TEST_F(Directories, NovaRotaBoxShowsTheCurrentValueAndClosesAfterADriveLetter) {
  constexpr int kColours = 0x7ff1;
  int headingAttr = -1, valueAttr = -1;
  console().bindKey(kColours, [&](const ReadContext&) {
    headingAttr = console().screen().at(3, 36).attr;
    valueAttr = console().screen().at(4, 36).attr;
  });
  press({kSnap, kColours});
  type("d:");
  press({key::kEnter});
  EXPECT_EQ(NOVA_ROTA("DIRTRAB", "C:\\DADOS   "), pad40("D:\\"));
  EXPECT_EQ(keys->pending(), 0u);
  EXPECT_EQ(keys->escapesAfterEnd, 0) << "nothing more was asked";
  EXPECT_TRUE(helperAlerts.empty());

  ASSERT_EQ(snaps.size(), 1u);
  std::vector<std::string> lines;
  for (size_t b = 0, e; (e = snaps[0].find('\n', b)) != std::string::npos; b = e + 1)
    lines.push_back(snaps[0].substr(b, e - b));
  // Framed outside the text rows 3..6, columns 36..75.
  EXPECT_EQ(lines[2].substr(35, 1), std::string("┌"_cp));
  EXPECT_EQ(lines[2].substr(76, 1), std::string("┐"_cp));
  EXPECT_EQ(lines[7].substr(35, 1), std::string("└"_cp));
  EXPECT_EQ(lines[3].substr(36, 40), pad40(std::string("Drive e diretório Atual    "_cp)));
  EXPECT_EQ(lines[4].substr(36, 40), pad40("C:\\DADOS"));
  EXPECT_EQ(lines[5].substr(36, 40), pad40(std::string("Drive e diretório Novo     "_cp)));
  EXPECT_EQ(lines[6].substr(36, 40), std::string(40, ' '));
  // Headings in the window's first colour, the current value in its second.
  EXPECT_EQ(headingAttr, screenState().COR_TEL1);
  EXPECT_EQ(valueAttr, screenState().COR_TEL2);
  // Closed: the region under the box is back.
  EXPECT_EQ(row(3).substr(36, 40), std::string(40, ' '));
}

TEST_F(Directories, NovaRotaEntries) {
  struct Case {
    const char* name;
    std::function<void()> script;
    std::string result;
    std::vector<std::string> dirsMade;  // host paths below the root
    std::vector<std::string> dirsNotMade;
  };
  const Case cases[] = {
      {"Esc keeps the current value", [&] { press({key::kEsc}); }, pad40("C:\\DADOS"), {}, {}},
      {"a drive root is taken as typed",
       [&] {
         type("E:\\");
         press({key::kEnter});
       },
       pad40("E:\\"),
       {},
       {}},
      {"an existing directory needs no question",
       [&] {
         type("C:\\PROG");
         press({key::kEnter});
       },
       pad40("C:\\PROG"),
       {},
       {}},
      {"three missing levels: one question, created from the top",
       [&] {
         type("C:\\UM\\DOIS\\TRES");
         press({key::kEnter, 'S'});
       },
       pad40("C:\\UM\\DOIS\\TRES"),
       {"um", "um/dois", "um/dois/tres"},
       {}},
      {"a declined creation reopens the entry",
       [&] {
         type("C:\\NOVO");
         press({key::kEnter, 'N'});
         type("C:\\PROG");
         press({key::kEnter});
       },
       pad40("C:\\PROG"),
       {},
       {"novo"}},
      {"no drive: refused and entered again",
       [&] {
         type("PROG");
         press({key::kEnter, key::kHome, PictureEditor::kCtrlY});
         type("C:\\PROG");
         press({key::kEnter});
       },
       pad40("C:\\PROG"),
       {},
       {}},
      {"Esc after a refused entry keeps the current value",
       [&] {
         type("XYZ");
         press({key::kEnter, key::kEsc});
       },
       pad40("C:\\DADOS"),
       {},
       {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    c.script();
    EXPECT_EQ(NOVA_ROTA("DIRTRAB", "C:\\DADOS"), c.result);
    EXPECT_EQ(keys->pending(), 0u);
    EXPECT_EQ(keys->escapesAfterEnd, 0) << "asked more than the script answers";
    for (const auto& d : c.dirsMade) EXPECT_TRUE(fs::is_directory(root + "/" + d)) << d;
    for (const auto& d : c.dirsNotMade) EXPECT_FALSE(fs::exists(root + "/" + d)) << d;
  }
  // Only the entries without a drive met the drive check.
  EXPECT_EQ(helperAlerts, std::vector<std::string>(2, espcifMessage()));
}

TEST_F(Directories, NovaRotaReportsADirectoryThatCannotBeMadeAndStaysOpen) {
  std::ofstream(root + "/arquivo") << "x";
  type("C:\\ARQUIVO\\SUB");
  press({key::kEnter, 'S', kSnap, key::kEnter});
  type("C:\\PROG");
  press({key::kEnter});
  EXPECT_EQ(NOVA_ROTA("DIRTRAB", "C:\\DADOS"), pad40("C:\\PROG"));
  EXPECT_TRUE(snapHas(0, "Problemas ao criar a pasta C:\\ARQUIVO\\SUB"));
  EXPECT_EQ(keys->escapesAfterEnd, 0);
}

TEST_F(Directories, SelareaSetsTheWorkDirectory) {
  type("C:\\PROG\\");
  press({key::kEnter});
  SELAREA();
  EXPECT_EQ(dataState().DIRTRAB, pad40("C:\\PROG\\"));
  EXPECT_EQ(dataState().LOCTRAB, "C:\\PROG\\");
}

// ---------------------------------------------------------------------------
// Existence checks and creation.

TEST_F(Directories, ConferDirSaysWhatIsMissingOnTheMessageLine) {
  EXPECT_TRUE(CONFER_DIR("C:\\PROG\\"));
  EXPECT_EQ(row(24), std::string(80, ' '));
  EXPECT_FALSE(CONFER_DIR("C:\\NADA"));
  const std::string said("<Dir> C:\\NADAnäo encontrado. Assumiremos o default"_cp);
  EXPECT_NE(row(24).find(said), std::string::npos) << row(24);

  EXPECT_EQ(programDirectory("  C:\\PROG\\ "), "C:\\PROG");
  EXPECT_EQ(programDirectory("C:\\NADA"), GETDIR());
  EXPECT_EQ(programDirectory(""), GETDIR());
}

TEST_F(Directories, CriNdirAsksOnlyForWhatIsMissing) {
  EXPECT_TRUE(CRI_NDIR(" C:\\DADOS\\ ", "ZEL2009"));
  EXPECT_TRUE(CRI_NDIR("C:\\", "ZEL2009"));
  EXPECT_EQ(keys->escapesAfterEnd, 0) << "no question for existing directories";

  press({kSnap, 'N'});
  EXPECT_FALSE(CRI_NDIR("C:\\NOVA", " ZEL2009"));
  EXPECT_TRUE(snapHas(0, std::string("Diretório novo para  ZEL2009? Cria-o ?"_cp)));
  EXPECT_FALSE(fs::exists(root + "/nova"));

  press({'S'});
  EXPECT_TRUE(CRI_NDIR("C:\\NOVA\\", "ZEL2009"));
  EXPECT_TRUE(fs::is_directory(root + "/nova"));
}

// ---------------------------------------------------------------------------
// Switching the data directory.

class Switching : public Directories {
 protected:
  void SetUp() override {
    Directories::SetUp();
    fs::create_directory(root + "/outro");
    makeList({{"S", "C:\\DADOS"}, {"", "C:\\OUTRO"}});
    makeConfig("C:\\DADOS");
    makeRegister(root + "/outro",
                 {{"33333333333", "CARLOS"}, {"11111111111", "ANA"}, {"22222222222", "BEATRIZ"}});
    // An assets table of the old layout, which the switch upgrades.
    std::vector<db::FieldDef> old;
    for (const auto& f : findTable(3)->fields)
      if (f.name != "I8_4") old.push_back(f);
    makeTable(root + "/outro/ZEL309.DBF", old, {{{"CPF", Value("11111111111")}}});
    directoryLinks().cpf = [this] { return cpf; };
    directoryLinks().setName = [this](const std::string& n) { name = n; };
    ASSERT_TRUE(ABERTURA(26));
    ASSERT_TRUE(ABERTURA(42));
  }
  std::string cpf = "11111111111";
  std::string name;
};

TEST_F(Switching, SelectingASecondRowSwitchesEverything) {
  db::Table* list = areaTable("26");
  ASSERT_TRUE(list->goTo(2).ok());
  EXPECT_TRUE(TROCA_NAO(1, "S"));
  EXPECT_EQ(currentArea(), "26") << "the list is reselected";

  EXPECT_EQ(listRows(), (std::vector<std::pair<std::string, std::string>>{{"N", "C:\\DADOS"},
                                                                          {"S", "C:\\OUTRO"}}));
  const DataState& st = dataState();
  EXPECT_EQ(st.LOCARQ, "C:\\OUTRO\\");
  EXPECT_EQ(st.ROTATIVID, "C:\\OUTRO");
  EXPECT_EQ(st.ROTA, "C:\\OUTRO");
  EXPECT_EQ(st.DIRETOR, "C:\\OUTRO");
  EXPECT_EQ(configField("ROTATIVID"), "C:\\OUTRO");

  // The register is the new directory's, on the current taxpayer, in name order.
  db::Table* reg = areaTable("9");
  ASSERT_NE(reg, nullptr);
  EXPECT_EQ(fs::path(reg->path()).parent_path(), fs::path(root + "/outro"));
  EXPECT_EQ(reg->order(), 2);
  EXPECT_EQ(reg->text("CPF"), "11111111111");
  EXPECT_EQ(name.substr(0, 3), "ANA");
  std::vector<std::string> names;
  for (Status s = reg->goTop(); s.ok() && !reg->eof(); s = reg->skip())
    names.push_back(reg->text("NOMECONTR"));
  EXPECT_EQ(names, (std::vector<std::string>{"ANA", "BEATRIZ", "CARLOS"}));

  // The assets table there was brought to the current layout.
  auto assets = openHost(root + "/outro/ZEL309.DBF");
  ASSERT_NE(assets, nullptr);
  EXPECT_GE(assets->fieldIndex("I8_4"), 0);
  EXPECT_EQ(assets->recordCount(), 1u);
}

TEST_F(Switching, AnUnknownTaxpayerLeavesTheRegisterOnItsFirstRow) {
  cpf = "99999999999";
  ASSERT_TRUE(areaTable("26")->goTo(2).ok());
  EXPECT_TRUE(TROCASIM(1));
  EXPECT_EQ(currentArea(), "42") << "CONFIG is left current";
  EXPECT_TRUE(name.empty());
  db::Table* reg = areaTable("9");
  ASSERT_NE(reg, nullptr);
  EXPECT_EQ(reg->recno(), 2u) << "first in name order: ANA";
}

TEST_F(Switching, ABlankRowBecomesTheProgramDirectory) {
  closeArea("26");
  fs::remove(prog("DIRAR00.DBF"));
  makeList({{"S", "C:\\DADOS"}, {"", ""}});
  ASSERT_TRUE(ABERTURA(26));
  ASSERT_TRUE(areaTable("26")->goTo(2).ok());
  EXPECT_TRUE(TROCASIM(0));
  EXPECT_EQ(listRows(), (std::vector<std::pair<std::string, std::string>>{{"N", "C:\\DADOS"},
                                                                          {"S", "C:\\PROG"}}));
  EXPECT_EQ(dataState().LOCARQ, "C:\\PROG\\");
  EXPECT_EQ(configField("ROTATIVID"), "C:\\PROG");
}

TEST_F(Switching, ARowHeldElsewhereKeepsEverythingAsItWas) {
  auto other = db::Table::open(db::posixEnv(), prog("DIRAR00.DBF"), db::OpenMode::kShared);
  ASSERT_TRUE(other.ok());
  ASSERT_TRUE((*other)->lockRecord(2).ok());
  ASSERT_TRUE(areaTable("26")->goTo(2).ok());
  EXPECT_FALSE(TROCA_NAO(1, "S"));
  EXPECT_EQ(ui.messageLine,
            std::string("ATENÇAO! Registro näo ficou disponível. Dado näo será gravado."_cp));
  (void)(*other)->unlockAll();
  EXPECT_EQ(listRows(), (std::vector<std::pair<std::string, std::string>>{{"S", "C:\\DADOS"},
                                                                          {"", "C:\\OUTRO"}}))
      << "no mark was cleared";
  EXPECT_EQ(dataState().LOCARQ, "C:\\DADOS\\");
  EXPECT_EQ(configField("ROTATIVID"), "C:\\DADOS");
  EXPECT_EQ(areaTable("9"), nullptr);
}

TEST_F(Switching, AListThatCannotBeWrittenIsReportedAndNothingSwitches) {
  db::FaultEnv faulty(db::posixEnv());
  closeAllAreas();
  dataState().env = &faulty;
  ASSERT_TRUE(ABERTURA(26));
  ASSERT_TRUE(ABERTURA(42));
  faulty.writesOnly(true);
  faulty.failAt(1, db::Fault::kIOError, /*persistent=*/true);
  ASSERT_TRUE(areaTable("26")->goTo(2).ok());

  EXPECT_FALSE(TROCASIM(1));
  EXPECT_FALSE(ui.lines("alert: ").empty()) << "the failure is shown";
  EXPECT_EQ(dataState().LOCARQ, "C:\\DADOS\\");
  closeAllAreas();  // before the wrapper the tables write through goes away
  dataState().env = nullptr;
  EXPECT_EQ(configField("ROTATIVID"), "C:\\DADOS");
  EXPECT_EQ(listRows(), (std::vector<std::pair<std::string, std::string>>{{"S", "C:\\DADOS"},
                                                                          {"", "C:\\OUTRO"}}));
}

TEST_F(Switching, CellChecksOfTheList) {
  struct Case {
    int column;
    const char* value;
    bool accepted;
    std::string_view notice;  // empty: nothing is shown
  };
  const Case cases[] = {
      {1, "N", true, ""},
      {1, " ", true, ""},
      {1, "X", false, "Digite (S)im ou (N)äo "_cp},
      {2, "  ", false, "E necessário preencher o nome do diretório"_cp},
      {2, "C:\\OUTRO", true, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.column) + " '" + c.value + "'");
    snaps.clear();
    if (!c.notice.empty()) press({kSnap, key::kEnter});
    EXPECT_EQ(TROCA_NAO(c.column, c.value), c.accepted);
    if (!c.notice.empty()) {
      EXPECT_TRUE(snapHas(0, c.notice));
    }
    EXPECT_EQ(keys->pending(), 0u);
    EXPECT_EQ(keys->escapesAfterEnd, 0) << "shown or asked more than expected";
  }
  EXPECT_EQ(dataState().LOCARQ, "C:\\DADOS\\") << "no check but \"S\" switches";
}

// ---------------------------------------------------------------------------
// Start-up.

TEST_F(Directories, MissingDataDirectoryIsReportedReplacedAndStored) {
  makeConfig("C:\\SUMIU");
  ASSERT_TRUE(ABERTURA(42));
  DataState& st = dataState();
  st.ROTATIVID = pad40("C:\\SUMIU");
  st.DIRTRAB = pad40("C:\\TAMBEM\\SUMIU");
  press({kSnap, key::kEnter});
  checkStartDirectories("C:\\PROG");
  EXPECT_TRUE(snapHas(0, std::string("O diretório C:\\SUMIU näo encontrado.Assumido o atual."_cp)));
  EXPECT_EQ(st.ROTATIVID, "C:\\PROG");
  EXPECT_EQ(configField("ROTATIVID"), "C:\\PROG");
  EXPECT_EQ(st.ROTA, "C:\\PROG");
  EXPECT_EQ(st.DIRTRAB, "C:\\PROG") << "a missing work directory follows the data directory";
  EXPECT_EQ(st.LOCARQ, "C:\\PROG\\");
  EXPECT_EQ(st.LOCTRAB, "C:\\PROG\\");
  EXPECT_EQ(st.DIRORIG, "C:\\PROG\\");

  // The next start finds it and says nothing.
  snaps.clear();
  checkStartDirectories("C:\\PROG");
  EXPECT_EQ(keys->escapesAfterEnd, 0);
  EXPECT_EQ(st.LOCARQ, "C:\\PROG\\");
}

TEST_F(Directories, ReconciliationOfTheList) {
  struct Case {
    const char* name;
    std::string locarq;
    std::vector<std::pair<std::string, std::string>> before, after;
    std::string stored;  // CONFIG.ROTATIVID afterwards
  };
  const Case cases[] = {
      {"first start: the list's first row is the program directory",
       "C:\\PROG\\",
       {},
       {{"S", "C:\\PROG"}},
       "C:\\PROG"},
      {"an unmarked matching row is selected",
       "C:\\DADOS\\",
       {{"S", "C:\\PROG"}, {"N", "c:\\dados  "}},
       {{"N", "C:\\PROG"}, {"S", "c:\\dados"}},
       "C:\\DADOS"},
      {"a marked matching row is left alone",
       "C:\\DADOS\\",
       {{"", "C:\\PROG"}, {"S", "C:\\DADOS"}},
       {{"", "C:\\PROG"}, {"S", "C:\\DADOS"}},
       "C:\\PROG"},
      {"no matching row: one is appended, selected alone",
       "C:\\DADOS\\",
       {{"S", "C:\\PROG"}},
       {{"N", "C:\\PROG"}, {"S", "C:\\DADOS"}},
       "C:\\PROG"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    closeAllAreas();
    fs::remove(prog("DIRAR00.DBF"));
    fs::remove(prog("CONFIG.DBF"));
    fs::remove(prog("CONFIG.NTX"));
    if (!c.before.empty()) makeList(c.before);
    makeConfig("C:\\PROG");
    DataState& st = dataState();
    st.LOCARQ = c.locarq;
    ASSERT_TRUE(ABERTURA(42));
    ASSERT_TRUE(ABERTURA(26));  // an empty list gets its first row here
    reconcileDirectoryList();
    EXPECT_EQ(st.DIRETOR, BAR_FORA(c.locarq));
    EXPECT_EQ(listRows(), c.after);
    EXPECT_EQ(configField("ROTATIVID"), c.stored);
  }
}

// ---------------------------------------------------------------------------
// Recovery of the last declaration.

class Recovery : public Directories {
 protected:
  void SetUp() override {
    Directories::SetUp();
    fs::create_directory(root + "/trab");
    dataState().LOCTRAB = "C:\\TRAB\\";
    directoryLinks().setCpf = [this](const std::string& c) { cpf = c; };
    directoryLinks().setRecovery = [this] { recovering = true; };
  }
  void makeCopy(int digit, const std::vector<std::string>& cpfs) {
    std::vector<std::vector<std::pair<std::string, Value>>> rows;
    for (const auto& c : cpfs) rows.push_back({{"CPF", Value(c)}});
    makeTable(root + "/trab/PRA_" + std::to_string(digit) + "00.DBF", findTable(digit)->fields,
              rows);
  }
  std::string cpf;
  bool recovering = false;
};

TEST_F(Recovery, TheFirstCopyWithACpfGivesItAndEndsTheForm) {
  makeCopy(1, {});                              // empty
  makeCopy(2, {"           "});                 // a blank CPF gives none
  makeCopy(4, {"12345678909", "98765432100"});  // 3 is missing
  makeCopy(5, {"11111111111"});

  Value field(std::string(11, ' '));
  FormReader reader;
  reader.add(FormField::of(5, 10, "CPF", field));
  bool result = false;
  console().bindKey(key::kF4, [&](const ReadContext&) { result = DIRETO(); });
  press({key::kF4});
  const ReadResult r = reader.read();
  console().unbindKey(key::kF4);

  EXPECT_TRUE(result);
  EXPECT_TRUE(r.ended) << "the prompt ends";
  EXPECT_EQ(keys->escapesAfterEnd, 0);
  EXPECT_EQ(cpf, "12345678909");
  EXPECT_TRUE(recovering);
  EXPECT_EQ(currentArea(), "9");
  EXPECT_EQ(areaTable("1"), nullptr) << "the copies are closed again";
}

TEST_F(Recovery, NoCopyWithACpfIsReported) {
  makeCopy(1, {"           "});
  press({kSnap, key::kEnter});
  EXPECT_FALSE(DIRETO());
  EXPECT_TRUE(snapHas(0, std::string("Impossível recuperar o último CPF."_cp)));
  EXPECT_TRUE(cpf.empty());
  EXPECT_FALSE(recovering);
  EXPECT_EQ(currentArea(), "9");
  EXPECT_FALSE(fs::exists(root + "/trab/PRA_200.DBF")) << "missing copies are not created";
}

// ---------------------------------------------------------------------------

TEST(DirectoryLists, WindowsOfBothLists) {
  const DirectoryListWindow* dirs = directoryListWindow(14);
  ASSERT_NE(dirs, nullptr);
  EXPECT_EQ(dirs->table, 26);
  EXPECT_EQ(dirs->columns.size(), 2u);
  EXPECT_EQ(dirs->columns[0].field, "SELEC");
  const DirectoryListWindow* doDirs = directoryListWindow(15);
  ASSERT_NE(doDirs, nullptr);
  EXPECT_EQ(doDirs->table, 36);
  EXPECT_EQ(doDirs->headingLines.size(), 4u);
  // Each list's heading lines fill the same width.
  for (const auto* l : {dirs, doDirs})
    for (const auto& h : l->headingLines) EXPECT_EQ(h.size(), l->headingLines[0].size()) << h;
  EXPECT_EQ(directoryListWindow(2), nullptr);
}

}  // namespace
}  // namespace zel::data
