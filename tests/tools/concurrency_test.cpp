// Several processes on one shared table through the tool: concurrent
// appends lose nothing, and a process killed in the middle of its appends
// leaves a table that opens and checks clean once its index is rebuilt.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <set>
#include <sstream>
#include <thread>

#include "subprocess.h"
#include "tools/text_io.h"

namespace zel::tools::testing {
namespace {

const char kKey[] = "CPF+ATV_EXTER+DTOS(DT_LC)";

void makeCashBook(const TempDir& d) {
  ASSERT_EQ(zeldbf({"create", d / "ZEL509.DBF", "CPF:C:11", "ATV_EXTER:C:1", "DT_LC:D", "DESCR:C:41",
                    "VALOR:N:14:2", "NROIMO:N:2", "TIPOCR:C:1"}).exitCode, 0);
  ASSERT_EQ(zeldbf({"index", d / "ZEL509.DBF", d / "ZEL509.NTX", kKey}).exitCode, 0);
}

// Rows of one writer: DESCR names the writer and the row, the keys mix
// the writers' rows in the index.
std::string rowsOf(int writer, int n) {
  std::string out;
  for (int i = 0; i < n; ++i) {
    char line[200];
    std::snprintf(line, sizeof line,
                  "{\"CPF\":\"%011d\",\"ATV_EXTER\":\"%s\",\"DT_LC\":\"2008%02d%02d\",\"DESCR\":\"w%d r%d\","
                  "\"VALOR\":%d.%02d,\"NROIMO\":%d,\"TIPOCR\":\"C\"}\n",
                  (i * 7919 + writer * 13) % 1000, i % 3 ? "" : "X", i % 12 + 1, i % 28 + 1, writer, i, i, writer,
                  i % 5 + 1);
    out += line;
  }
  return out;
}

std::vector<std::string> descriptions(const std::string& jsonDump) {
  std::vector<std::string> out;
  std::istringstream in(jsonDump);
  std::string line;
  while (std::getline(in, line)) {
    auto obj = parseJsonObject(line);
    EXPECT_TRUE(obj.ok()) << line;
    if (!obj.ok()) continue;
    for (const auto& [k, v] : *obj)
      if (k == "DESCR") out.push_back(v.text);
  }
  return out;
}

TEST(Concurrency, TwoProcessesAppendingLoseNoRecord) {
  TempDir d;
  makeCashBook(d);
  constexpr int kWriters = 2, kRows = 1000;
  std::vector<pid_t> pids;
  for (int w = 0; w < kWriters; ++w) {
    spit(d / ("in" + std::to_string(w)), rowsOf(w, kRows));
    pids.push_back(spawn({ZEL_TOOL_PATH, "append", d / "ZEL509.DBF", d / "ZEL509.NTX", "--json"},
                         d / ("in" + std::to_string(w)), d / ("out" + std::to_string(w)),
                         d / ("err" + std::to_string(w))));
  }
  for (int w = 0; w < kWriters; ++w) {
    RunResult r = waitFor(pids[static_cast<size_t>(w)], d / ("out" + std::to_string(w)), d / ("err" + std::to_string(w)));
    EXPECT_EQ(r.exitCode, 0) << "writer " << w << ": " << r.err;
  }
  RunResult dump = zeldbf({"dump", d / "ZEL509.DBF", "--json"});
  ASSERT_EQ(dump.exitCode, 0) << dump.err;
  std::vector<std::string> got = descriptions(dump.out);
  EXPECT_EQ(got.size(), static_cast<size_t>(kWriters * kRows));
  std::set<std::string> unique(got.begin(), got.end());
  for (int w = 0; w < kWriters; ++w)
    for (int i = 0; i < kRows; ++i)
      EXPECT_EQ(unique.count("w" + std::to_string(w) + " r" + std::to_string(i)), 1u) << w << " " << i;
  RunResult check = zeldbf({"check", d / "ZEL509.DBF", d / "ZEL509.NTX"});
  EXPECT_EQ(check.exitCode, 0) << check.out << check.err;
}

TEST(Concurrency, KilledInTheMiddleOfAppendsLeavesAUsableTable) {
  TempDir d;
  makeCashBook(d);
  constexpr int kRows = 20000;
  spit(d / "in", rowsOf(7, kRows));
  const uint64_t header = std::filesystem::file_size(d / "ZEL509.DBF");
  pid_t pid = spawn({ZEL_TOOL_PATH, "append", d / "ZEL509.DBF", d / "ZEL509.NTX", "--json"}, d / "in", d / "out",
                    d / "err");
  // Wait until it is well into its appends, then kill it without warning.
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (std::filesystem::file_size(d / "ZEL509.DBF") < header + 200 * 79 &&
         std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  kill(pid, SIGKILL);
  RunResult killed = waitFor(pid, d / "out", d / "err");
  ASSERT_EQ(killed.signal, SIGKILL) << "the writer ended before it was killed: " << killed.err;

  RunResult info = zeldbf({"info", d / "ZEL509.DBF"});
  ASSERT_EQ(info.exitCode, 0) << info.err;
  RunResult dump = zeldbf({"dump", d / "ZEL509.DBF", "--json"});
  ASSERT_EQ(dump.exitCode, 0) << dump.err;
  std::vector<std::string> got = descriptions(dump.out);
  ASSERT_GE(got.size(), 200u);
  ASSERT_LT(got.size(), static_cast<size_t>(kRows));
  // What is there is the input's beginning, whole records in order.
  for (size_t i = 0; i < got.size(); ++i) ASSERT_EQ(got[i], "w7 r" + std::to_string(i)) << "record " << i + 1;

  ASSERT_EQ(zeldbf({"index", d / "ZEL509.DBF", d / "ZEL509.NTX", kKey}).exitCode, 0);
  RunResult check = zeldbf({"check", d / "ZEL509.DBF", d / "ZEL509.NTX"});
  EXPECT_EQ(check.exitCode, 0) << check.out << check.err;
  // The table takes appends again, and the kill left no lock behind.
  RunResult more = zeldbf({"append", d / "ZEL509.DBF", d / "ZEL509.NTX", "--json"}, rowsOf(8, 3));
  EXPECT_EQ(more.exitCode, 0) << more.err;
  RunResult locks = zeldbf({"locks", d / "ZEL509.DBF"});
  EXPECT_NE(locks.out.find("record locks: none"), std::string::npos) << locks.out;
  EXPECT_EQ(zeldbf({"check", d / "ZEL509.DBF", d / "ZEL509.NTX"}).exitCode, 0);
}

}  // namespace
}  // namespace zel::tools::testing
