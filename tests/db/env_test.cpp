// The Env implementations: the in-memory one must lock exactly as the POSIX
// one does, and the fault injector must fail the calls it is told to.
#include <gtest/gtest.h>

#include "db_test_util.h"
#include "platform/db/fault_env.h"

namespace zel::db::test {
namespace {

class EnvParity : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    if (GetParam()) {
      mem = makeMemEnv();
      env = mem.get();
      root = "";
    } else {
      env = &posixEnv();
      root = dir.file("");
    }
  }
  std::unique_ptr<File> open(const std::string& name, bool create = true) {
    OpenOptions o;
    o.create = create;
    auto f = env->open(root + name, o);
    EXPECT_TRUE(f.ok()) << f.status();
    return f.ok() ? std::move(f).value() : nullptr;
  }
  ScratchDir dir;
  std::unique_ptr<Env> mem;
  Env* env = nullptr;
  std::string root;
};

TEST_P(EnvParity, LocksBetweenHandles) {
  auto a = open("L.DBF"), b = open("L.DBF");
  constexpr uint64_t kFar = 0x7fffffff00000001ULL;
  using K = LockKind;
  EXPECT_TRUE(a->lock(100, 1, K::kShared).ok());
  EXPECT_TRUE(b->lock(100, 1, K::kShared).ok());
  EXPECT_TRUE(b->lock(100, 1, K::kExclusive).isLocked());
  EXPECT_TRUE(a->unlock(100, 1).ok());
  EXPECT_TRUE(b->lock(100, 1, K::kExclusive).ok());  // upgrade once alone
  EXPECT_TRUE(a->lock(100, 1, K::kShared).isLocked());
  EXPECT_TRUE(b->lock(100, 1, K::kShared).ok());     // and down again
  EXPECT_TRUE(a->lock(100, 1, K::kShared).ok());

  // A range, partly released, keeps the rest.
  EXPECT_TRUE(a->lock(1000, 10, K::kExclusive).ok());
  EXPECT_TRUE(a->unlock(1003, 2).ok());
  EXPECT_TRUE(b->lock(1003, 2, K::kExclusive).ok());
  EXPECT_TRUE(b->lock(1002, 1, K::kExclusive).isLocked());
  EXPECT_TRUE(b->lock(1009, 1, K::kExclusive).isLocked());
  EXPECT_TRUE(b->lock(1010, 1, K::kExclusive).ok());
  auto other = b->isLockedByOther(1000, 1, K::kShared);
  ASSERT_TRUE(other.ok());
  EXPECT_TRUE(*other);
  EXPECT_FALSE(*a->isLockedByOther(1000, 1, K::kShared));  // its own lock

  EXPECT_TRUE(a->lock(kFar, 1, K::kExclusive).ok());
  EXPECT_TRUE(b->lock(kFar, 1, K::kShared).isLocked());

  // A third handle opened and closed leaves a's locks alone; closing a
  // drops them all.
  { auto c = open("L.DBF"); }
  EXPECT_TRUE(b->lock(1000, 1, K::kShared).isLocked());
  a.reset();
  EXPECT_TRUE(b->lock(1000, 1, K::kExclusive).ok());
  EXPECT_TRUE(b->lock(kFar, 1, K::kExclusive).ok());
}

TEST_P(EnvParity, FilesAndFolders) {
  auto f = open("F.DBF");
  ASSERT_TRUE(f->write(10, "abc").ok());
  EXPECT_EQ(*f->size(), 13u);
  char buf[8];
  size_t got = 0;
  ASSERT_TRUE(f->read(8, 8, buf, &got).ok());
  EXPECT_EQ(std::string(buf, got), std::string("\0\0abc", 5));  // short at the end
  ASSERT_TRUE(f->truncate(11).ok());
  EXPECT_EQ(*f->size(), 11u);
  EXPECT_TRUE(env->open(root + "NONE.DBF", OpenOptions{}).status().isNotFound());
  OpenOptions excl;
  excl.mustNotExist = true;
  EXPECT_EQ(env->open(root + "F.DBF", excl).status().code(), StatusCode::kExists);
  EXPECT_TRUE(env->rename(root + "F.DBF", root + "G.DBF").ok());
  EXPECT_FALSE(env->exists(root + "F.DBF"));
  EXPECT_EQ(readFile(*env, root + "G.DBF").size(), 11u);
  ASSERT_TRUE(env->createDirectory(root + "sub").ok());
  EXPECT_TRUE(env->isDirectory(root + "sub"));
  auto names = env->list(GetParam() ? "" : dir.file(""));
  ASSERT_TRUE(names.ok());
  std::sort(names->begin(), names->end());
  EXPECT_EQ(*names, (std::vector<std::string>{"G.DBF", "sub"}));
  EXPECT_TRUE(env->remove(root + "G.DBF").ok());
  EXPECT_TRUE(env->remove(root + "G.DBF").isNotFound());
}

INSTANTIATE_TEST_SUITE_P(MemAndPosix, EnvParity, ::testing::Values(true, false),
                         [](const auto& p) { return p.param ? "Mem" : "Posix"; });

TEST(FaultEnv, FailsTheChosenCalls) {
  auto mem = makeMemEnv();
  FaultEnv fe(*mem);
  OpenOptions o;
  o.create = true;
  auto f = fe.open("F", o);
  ASSERT_TRUE(f.ok());
  fe.resetCount();
  fe.failAt(2);
  EXPECT_TRUE((*f)->write(0, "aaaa").ok());
  EXPECT_TRUE((*f)->write(0, "bbbb").isIOError());
  EXPECT_TRUE((*f)->write(0, "cccc").ok());  // transient: once only
  EXPECT_EQ(readFile(*mem, "F"), "cccc");

  fe.resetCount();
  fe.failAt(2, Fault::kNoSpace, true);
  EXPECT_TRUE((*f)->sync().ok());
  Status s = (*f)->write(0, "dddd");
  EXPECT_NE(s.message().find("no space"), std::string::npos);
  EXPECT_TRUE((*f)->truncate(0).isIOError());  // persistent
  EXPECT_EQ(fe.failures(), 2);

  fe.resetCount();
  fe.failAt(1, Fault::kShortWrite);
  EXPECT_TRUE((*f)->write(0, "wxyz").isIOError());
  EXPECT_EQ(readFile(*mem, "F"), "wxcc");  // half the bytes landed

  fe.resetCount();
  fe.writesOnly(true);
  fe.failAt(1);
  size_t got = 0;
  char b[4];
  EXPECT_TRUE((*f)->read(0, 4, b, &got).ok());  // reads are not counted
  EXPECT_TRUE((*f)->write(0, "q").isIOError());
  fe.clear();
  EXPECT_TRUE((*f)->write(0, "q").ok());
}

}  // namespace
}  // namespace zel::db::test
