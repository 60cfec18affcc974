// The zeldbf tool run as a program on scratch copies of tables.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "platform/db/lock_ranges.h"
#include "platform/db/table.h"
#include "subprocess.h"
#include "tools/text_io.h"

namespace zel::tools::testing {
namespace {

namespace fs = std::filesystem;
const std::string kFixtures = std::string(ZEL_TEST_DATA) + "/xbase/";

struct Step {
  std::vector<std::string> args;  // "@" stands for the scratch folder + "/"
  std::string input;
  int exitCode;
  std::vector<std::string> outHas;  // each must appear in stdout
  std::string errHas = "";          // must appear in stderr ("" = no check)
  std::string outIs = "\x01";       // exact stdout when set
};

std::vector<std::string> expand(const std::vector<std::string>& args, const TempDir& d) {
  std::vector<std::string> out;
  for (auto a : args) {
    if (!a.empty() && a[0] == '@') a = d.path() + "/" + a.substr(1);
    out.push_back(a);
  }
  return out;
}

void runSteps(const std::vector<Step>& steps, const TempDir& dir) {
  for (const auto& s : steps) {
    auto args = expand(s.args, dir);
    std::string shown;
    for (const auto& a : s.args) shown += a + " ";
    RunResult r = zeldbf(args, s.input);
    EXPECT_EQ(r.exitCode, s.exitCode) << shown << "\nstdout: " << r.out << "\nstderr: " << r.err;
    for (const auto& want : s.outHas) EXPECT_NE(r.out.find(want), std::string::npos) << shown << "\nstdout: " << r.out;
    if (!s.errHas.empty()) {
      EXPECT_NE(r.err.find(s.errHas), std::string::npos) << shown << "\nstderr: " << r.err;
    }
    if (s.outIs != "\x01") {
      EXPECT_EQ(r.out, s.outIs) << shown;
    }
  }
}

const char kRows[] =
    "CPF,ATV_EXTER,DT_LC,DESCR,VALOR,NROIMO,TIPOCR,OBS\n"
    "22222222222,,20080301,\"Venda de gado, lote 2\",1500.5,1,C,\"nota\nem duas linhas\"\n"
    "11111111111,X,20080115,Ração,-20,2,D,\n"
    "11111111111,,20081231,Frete \"rápido\",0.004,,D,\n"
    "33333333333,,,  recuo,99999999999.99,5,C,fim\n";

TEST(Zeldbf, CommandsOnATableTheyMade) {
  TempDir d;
  const std::string csvHeader = "CPF,ATV_EXTER,DT_LC,DESCR,VALOR,NROIMO,TIPOCR,OBS,_deleted,_recno\n";
  std::vector<Step> steps = {
      {{"create", "@CX.DBF", "CPF:C:11", "atv_exter:c:1", "DT_LC:D", "DESCR:C:41", "VALOR:N:14:2",
        "NROIMO:N:2", "TIPOCR:C:1", "OBS:M"}, "", 0, {"created"}},
      {{"index", "@CX.DBF", "@CX.NTX", "CPF+ATV_EXTER+DTOS(DT_LC)"}, "", 0, {"indexed 0 records"}},
      {{"append", "@CX.DBF", "@CX.NTX"}, kRows, 0, {"appended 4 records"}},
      {{"info", "@CX.DBF"}, "", 0,
       {"records: 4", "code page: 0x02 (850)", "record length: 89 bytes", "memo file:", "VALOR      N    14 2"}},
      // Record order, CSV: quotes, commas, line breaks and accents survive;
      // numbers take the field's decimals.
      {{"dump", "@CX.DBF"}, "", 0, {}, "",
       csvHeader +
           "22222222222,,20080301,\"Venda de gado, lote 2\",1500.50,1,C,\"nota\nem duas linhas\",false,1\n"
           "11111111111,X,20080115,Ração,-20.00,2,D,,false,2\n"
           "11111111111,,20081231,\"Frete \"\"rápido\"\"\",0.00,,D,,false,3\n"
           "33333333333,,,\"  recuo\",99999999999.99,5,C,fim,false,4\n"},
      // Index order.
      {{"dump", "@CX.DBF", "--index", "@CX.NTX", "--json"}, "", 0, {}, "",
       "{\"CPF\":\"11111111111\",\"ATV_EXTER\":\"\",\"DT_LC\":\"20081231\",\"DESCR\":\"Frete \\\"rápido\\\"\","
       "\"VALOR\":0.00,\"NROIMO\":0,\"TIPOCR\":\"D\",\"OBS\":\"\",\"_deleted\":false,\"_recno\":3}\n"
       "{\"CPF\":\"11111111111\",\"ATV_EXTER\":\"X\",\"DT_LC\":\"20080115\",\"DESCR\":\"Ração\","
       "\"VALOR\":-20.00,\"NROIMO\":2,\"TIPOCR\":\"D\",\"OBS\":\"\",\"_deleted\":false,\"_recno\":2}\n"
       "{\"CPF\":\"22222222222\",\"ATV_EXTER\":\"\",\"DT_LC\":\"20080301\",\"DESCR\":\"Venda de gado, lote 2\","
       "\"VALOR\":1500.50,\"NROIMO\":1,\"TIPOCR\":\"C\",\"OBS\":\"nota\\nem duas linhas\",\"_deleted\":false,"
       "\"_recno\":1}\n"
       "{\"CPF\":\"33333333333\",\"ATV_EXTER\":\"\",\"DT_LC\":\"\",\"DESCR\":\"  recuo\","
       "\"VALOR\":99999999999.99,\"NROIMO\":5,\"TIPOCR\":\"C\",\"OBS\":\"fim\",\"_deleted\":false,\"_recno\":4}\n"},
      // Seeks: whole key, partial key, soft seek, miss.
      {{"seek", "@CX.DBF", "@CX.NTX", "11111111111X"}, "", 0, {csvHeader, ",false,2\n"}},
      {{"seek", "@CX.DBF", "@CX.NTX", "2222"}, "", 0, {",false,1\n"}},
      {{"seek", "@CX.DBF", "@CX.NTX", "3000", "--soft"}, "", 1, {",false,4\n"}, "next greater"},
      {{"seek", "@CX.DBF", "@CX.NTX", "4"}, "", 1, {}, "not found", ""},
      {{"seek", "@CX.DBF", "@CX.NTX", "4", "--soft"}, "", 1, {}, "not found", ""},
      {{"check", "@CX.DBF", "@CX.NTX"}, "", 0, {"consistent: ", "4 records, memo file, 1 index"}},
      {{"locks", "@CX.DBF"}, "", 0,
       {"4 records", "opened by other processes: no", "file lock: free", "record locks: none"}},
      // A deleted row, then pack: it is gone from the table and the index.
      {{"append", "@CX.DBF", "@CX.NTX", "--json"},
       "{\"CPF\":\"00000000000\",\"DESCR\":\"apagar\",\"_deleted\":true}\n\n{\"cpf\":\"55555555555\"}\n", 0,
       {"appended 2 records"}},
      {{"check", "@CX.DBF", "@CX.NTX"}, "", 0, {"6 records"}},
      {{"seek", "@CX.DBF", "@CX.NTX", "0000"}, "", 0, {"apagar,,,,,true,5\n"}},
      {{"pack", "@CX.DBF", "@CX.NTX"}, "", 0, {"5 records kept, 1 removed"}},
      {{"seek", "@CX.DBF", "@CX.NTX", "0000", "--soft"}, "", 1, {"11111111111,,20081231"}},
      {{"check", "@CX.DBF", "@CX.NTX"}, "", 0, {"consistent: ", "5 records"}},
  };
  runSteps(steps, d);
}

TEST(Zeldbf, ErrorsInPlainWords) {
  TempDir d;
  spit(d / "BAD.DBF", "this is not a table at all, just some text long enough to hold a header");
  spit(d / "SHORT.DBF", std::string("\x03\x7e\x0c\x0b", 4));
  std::vector<Step> steps = {
      {{"info", "@BAD.DBF"}, "", 2, {}, "cannot open"},
      {{"info", "@SHORT.DBF"}, "", 2, {}, "damaged file"},
      {{"dump", "@MISSING.DBF"}, "", 2, {}, "cannot open"},
      {{"check", "@BAD.DBF"}, "", 1, {"inconsistent: "}},
      {{"frobnicate", "@T.DBF"}, "", 2, {}, "unknown command"},
      {{}, "", 2, {}, "usage:"},
      {{"create", "@T.DBF", "A:C:11", "B:X:3"}, "", 2, {}, "the type is one of"},
      {{"create", "@T.DBF", "A:C:11", "a:N:3"}, "", 2, {}, "named twice"},
      {{"create", "@T.DBF", "A:C:5", "N:N:5:1"}, "", 0, {"created"}},
      {{"create", "@T.DBF", "A:C:5"}, "", 2, {}, "already exists"},
      // A bad row anywhere appends nothing.
      {{"append", "@T.DBF"}, "A,N\nok,1\ntoo long,2\n", 2, {}, "line 3: field A (C 5)"},
      {{"append", "@T.DBF"}, "A,N\nok,1\nx,12345\n", 2, {}, "does not fit"},
      {{"append", "@T.DBF"}, "A,NOPE\nok,1\n", 2, {}, "no field \"NOPE\""},
      {{"append", "@T.DBF"}, "A,N\nok\n", 2, {}, "cells"},
      {{"append", "@T.DBF"}, "A\n\"open\n", 2, {}, "not closed"},
      {{"append", "@T.DBF"}, "A\n€\n", 2, {}, "code page 850 lacks"},
      {{"append", "@T.DBF", "--json"}, "{\"A\":\"ok\"}\n{\"N\":true}\n", 2, {}, "line 2"},
      {{"append", "@T.DBF", "--json"}, "{\"A\":\"ok\"\n", 2, {}, "line 1"},
      {{"info", "@T.DBF"}, "", 0, {"records: 0"}},
      {{"append", "@T.DBF"}, "\xEF\xBB\xBF" "A,N\nbom,1\n", 0, {"appended 1 record to"}},
      {{"dump", "@T.DBF"}, "", 0, {"A,N,_deleted,_recno\nbom,1.0,false,1\n"}},
      {{"index", "@T.DBF", "@T.NTX", "A+NOSUCH"}, "", 2, {}, "NOSUCH"},
      {{"seek", "@T.DBF", "@NONE.NTX", "x"}, "", 2, {}, "cannot use the index"},
      {{"append", "@T.DBF", "@NONE.NTX"}, "A\nx\n", 2, {}, "cannot use the index"},
      {{"info", "@T.DBF"}, "", 0, {"records: 1"}},
  };
  runSteps(steps, d);
}

// The records of a JSON dump without their record numbers.
std::vector<std::string> withoutRecno(const std::string& dump) {
  std::vector<std::string> out;
  std::istringstream in(dump);
  std::string line;
  while (std::getline(in, line)) out.push_back(line.substr(0, line.rfind(",\"_recno\"")));
  return out;
}

TEST(Zeldbf, JsonDumpAppendsBackToTheSameRecords) {
  TempDir d;
  fs::copy_file(kFixtures + "ZEL309.dbf", d / "A.DBF");
  RunResult info = zeldbf({"info", d / "A.DBF"});
  ASSERT_EQ(info.exitCode, 0) << info.err;
  // The same structure, re-created from what info printed.
  std::vector<std::string> create = {"create", d / "B.DBF"};
  std::istringstream lines(info.out.substr(info.out.find("fields:")));
  std::string line;
  std::getline(lines, line);
  while (std::getline(lines, line)) {
    std::istringstream f(line);
    std::string name, type, width, dec;
    f >> name >> type >> width >> dec;
    create.push_back(name + ":" + type + ":" + width + (dec.empty() ? "" : ":" + dec));
  }
  ASSERT_EQ(zeldbf(create).exitCode, 0);
  RunResult a = zeldbf({"dump", d / "A.DBF", "--json"});
  ASSERT_EQ(a.exitCode, 0) << a.err;
  RunResult app = zeldbf({"append", d / "B.DBF", "--json"}, a.out);
  ASSERT_EQ(app.exitCode, 0) << app.err;
  RunResult b = zeldbf({"dump", d / "B.DBF", "--json"});
  ASSERT_EQ(b.exitCode, 0) << b.err;
  EXPECT_EQ(withoutRecno(a.out).size(), 120u);
  EXPECT_EQ(withoutRecno(a.out), withoutRecno(b.out));
  // CSV goes the same way.
  RunResult csv = zeldbf({"dump", d / "A.DBF"});
  ASSERT_EQ(zeldbf({"create", d / "C.DBF", "X:C:1"}).exitCode, 0);
  fs::remove(d / "C.DBF");
  create[1] = d / "C.DBF";
  ASSERT_EQ(zeldbf(create).exitCode, 0);
  ASSERT_EQ(zeldbf({"append", d / "C.DBF"}, csv.out).exitCode, 0);
  EXPECT_EQ(withoutRecno(zeldbf({"dump", d / "C.DBF", "--json"}).out), withoutRecno(a.out));
}

// Tables and indexes written by another xBase engine: every index walks in
// that engine's order and every file passes the check.
TEST(Zeldbf, FixturesFromAnotherEngine) {
  struct Case {
    const char* table;
    std::vector<const char*> indexes;
  } cases[] = {
      {"ZEL909", {"ZEL909", "ZEL909B", "ZEL909C", "ZEL909D"}},
      {"ZEL509", {"ZEL509", "ZEL509B", "ZEL509C"}},
      {"ZEL309", {"ZEL309", "ZEL309N"}},
      {"CONFIG", {"CONFIG"}},
      {"STATUS", {"STATUS"}},
      {"HELPATXT", {"HELPATXT"}},
      {"EMPTY", {"EMPTY"}},
  };
  for (const auto& c : cases) {
    std::vector<std::string> check = {"check", kFixtures + c.table + ".dbf"};
    for (const char* ix : c.indexes) {
      check.push_back(kFixtures + ix + ".ntx");
      RunResult r = zeldbf({"dump", kFixtures + c.table + ".dbf", "--index", kFixtures + ix + ".ntx", "--json"});
      ASSERT_EQ(r.exitCode, 0) << ix << ": " << r.err;
      std::string order;
      std::istringstream in(r.out);
      std::string line;
      while (std::getline(in, line)) {
        auto obj = parseJsonObject(line);
        ASSERT_TRUE(obj.ok()) << ix << ": " << line;
        order += obj->back().second.text + "\n";
      }
      EXPECT_EQ(order, slurp(kFixtures + ix + ".order")) << ix;
    }
    RunResult r = zeldbf(check);
    EXPECT_EQ(r.exitCode, 0) << c.table << ": " << r.out << r.err;
    EXPECT_EQ(r.out.rfind("consistent: ", 0), 0u) << r.out;
  }
  // Seeks in numeric keys go by the number, negatives included.
  struct Seek {
    const char* table;
    const char* index;
    const char* key;
    bool soft;
    int exitCode;
    const char* shows;  // the record's line starts with it
  } seeks[] = {
      {"ZEL909", "ZEL909C", "5", false, 0, "06585880562,X,joão silva,5,"},
      {"ZEL309", "ZEL309N", "-460", false, 0, "00000000040,,-460,"},
      {"ZEL309", "ZEL309N", "-5", false, 1, nullptr},
      {"ZEL309", "ZEL309N", "-5", true, 1, "00000000063,,12,"},
      {"ZEL309", "ZEL309N", "abc", false, 2, nullptr},
      {"ZEL909", "ZEL909B", "JO", false, 0, nullptr},
  };
  for (const auto& s : seeks) {
    std::vector<std::string> args = {"seek", kFixtures + s.table + ".dbf", kFixtures + s.index + ".ntx", s.key};
    if (s.soft) args.push_back("--soft");
    RunResult r = zeldbf(args);
    EXPECT_EQ(r.exitCode, s.exitCode) << s.index << " " << s.key << ": " << r.err;
    if (s.shows) {
      EXPECT_NE(r.out.find(std::string("\n") + s.shows), std::string::npos) << s.index << " " << s.key << ":\n" << r.out;
    }
  }
}

// The check finds what is wrong between a table and its index.
TEST(Zeldbf, CheckFindsFaults) {
  TempDir d;
  auto fresh = [&] {
    fs::remove(d / "T.DBF");
    fs::remove(d / "T.NTX");
    fs::remove(d / "T.DBT");
    EXPECT_EQ(zeldbf({"create", d / "T.DBF", "K:C:4", "N:N:3", "D:D", "M:M"}).exitCode, 0);
    EXPECT_EQ(zeldbf({"index", d / "T.DBF", d / "T.NTX", "K"}).exitCode, 0);
    EXPECT_EQ(zeldbf({"append", d / "T.DBF", d / "T.NTX"}, "K,N,M\nbbbb,1,um\naaaa,2,dois\ncccc,3,tres\n").exitCode,
              0);
  };
  auto patch = [&](const std::string& file, const std::string& from, const std::string& to) {
    std::string bytes = slurp(file);
    size_t at = bytes.find(from);
    ASSERT_NE(at, std::string::npos) << from;
    bytes.replace(at, from.size(), to);
    spit(file, bytes);
  };
  struct Case {
    const char* what;
    std::function<void()> damage;
    const char* finding;
  } cases[] = {
      {"a record appended without its index",
       [&] { ASSERT_EQ(zeldbf({"append", d / "T.DBF"}, "K\ndddd\n").exitCode, 0); }, "record 4 is missing"},
      {"a key changed in the table only", [&] { patch(d / "T.DBF", "aaaa", "zzzz"); }, "the key of record 2"},
      {"a key changed in the index only", [&] { patch(d / "T.NTX", "cccc", "ccca"); }, "the key of record 3"},
      {"a number field holding letters", [&] { patch(d / "T.DBF", "  1", " x1"); }, "is not a number"},
      {"a date that is no date", [&] { patch(d / "T.DBF", "aaaa  2        ", "aaaa  220081341"); }, "is not a date"},
      {"two records on one memo", [&] { patch(d / "T.DBF", "         2", "         1"); }, "also used by record 1"},
      {"a memo past the memo file's next free block",
       [&] { patch(d / "T.DBT", std::string("\x04\0\0\0", 4), std::string("\x03\0\0\0", 4)); },
       "runs past the next free block 3"},
      {"a memo pointer beyond the memo file", [&] { patch(d / "T.DBF", "         3", "        99"); },
       "beyond the end of the memo file"},
  };
  for (const auto& c : cases) {
    fresh();
    ASSERT_EQ(zeldbf({"check", d / "T.DBF", d / "T.NTX"}).exitCode, 0) << c.what;
    c.damage();
    RunResult r = zeldbf({"check", d / "T.DBF", d / "T.NTX"});
    EXPECT_EQ(r.exitCode, 1) << c.what << ": " << r.out;
    EXPECT_EQ(r.out.rfind("inconsistent: ", 0), 0u) << c.what << ": " << r.out;
    EXPECT_NE((r.out + r.err).find(c.finding), std::string::npos) << c.what << ": " << r.out << r.err;
    // The verdict is a single line.
    EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 1) << r.out;
  }
  // A dump through an index whose keys are out of order ends with an error
  // instead of going round in circles.
  fresh();
  patch(d / "T.NTX", "aaaa", "zzzz");
  RunResult dump = zeldbf({"dump", d / "T.DBF", "--index", d / "T.NTX"});
  EXPECT_EQ(dump.exitCode, 2);
  EXPECT_NE(dump.err.find("damaged"), std::string::npos) << dump.err;
  EXPECT_LE(std::count(dump.out.begin(), dump.out.end(), '\n'), 4) << dump.out;
  // A rebuilt index repairs the index faults.
  fresh();
  patch(d / "T.NTX", "cccc", "ccca");
  ASSERT_EQ(zeldbf({"index", d / "T.DBF", d / "T.NTX", "K"}).exitCode, 0);
  EXPECT_EQ(zeldbf({"check", d / "T.DBF", d / "T.NTX"}).exitCode, 0);
}

// What another process holds shows in `locks`.
TEST(Zeldbf, LocksHeldByAnotherProcess) {
  TempDir d;
  ASSERT_EQ(zeldbf({"create", d / "L.DBF", "K:C:4"}).exitCode, 0);
  ASSERT_EQ(zeldbf({"append", d / "L.DBF"}, "K\na\nb\nc\nd\ne\n").exitCode, 0);
  struct Case {
    const char* hold;
    std::vector<std::string> shows;
  } cases[] = {
      {"records 2 and 5",
       {"opened by other processes: yes, shared", "file lock: free", "record locks: 2, 5"}},
      {"file", {"opened by other processes: yes, shared", "file lock: held", "covered by the file lock"}},
      {"exclusive", {"opened by other processes: yes, exclusively", "file lock: free", "record locks: none"}},
      {"append", {"opened by other processes: no", "append lock: held", "record locks: none"}},
  };
  for (const auto& c : cases) {
    int ready[2], done[2];
    ASSERT_EQ(pipe(ready), 0);
    ASSERT_EQ(pipe(done), 0);
    pid_t pid = fork();
    if (pid == 0) {
      std::string what = c.hold;
      if (what == "append") {  // the bare byte, as another program would take it
        auto f = db::posixEnv().open(d / "L.DBF", db::OpenOptions{});
        if (!f.ok() || !(*f)->lock(db::locks::kAppendOffset, 1, db::LockKind::kExclusive).ok()) _exit(3);
        char b = 'r';
        if (write(ready[1], &b, 1) != 1) _exit(5);
        (void)!read(done[0], &b, 1);
        _exit(0);
      }
      auto mode = what == "exclusive" ? db::OpenMode::kExclusive : db::OpenMode::kShared;
      auto t = db::Table::open(db::posixEnv(), d / "L.DBF", mode);
      if (!t.ok()) _exit(3);
      Status s = what == "file"        ? (*t)->lockFile()
                 : what == "exclusive" ? Status::OK()
                                       : (*t)->lockRecord(2);
      if (s.ok() && what[0] == 'r') s = (*t)->addRecordLock(5);
      if (!s.ok()) _exit(4);
      char b = 'r';
      if (write(ready[1], &b, 1) != 1) _exit(5);
      (void)!read(done[0], &b, 1);  // until the parent is done
      _exit(0);
    }
    char b;
    ASSERT_EQ(read(ready[0], &b, 1), 1) << c.hold;
    RunResult r = zeldbf({"locks", d / "L.DBF"});
    (void)!write(done[1], &b, 1);
    int status = 0;
    waitpid(pid, &status, 0);
    EXPECT_EQ(WEXITSTATUS(status), 0) << c.hold;
    EXPECT_EQ(r.exitCode, 0) << r.err;
    for (const auto& s : c.shows) EXPECT_NE(r.out.find(s), std::string::npos) << c.hold << ":\n" << r.out;
    for (int fd : {ready[0], ready[1], done[0], done[1]}) close(fd);
  }
  // All released with the holder gone.
  RunResult r = zeldbf({"locks", d / "L.DBF"});
  EXPECT_NE(r.out.find("opened by other processes: no"), std::string::npos) << r.out;
}

}  // namespace
}  // namespace zel::tools::testing

