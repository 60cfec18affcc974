// Sharing between real processes (fork): record and file locks, shared and
// exclusive opens, concurrent appends, and a writer killed mid-append.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <set>

#include "db_test_util.h"
#include "platform/db/bulk.h"
#include "platform/db/table.h"

namespace zel::db::test {
namespace {

// A one-way byte channel between parent and child.
struct Channel {
  int fd[2] = {-1, -1};
  Channel() { EXPECT_EQ(pipe(fd), 0); }
  ~Channel() {
    for (int f : fd)
      if (f >= 0) close(f);
  }
  void send(char c) { (void)!write(fd[1], &c, 1); }
  // The next byte, or 0 when the writer is gone.
  char receive() {
    char c = 0;
    return read(fd[0], &c, 1) == 1 ? c : 0;
  }
};

// Runs `body` in a child process that exits with its result.
pid_t spawn(const std::function<int()>& body) {
  pid_t pid = fork();
  if (pid == 0) _exit(body());
  return pid;
}

int exitCode(pid_t pid) {
  int st = 0;
  waitpid(pid, &st, 0);
  return WIFEXITED(st) ? WEXITSTATUS(st) : 128 + WTERMSIG(st);
}

enum ChildResult { kOk = 0, kOpenFailed = 2, kLockedOut = 3, kFailed = 4 };

class MultiProcessTest : public ::testing::Test {
 protected:
  void SetUp() override {
    path = dir.file("ZEL909.DBF");
    ASSERT_TRUE(Table::create(posixEnv(), path, {{"CPF", 'C', 11, 0}, {"NOME", 'C', 20, 0}}).ok());
    auto t = openTable(posixEnv(), path);
    for (int i = 1; i <= 3; ++i) ASSERT_TRUE(t->appendBlank().ok());
  }
  ScratchDir dir;
  std::string path;
};

TEST_F(MultiProcessTest, RecordLockRefusedToOthersUntilReleased) {
  Channel ready, go;
  pid_t child = spawn([&] {
    auto t = Table::open(posixEnv(), path, OpenMode::kShared);
    if (!t.ok() || !(*t)->lockRecord(2).ok()) return kFailed;
    // Opening and closing the file elsewhere in this process must not drop
    // the lock (the classic POSIX-lock pitfall).
    { auto other = Table::open(posixEnv(), path, OpenMode::kShared); }
    { auto raw = posixEnv().open(path, OpenOptions{}); }
    ready.send('L');
    go.receive();
    return kOk;
  });
  ASSERT_EQ(ready.receive(), 'L');
  auto t = openTable(posixEnv(), path, OpenMode::kShared);
  EXPECT_TRUE(t->lockRecord(2).isLocked());
  EXPECT_TRUE(t->lockRecord(3).ok());
  EXPECT_TRUE(t->lockFile().isLocked());
  ASSERT_TRUE(t->goTo(2).ok());
  EXPECT_FALSE(t->put("NOME", Value("x")).ok());
  go.send('G');
  EXPECT_EQ(exitCode(child), kOk);
  EXPECT_TRUE(t->lockRecord(2).ok());  // the dead holder's lock is gone
  EXPECT_TRUE(t->put("NOME", Value("x")).ok());
}

TEST_F(MultiProcessTest, FileLockStopsAnotherProcessAppending) {
  Channel ready, go;
  pid_t child = spawn([&] {
    auto t = Table::open(posixEnv(), path, OpenMode::kShared);
    if (!t.ok() || !(*t)->lockFile().ok()) return kFailed;
    ready.send('F');
    go.receive();
    return kOk;
  });
  ASSERT_EQ(ready.receive(), 'F');
  auto t = openTable(posixEnv(), path, OpenMode::kShared);
  EXPECT_TRUE(t->appendBlank().isLocked());
  EXPECT_TRUE(t->lockRecord(1).isLocked());
  EXPECT_EQ(t->recordCount(), 3u);
  go.send('G');
  EXPECT_EQ(exitCode(child), kOk);
  ASSERT_TRUE(t->appendBlank().ok());
  EXPECT_EQ(t->recno(), 4u);
}

TEST_F(MultiProcessTest, ExclusiveAndSharedOpensAcrossProcesses) {
  auto tryOpen = [&](OpenMode mode) {
    return spawn([&, mode] {
      auto t = Table::open(posixEnv(), path, mode);
      if (t.ok()) return kOk;
      return t.status().isLocked() ? kLockedOut : kOpenFailed;
    });
  };
  {
    auto shared = openTable(posixEnv(), path, OpenMode::kShared);
    EXPECT_EQ(exitCode(tryOpen(OpenMode::kExclusive)), kLockedOut);
    EXPECT_EQ(exitCode(tryOpen(OpenMode::kShared)), kOk);
  }
  {
    auto exclusive = openTable(posixEnv(), path, OpenMode::kExclusive);
    EXPECT_EQ(exitCode(tryOpen(OpenMode::kShared)), kLockedOut);
    EXPECT_EQ(exitCode(tryOpen(OpenMode::kExclusive)), kLockedOut);
  }
  EXPECT_EQ(exitCode(tryOpen(OpenMode::kExclusive)), kOk);
}

// Retries a call refused by another process's lock, as the program's
// bounded waits do.
Status retry(const std::function<Status()>& call) {
  for (int i = 0; i < 20000; ++i) {
    Status s = call();
    if (!s.isLocked()) return s;
    usleep(100);
  }
  return Status::Locked("gave up");
}

TEST_F(MultiProcessTest, ConcurrentAppendsLoseNoRecord) {
  {
    auto t = openTable(posixEnv(), path);
    ASSERT_TRUE(t->createIndex(dir.file("ZEL909.NTX"), "CPF").ok());
  }
  constexpr int kWriters = 2, kEach = 150;
  std::vector<pid_t> kids;
  for (int w = 0; w < kWriters; ++w) {
    kids.push_back(spawn([&, w] {
      auto t = Table::open(posixEnv(), path, OpenMode::kShared);
      if (!t.ok() || !(*t)->attachIndex(dir.file("ZEL909.NTX")).ok()) return kOpenFailed;
      for (int i = 0; i < kEach; ++i) {
        char cpf[24];
        std::snprintf(cpf, sizeof cpf, "%d%010d", w + 1, i);
        if (!retry([&] { return (*t)->appendBlank(); }).ok()) return kFailed;
        if (!retry([&] { return (*t)->put("CPF", Value(cpf)); }).ok()) return kFailed;
        if (!(*t)->unlockAll().ok()) return kFailed;
      }
      return kOk;
    }));
  }
  for (pid_t k : kids) EXPECT_EQ(exitCode(k), kOk);

  auto t = openTable(posixEnv(), path);
  EXPECT_EQ(t->recordCount(), 3u + kWriters * kEach);
  ASSERT_TRUE(t->attachIndex(dir.file("ZEL909.NTX")).ok());
  std::vector<std::string> inKeyOrder;
  ASSERT_TRUE(t->goTop().ok());
  while (!t->eof()) {
    inKeyOrder.push_back(t->text("CPF"));
    ASSERT_TRUE(t->skip().ok());
  }
  std::vector<std::string> want = {"", "", ""};  // the three blank rows of the set-up
  for (int w = 0; w < kWriters; ++w)
    for (int i = 0; i < kEach; ++i) {
      char cpf[24];
      std::snprintf(cpf, sizeof cpf, "%d%010d", w + 1, i);
      want.push_back(cpf);
    }
  EXPECT_EQ(inKeyOrder, want);  // every record once, in key order
  EXPECT_EQ(readFile(posixEnv(), path).size(),
            static_cast<size_t>(t->headerSize() + t->recordCount() * t->recordSize() + 1));
}

// Memos placed at the same time by two processes never share blocks.
TEST_F(MultiProcessTest, ConcurrentMemoWritesKeepTheirOwnBlocks) {
  std::string memoPath = dir.file("HELP.DBF");
  ASSERT_TRUE(Table::create(posixEnv(), memoPath, {{"TEXTO", 'M', 10, 0}}).ok());
  constexpr uint32_t kRecords = 200;
  {
    auto t = openTable(posixEnv(), memoPath);
    for (uint32_t r = 0; r < kRecords; ++r) ASSERT_TRUE(t->appendBlank().ok());
  }
  // Each round is longer than the last, so every write takes new blocks.
  auto textFor = [](uint32_t recno, int round) {
    return std::string(100 + 520 * static_cast<size_t>(round), static_cast<char>('a' + recno % 26)) +
           std::to_string(recno);
  };
  std::vector<pid_t> kids;
  Channel start;
  for (uint32_t w = 0; w < 2; ++w) {
    kids.push_back(spawn([&, w] {
      auto t = Table::open(posixEnv(), memoPath, OpenMode::kShared);
      if (!t.ok()) return kOpenFailed;
      start.receive();  // both at once
      for (int round = 0; round < 3; ++round)
        for (uint32_t r = 1 + w; r <= kRecords; r += 2) {  // odd records to one, even to the other
          if (!(*t)->goTo(r).ok() || !(*t)->lockRecord().ok()) return kFailed;
          if (!retry([&] { return (*t)->put("TEXTO", Value(textFor(r, round))); }).ok()) return kFailed;
        }
      return kOk;
    }));
  }
  start.send('1');
  start.send('2');
  for (pid_t k : kids) EXPECT_EQ(exitCode(k), kOk);
  auto t = openTable(posixEnv(), memoPath);
  for (uint32_t r = 1; r <= kRecords; ++r) {
    ASSERT_TRUE(t->goTo(r).ok());
    auto v = t->get("TEXTO");
    ASSERT_TRUE(v.ok()) << v.status();
    EXPECT_EQ(v->text(), textFor(r, 2)) << "record " << r;
  }
}

TEST_F(MultiProcessTest, WriterKilledMidAppendLeavesATableThatOpens) {
  for (int ackBeforeKill : {40, 150}) {
    SCOPED_TRACE(ackBeforeKill);
    uint32_t start;
    {
      auto t = openTable(posixEnv(), path, OpenMode::kShared);
      start = t->recordCount();
    }
    Channel acks;
    pid_t child = spawn([&] {
      auto t = Table::open(posixEnv(), path, OpenMode::kShared);
      if (!t.ok()) return kOpenFailed;
      for (int i = 1;; ++i) {
        if (!(*t)->appendBlank().ok()) return kFailed;
        if (!(*t)->put("CPF", Value(std::to_string((*t)->recno()))).ok()) return kFailed;
        acks.send('+');
      }
    });
    for (int i = 0; i < ackBeforeKill; ++i) ASSERT_EQ(acks.receive(), '+');
    kill(child, SIGKILL);
    EXPECT_EQ(exitCode(child), 128 + SIGKILL);

    auto t = openTable(posixEnv(), path, OpenMode::kShared);
    ASSERT_TRUE(t);
    uint32_t n = t->recordCount();
    EXPECT_GE(n, start + ackBeforeKill);
    for (uint32_t r = start + 1; r <= n; ++r) {
      ASSERT_TRUE(t->goTo(r).ok());
      // The last record may have been appended without its value.
      if (r < n || !t->text("CPF").empty()) {
        EXPECT_EQ(t->text("CPF"), std::to_string(r));
      }
    }
    ASSERT_TRUE(t->appendBlank().ok());
    EXPECT_EQ(t->recno(), n + 1);
    EXPECT_EQ(readFile(posixEnv(), path).size(),
              static_cast<size_t>(t->headerSize() + (n + 1) * t->recordSize() + 1));
  }
}

// An Env whose process dies (as if killed) just before its n-th write,
// truncate, sync or rename.
class DyingEnv : public EnvWrapper {
 public:
  DyingEnv(Env& target, long n) : EnvWrapper(target), left_(n) {}
  void tick() {
    if (--left_ == 0) _exit(kOk);
  }
  Result<std::unique_ptr<File>> open(const std::string& path, const OpenOptions& o) override {
    auto f = target().open(path, o);
    if (!f.ok()) return f.status();
    return std::unique_ptr<File>(new Dying(*this, std::move(f).value()));
  }
  Status remove(const std::string& p) override { tick(); return target().remove(p); }
  Status rename(const std::string& a, const std::string& b) override { tick(); return target().rename(a, b); }

