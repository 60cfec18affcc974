// Waits and messages of the locking routines against a lock or an exclusive
// open held by another process.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>

#include "data/areas.h"
#include "data_fixture.h"
#include "platform/sys/cp850.h"

namespace zel::data {
namespace {

const std::string kGaveUp(
    "message: ATENÇAO! Registro näo ficou disponível. Dado näo será gravado."_cp);

// A second process that opens a table, takes what `grab` takes, says so,
// and lets go when told.
class Holder {
 public:
  Holder(const std::string& path, db::OpenMode mode, std::function<bool(db::Table&)> grab) {
    int up[2], down[2];
    if (::pipe(up) != 0 || ::pipe(down) != 0) return;
    pid_ = ::fork();
    if (pid_ == 0) {
      ::close(up[0]);
      ::close(down[1]);
      auto t = db::Table::open(db::posixEnv(), path, mode);
      char ok = t.ok() && grab(**t) ? 'R' : 'E';
      (void)!::write(up[1], &ok, 1);
      char go;
      (void)!::read(down[0], &go, 1);
      if (t.ok()) (void)(*t)->close();
      (void)!::write(up[1], "D", 1);
      ::_exit(0);
    }
    ::close(up[1]);
    ::close(down[0]);
    from_ = up[0];
    to_ = down[1];
    char c = 0;
    ready_ = ::read(from_, &c, 1) == 1 && c == 'R';
  }
  ~Holder() {
    release();
    if (pid_ > 0) ::waitpid(pid_, nullptr, 0);
    if (from_ >= 0) ::close(from_);
    if (to_ >= 0) ::close(to_);
  }
  bool ready() const { return ready_; }
  void release() {
    if (released_ || to_ < 0) return;
    released_ = true;
    (void)!::write(to_, "G", 1);
    char c;
    (void)!::read(from_, &c, 1);
  }

 private:
  pid_t pid_ = -1;
  int from_ = -1, to_ = -1;
  bool ready_ = false, released_ = false;
};

class Locks : public DataDirs {
 protected:
  void SetUp() override {
    DataDirs::SetUp();
    // A register with two taxpayers; nothing of ours is open when a holder forks.
    ASSERT_TRUE(ABERTURA(9));
    db::Table* t = areaTable("9");
    for (const char* cpf : {"11111111111", "22222222222"}) {
      ASSERT_TRUE(t->appendBlank().ok());
      ASSERT_TRUE(t->put("CPF", Value(cpf)).ok());
    }
    closeAllAreas();
    ui.log.clear();
  }
  std::string registerPath() const { return dados("ZEL909.DBF"); }
  void openRegisterOnFirstRow() {
    ASSERT_TRUE(ABERTURA(9));
    ASSERT_TRUE(areaTable("9")->goTo(1).ok());
    ui.log.clear();
    manual->set({});
  }
};

TEST_F(Locks, RecordLockedByAnotherProcess) {
  Holder other(registerPath(), db::OpenMode::kShared,
               [](db::Table& t) { return t.lockRecord(1).ok(); });
  ASSERT_TRUE(other.ready());
  openRegisterOnFirstRow();

  // No wait: one try and both messages.
  EXPECT_FALSE(REC_LOCK(0));
  ASSERT_EQ(ui.log.size(), 2u);
  EXPECT_EQ(ui.log[0],
            std::string("message-centred: Aguardando registro ficar disponível no arquivo "_cp) +
                "ZEL909");
  EXPECT_EQ(ui.log[1], kGaveUp);
  EXPECT_EQ(manual->monotonicMs(), 0);

  // Five seconds of half-second tries, then the same end.
  EXPECT_FALSE(REC_LOCK(5));
  EXPECT_EQ(manual->monotonicMs(), 5000);
  EXPECT_EQ(ui.log.back(), kGaveUp);

  // Another record is free at once.
  ASSERT_TRUE(areaTable("9")->goTo(2).ok());
  ui.log.clear();
  EXPECT_TRUE(REC_LOCK(0));
  EXPECT_TRUE(ui.log.empty());
  ASSERT_TRUE(areaTable("9")->unlockAll().ok());

  // The file lock waits on any record held elsewhere.
  EXPECT_FALSE(FIL_LOCK(1));
  EXPECT_EQ(ui.lines("message-centred: ").back(),
            "message-centred: " + std::string("Aguardando arquivo ficar disponível"_cp));
  EXPECT_EQ(ui.log.back(), kGaveUp);

  other.release();
  ASSERT_TRUE(areaTable("9")->goTo(1).ok());
  ui.log.clear();
  EXPECT_TRUE(REC_LOCK(0));
  EXPECT_TRUE(ui.log.empty());
}

TEST_F(Locks, AppendWaitsForAFileLockHeldElsewhere) {
  Holder other(registerPath(), db::OpenMode::kShared,
               [](db::Table& t) { return t.lockFile().ok(); });
  ASSERT_TRUE(other.ready());
  openRegisterOnFirstRow();
  EXPECT_FALSE(ADD_REC(2));
  EXPECT_EQ(manual->monotonicMs(), 2000);
  ASSERT_FALSE(ui.log.empty());
  EXPECT_EQ(ui.log.front(),
            "message-centred: " + std::string("Aguardando registro ficar disponível"_cp));
  EXPECT_EQ(ui.log.back(), kGaveUp);
  EXPECT_EQ(areaTable("9")->recordCount(), 2u);

  other.release();
  EXPECT_TRUE(ADD_REC(2));
  EXPECT_EQ(areaTable("9")->recordCount(), 3u);
}

TEST_F(Locks, TableHeldExclusiveElsewhere) {
  Holder other(registerPath(), db::OpenMode::kExclusive, [](db::Table&) { return true; });
  ASSERT_TRUE(other.ready());
  EXPECT_FALSE(ABERTURA(9));
  EXPECT_EQ(manual->monotonicMs(), 9000);  // ten tries a second apart
  EXPECT_EQ(ui.log.back(),
            std::string("alert: C:\\DADOS\\ZEL909.DBF näo está disponivel "_cp));
  EXPECT_EQ(areaTable("9"), nullptr);

  other.release();
  ui.log.clear();
  EXPECT_TRUE(ABERTURA(9));
  EXPECT_TRUE(ui.lines("alert: ").empty());
}

}  // namespace
}  // namespace zel::data