namespace zel::tools::testing {
namespace {

// Tables left by a writer that died between the record and the header:
// they open with the whole records present, and check says what it
// reconciled instead of failing.
TEST(Zeldbf, CutTablesOpenWithTheirWholeRecords) {
  TempDir d;
  ASSERT_EQ(zeldbf({"create", d / "H.DBF", "K:C:4"}).exitCode, 0);
  ASSERT_EQ(zeldbf({"append", d / "H.DBF"}, "K\na\nb\nc\n").exitCode, 0);
  const std::string whole = slurp(d / "H.DBF");
  struct Case {
    const char* what;
    std::function<std::string(std::string)> damage;
    const char* records;
    const char* note;
  } cases[] = {
      {"cut inside the last record", [](std::string b) { return b.substr(0, b.size() - 3); }, "records: 2",
       "the header count 3 was reconciled to the file; 3 bytes past the last whole record"},
      {"header count too large", [](std::string b) { b[4] = 9; return b; }, "records: 3",
       "the header count 9 was reconciled"},
      {"header count too small", [](std::string b) { b[4] = 1; return b; }, "records: 3",
       "the header count 1 was reconciled"},
      {"no end-of-file byte", [](std::string b) { return b.substr(0, b.size() - 1); }, "records: 3", nullptr},
  };
  for (const auto& c : cases) {
    spit(d / "C.DBF", c.damage(whole));
    RunResult info = zeldbf({"info", d / "C.DBF"});
    EXPECT_EQ(info.exitCode, 0) << c.what << ": " << info.err;
    EXPECT_NE(info.out.find(c.records), std::string::npos) << c.what << ":\n" << info.out;
    RunResult check = zeldbf({"check", d / "C.DBF"});
    EXPECT_EQ(check.exitCode, 0) << c.what << ": " << check.out << check.err;
    if (c.note) {
      EXPECT_NE(check.out.find(c.note), std::string::npos) << c.what << ":\n" << check.out;
    } else {
      EXPECT_EQ(check.out.find("reconciled"), std::string::npos) << c.what << ":\n" << check.out;
    }
  }
}

}  // namespace
}  // namespace zel::tools::testing