 private:
  class Dying : public FileWrapper {
   public:
    Dying(DyingEnv& env, std::unique_ptr<File> f) : FileWrapper(std::move(f)), env_(env) {}
    Status write(uint64_t off, std::string_view d) override { env_.tick(); return target().write(off, d); }
    Status truncate(uint64_t len) override { env_.tick(); return target().truncate(len); }
    Status sync() override { env_.tick(); return target().sync(); }

   private:
    DyingEnv& env_;
  };
  long left_;
};

// A process dies before each write of an operation in turn; the table it
// leaves opens, its memos read, and a rebuild makes its index agree.
TEST(CrashPoints, EveryWriteOfAnOperation) {
  struct Op {
    const char* name;
    OpenMode mode;
    std::function<Status(Table&)> run;
  } ops[] = {
      {"append with key and memo", OpenMode::kShared,
       [](Table& t) {
         ZEL_RETURN_IF_ERROR(t.appendBlank());
         ZEL_RETURN_IF_ERROR(t.put("CPF", Value("0")));
         return t.put("OBS", Value(std::string(1500, 'n')));
       }},
      {"pack", OpenMode::kExclusive, [](Table& t) { return pack(t); }},
      {"zap", OpenMode::kExclusive, [](Table& t) { return zap(t); }},
  };
  for (const Op& op : ops) {
    bool finished = false;
    int deaths = 0;
    for (long n = 1; !finished && n < 100; ++n) {
      SCOPED_TRACE(std::string(op.name) + ", dying before write " + std::to_string(n));
      ScratchDir dir;
      const std::string path = dir.file("T.DBF"), ntx = dir.file("T.NTX");
      ASSERT_TRUE(Table::create(posixEnv(), path, {{"CPF", 'C', 11, 0}, {"OBS", 'M', 10, 0}}).ok());
      {
        auto t = openTable(posixEnv(), path);
        for (const char* c : {"3", "1", "2"}) {
          ASSERT_TRUE(t->appendBlank().ok());
          ASSERT_TRUE(t->put("CPF", Value(c)).ok());
          ASSERT_TRUE(t->put("OBS", Value(std::string(600, c[0]))).ok());
        }
        ASSERT_TRUE(t->goTo(2).ok());
        ASSERT_TRUE(t->markDeleted().ok());
        ASSERT_TRUE(t->createIndex(ntx, "CPF").ok());
      }
      pid_t child = spawn([&] {
        DyingEnv dying(posixEnv(), n);
        auto t = Table::open(dying, path, op.mode);
        if (!t.ok() || !(*t)->attachIndex(ntx).ok()) return kOpenFailed;
        if (!op.run(**t).ok()) return kFailed;
        (void)(*t)->close();
        return kLockedOut;  // ran to the end without dying
      });
      int code = exitCode(child);
      ASSERT_TRUE(code == kOk || code == kLockedOut) << code;
      finished = code == kLockedOut;
      deaths += code == kOk;

      auto t = Table::open(posixEnv(), path, OpenMode::kExclusive);
      ASSERT_TRUE(t.ok()) << t.status();
      uint32_t count = (*t)->recordCount();
      EXPECT_TRUE(count == 0 || count == 2 || count == 3 || count == 4) << count;
      std::vector<std::string> cpfs;
      for (uint32_t r = 1; r <= count; ++r) {
        ASSERT_TRUE((*t)->goTo(r).ok());
        auto memo = (*t)->get("OBS");
        ASSERT_TRUE(memo.ok()) << memo.status();  // never a pointer to unwritten blocks
        std::string cpf = (*t)->text("CPF");
        if (!cpf.empty() && cpf != "0") {
          EXPECT_EQ(memo->text(), std::string(600, cpf[0]));
        }
        cpfs.push_back(cpf);
      }
      if (Status s = (*t)->attachIndex(ntx); !s.ok() || walk(**t).size() != count) {
        (*t)->clearIndexes();
        ASSERT_TRUE((*t)->createIndex(ntx, "CPF").ok());
      }
      std::vector<uint32_t> order = walk(**t);
      EXPECT_EQ(order.size(), count);
      std::vector<std::string> keys;
      for (uint32_t r : order) keys.push_back(cpfs[r - 1]);
      EXPECT_TRUE(std::is_sorted(keys.begin(), keys.end()));
    }
    EXPECT_TRUE(finished) << op.name;
    EXPECT_GE(deaths, 3) << op.name;  // the sweep really stopped the operation midway
  }
}

}  // namespace
}  // namespace zel::db::test
