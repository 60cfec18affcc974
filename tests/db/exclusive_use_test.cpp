// What exclusive use keeps in memory (appended records, the header count,
// changed index pages) reaches the files on flush and close, where other
// handles and programs read it; a process killed in the middle of an
// exclusive batch leaves a table that opens with every record it wrote and
// passes the table tool's check once its index is rebuilt; shared use still
// shows another process's appends and changes at once.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <functional>
#include <sstream>

#include "db_test_util.h"
#include "platform/db/ntx.h"
#include "platform/db/table.h"
#include "tools/subprocess.h"

namespace zel::db::test {
namespace {

using tools::testing::run;
using tools::testing::zeldbf;

const std::vector<FieldDef> kRows = {{"CPF", 'C', 11, 0}, {"DT", 'D', 8, 0}, {"VALOR", 'N', 10, 2}};
constexpr const char* kKey = "CPF+DTOS(DT)";

// Row i's CPF: a scattered order, so the index splits pages all over.
std::string cpfOf(uint32_t i) { return std::to_string(10000000000ULL + (i * 7919ULL) % 100003); }

Status appendRow(Table& t, uint32_t i) {
  ZEL_RETURN_IF_ERROR(t.appendBlank());
  ZEL_RETURN_IF_ERROR(t.put("CPF", Value(cpfOf(i))));
  ZEL_RETURN_IF_ERROR(t.put("DT", Value(*Date::fromYmd(2009, 1 + static_cast<int>(i % 12), 1 + static_cast<int>(i % 28)))));
  return t.put("VALOR", Value(i / 100.0));
}

uint32_t headerCount(const std::string& bytes) { return getLE32(bytes.data() + 4); }

// Every entry of the index file read on its own (no table: the table may
// still be open exclusive), checked and compared with the key bytes of the
// records in the file (CPF then DT as stored, which is DTOS(DT)).
void expectIndexMatches(const std::string& ntx, const std::string& table, uint32_t count) {
  auto ix = NtxIndex::open(posixEnv(), ntx, true);
  ASSERT_TRUE(ix.ok()) << ix.status();
  auto st = (*ix)->check(count);
  ASSERT_TRUE(st.ok()) << st.status();
  EXPECT_EQ(st->keys, count);
  const std::string bytes = readFile(posixEnv(), table);
  const size_t headerLen = getLE16(bytes.data() + 8), recLen = getLE16(bytes.data() + 10);
  std::vector<NtxEntry> entries;
  ASSERT_TRUE((*ix)->walk([&](const NtxEntry& e) {
                      entries.push_back(e);
                      return true;
                    }).ok());
  ASSERT_EQ(entries.size(), count);
  std::vector<bool> seen(count + 1);
  for (size_t k = 0; k < entries.size(); ++k) {
    const NtxEntry& e = entries[k];
    ASSERT_GE(e.recno, 1u);
    ASSERT_LE(e.recno, count);
    ASSERT_FALSE(seen[e.recno]) << e.recno;
    seen[e.recno] = true;
    EXPECT_EQ(bytes.substr(headerLen + (e.recno - 1) * recLen + 1, 19), e.key) << "record " << e.recno;
    if (k > 0) {
      EXPECT_LE(entries[k - 1].key, e.key);
    }
  }
}

TEST(ExclusiveUse, FlushAndCloseWriteWhatWasKeptInMemory) {
  ScratchDir dir;
  const std::string path = dir.file("ZEL509.DBF"), ntx = dir.file("ZEL509.NTX");
  ASSERT_TRUE(Table::create(posixEnv(), path, kRows).ok());
  auto t = openTable(posixEnv(), path);
  ASSERT_TRUE(t->createIndex(ntx, kKey).ok());
  // More rows than one write-behind buffer holds, so some reached the file
  // before the flush and some did not.
  const uint32_t first = 5000, second = 700;
  for (uint32_t i = 1; i <= first; ++i) ASSERT_TRUE(appendRow(*t, i).ok()) << i;
  // Changes to a record already written and to one still in memory; a key
  // change moves the entry.
  for (uint32_t r : {10u, first}) {
    ASSERT_TRUE(t->goTo(r).ok());
    ASSERT_TRUE(t->put("CPF", Value("00000000" + std::to_string(r % 1000))).ok());
    ASSERT_TRUE(t->markDeleted().ok());
  }
  ASSERT_TRUE(t->flush().ok());

  // While the table is still open: the bytes on disk say everything.
  std::string bytes = readFile(posixEnv(), path);
  EXPECT_EQ(headerCount(bytes), first);
  ASSERT_EQ(bytes.size(), static_cast<size_t>(t->headerSize()) + first * t->recordSize() + 1);
  EXPECT_EQ(bytes.back(), '\x1a');
  EXPECT_EQ(bytes[t->headerSize() + (first - 1) * t->recordSize()], '*');
  expectIndexMatches(ntx, path, first);

  for (uint32_t i = first + 1; i <= first + second; ++i) ASSERT_TRUE(appendRow(*t, i).ok()) << i;
  ASSERT_TRUE(t->close().ok());
  const uint32_t total = first + second;
  EXPECT_EQ(headerCount(readFile(posixEnv(), path)), total);
  expectIndexMatches(ntx, path, total);

  // Another handle finds the records and keys without repairing anything.
  auto other = openTable(posixEnv(), path, OpenMode::kShared);
  EXPECT_FALSE(other->countRepaired());
  EXPECT_EQ(other->recordCount(), total);
  ASSERT_TRUE(other->attachIndex(ntx).ok());
  for (uint32_t i : {1u, 4321u, total}) {
    ASSERT_TRUE(other->seek(cpfOf(i)).ok());
    EXPECT_TRUE(other->found()) << i;
  }
  ASSERT_TRUE(other->goTo(total).ok());
  EXPECT_EQ(other->text("CPF"), cpfOf(total));
  EXPECT_DOUBLE_EQ(other->number("VALOR"), total / 100.0);
  other.reset();

  // And another program reads the same rows.
  auto py = run({"/usr/bin/python3", std::string(ZEL_SOURCE_DIR) + "/tests/tools/dbf_peer.py", "read", path});
  ASSERT_EQ(py.exitCode, 0) << py.err;
  std::vector<std::string> lines;
  std::string line;
  std::istringstream in(py.out);
  while (std::getline(in, line)) lines.push_back(line);
  ASSERT_EQ(lines.size(), total);
  EXPECT_NE(lines[0].find("\"CPF\": \"" + cpfOf(1) + "\""), std::string::npos) << lines[0];
  EXPECT_NE(lines[9].find("\"_deleted\": true"), std::string::npos) << lines[9];
  EXPECT_NE(lines[total - 1].find("\"CPF\": \"" + cpfOf(total) + "\""), std::string::npos) << lines[total - 1];
  EXPECT_NE(lines[total - 1].find("\"VALOR\": 57"), std::string::npos) << lines[total - 1];
}

// A child process appends in exclusive use and is killed while it waits
// with part of its batch in memory.
TEST(ExclusiveUse, ProcessKilledMidBatchLeavesATableThatOpensAndChecksAfterReindex) {
  ScratchDir dir;
  const std::string path = dir.file("ZEL509.DBF"), ntx = dir.file("ZEL509.NTX");
  ASSERT_TRUE(Table::create(posixEnv(), path, kRows).ok());
  // Well past what one buffer holds and past 4096 records beyond the
  // header's count, which the count repair once stopped at.
  const uint32_t rows = 9000;
  int ready[2];
  ASSERT_EQ(pipe(ready), 0);
  pid_t child = fork();
  if (child == 0) {
    auto t = Table::open(posixEnv(), path, OpenMode::kExclusive);
    if (!t.ok() || !(*t)->createIndex(ntx, kKey).ok()) _exit(2);
    for (uint32_t i = 1; i <= rows; ++i)
      if (!appendRow(**t, i).ok()) _exit(3);
    (void)!write(ready[1], "k", 1);
    for (;;) pause();
  }
  close(ready[1]);
  char c = 0;
  ASSERT_EQ(read(ready[0], &c, 1), 1);
  close(ready[0]);
  kill(child, SIGKILL);
  int st = 0;
  waitpid(child, &st, 0);
  ASSERT_TRUE(WIFSIGNALED(st));

  const uint32_t perBuffer = 64 * 1024 / 30 + 1;  // records of 30 bytes
  {
    auto t = Table::open(posixEnv(), path, OpenMode::kShared, true);
    ASSERT_TRUE(t.ok()) << t.status();
    uint32_t n = (*t)->recordCount();
    EXPECT_GE(n, rows - perBuffer);
    EXPECT_LE(n, rows);
    for (uint32_t r = 1; r <= n; r += 997) {
      ASSERT_TRUE((*t)->goTo(r).ok());
      EXPECT_EQ((*t)->text("CPF"), cpfOf(r));
    }
  }
  auto ix = zeldbf({"index", path, ntx, kKey});
  EXPECT_EQ(ix.exitCode, 0) << ix.out << ix.err;
  auto check = zeldbf({"check", path, ntx});
  EXPECT_EQ(check.exitCode, 0) << check.out << check.err;
  EXPECT_NE(check.out.find("consistent"), std::string::npos) << check.out;
  auto t = openTable(posixEnv(), path);
  ASSERT_TRUE(t->attachIndex(ntx).ok());
  EXPECT_EQ(walk(*t).size(), t->recordCount());
}

// Shared use writes through: a handle that has already read the table sees
// another process's append and change without a refresh of its own.
TEST(SharedUse, AnotherProcessesAppendAndChangeShowAtOnce) {
  ScratchDir dir;
  const std::string path = dir.file("ZEL509.DBF"), ntx = dir.file("ZEL509.NTX");
  ASSERT_TRUE(Table::create(posixEnv(), path, kRows).ok());
  {
    auto t = openTable(posixEnv(), path);
    for (uint32_t i = 1; i <= 50; ++i) ASSERT_TRUE(appendRow(*t, i).ok());
    ASSERT_TRUE(t->createIndex(ntx, kKey).ok());
  }
  auto t = openTable(posixEnv(), path, OpenMode::kShared);
  ASSERT_TRUE(t->attachIndex(ntx).ok());
  ASSERT_EQ(walk(*t).size(), 50u);
  ASSERT_TRUE(t->setOrder(0).ok());
  ASSERT_TRUE(t->goTo(50).ok());

  int toChild[2], toParent[2];
  ASSERT_EQ(pipe(toChild), 0);
  ASSERT_EQ(pipe(toParent), 0);
  pid_t child = fork();
  if (child == 0) {
    auto c = Table::open(posixEnv(), path, OpenMode::kShared);
    if (!c.ok() || !(*c)->attachIndex(ntx).ok()) _exit(2);
    char go = 0;
    if (!(*c)->appendBlank().ok() || !(*c)->put("CPF", Value("99999999999")).ok()) _exit(3);
    (void)!write(toParent[1], "a", 1);
    if (read(toChild[0], &go, 1) != 1) _exit(4);
    if (!(*c)->put("CPF", Value("99999999998")).ok()) _exit(5);
    (void)!write(toParent[1], "c", 1);
    if (read(toChild[0], &go, 1) != 1) _exit(4);
    _exit(0);
  }
  char c = 0;
  ASSERT_EQ(read(toParent[0], &c, 1), 1);
  ASSERT_TRUE(t->skip(1).ok());
  EXPECT_FALSE(t->eof());
  EXPECT_EQ(t->recno(), 51u);
  EXPECT_EQ(t->text("CPF"), "99999999999");
  EXPECT_EQ(t->recordCount(), 51u);
  ASSERT_TRUE(t->setOrder(1).ok());
  ASSERT_TRUE(t->seek("99999999999").ok());
  EXPECT_TRUE(t->found());

  ASSERT_EQ(write(toChild[1], "g", 1), 1);
  ASSERT_EQ(read(toParent[0], &c, 1), 1);
  ASSERT_TRUE(t->goTo(51).ok());
  EXPECT_EQ(t->text("CPF"), "99999999998");
  ASSERT_TRUE(t->seek("99999999998").ok());
  EXPECT_TRUE(t->found());
  EXPECT_EQ(t->recno(), 51u);
  ASSERT_TRUE(t->goBottom().ok());
  EXPECT_EQ(t->recno(), 51u);

  ASSERT_EQ(write(toChild[1], "g", 1), 1);
  int st = 0;
  waitpid(child, &st, 0);
  EXPECT_TRUE(WIFEXITED(st) && WEXITSTATUS(st) == 0) << st;
  for (int fd : {toChild[0], toChild[1], toParent[0], toParent[1]}) close(fd);
}

}  // namespace
}  // namespace zel::db::test
