// Tables written by another xBase engine: read, walked through their own
// indexes, and changed in copies.
#include <gtest/gtest.h>

#include "db_test_util.h"
#include "platform/db/table.h"
#include "platform/sys/cp850.h"

namespace zel::db::test {
namespace {

std::vector<uint32_t> orderFile(const std::string& name) {
  std::vector<uint32_t> out;
  std::istringstream in(slurp(fixture(name)));
  for (uint32_t r; in >> r;) out.push_back(r);
  return out;
}

class FixtureTest : public ::testing::Test {
 protected:
  std::unique_ptr<Env> env = makeMemEnv();
};

TEST_F(FixtureTest, WideCharacterFieldAndNumbers) {
  loadFixtures(*env, {"ZEL309.dbf"});
  auto t = openTable(*env, "ZEL309.dbf", OpenMode::kShared);
  ASSERT_TRUE(t);
  EXPECT_EQ(t->recordCount(), 120u);
  EXPECT_EQ(t->recordSize(), 529);
  EXPECT_EQ(t->headerSize(), 162);
  ASSERT_EQ(t->fieldIndex("i8_1"), 3);
  EXPECT_EQ(t->fields()[3].width, 512);
  EXPECT_EQ(t->text("CPF"), "00000000001");
  EXPECT_EQ(t->number("I8_0"), 5830);
  auto desc = t->get("I8_1");
  ASSERT_TRUE(desc.ok());
  EXPECT_EQ(desc->text().size(), 512u);
  EXPECT_EQ(desc->text().substr(0, 8), "bem bem ");
  ASSERT_TRUE(t->goTo(2).ok());
  EXPECT_EQ(t->text("CPF"), "00000000002");
  EXPECT_EQ(t->number("I8_0"), 2201);
}

TEST_F(FixtureTest, RegisterValuesOfEveryType) {
  loadFixtures(*env, {"ZEL909.dbf"});
  auto t = openTable(*env, "ZEL909.dbf", OpenMode::kShared);
  ASSERT_TRUE(t);
  EXPECT_EQ(t->recordCount(), 700u);
  EXPECT_EQ(t->text("NOMECONTR"), "bob");
  EXPECT_EQ(t->number("ESTATUS"), 3);
  EXPECT_DOUBLE_EQ(t->number("I5_09"), -581.07);
  EXPECT_FALSE(t->get("SO_TOTAL")->logical());
  ASSERT_TRUE(t->skip().ok());
  EXPECT_TRUE(t->get("SO_TOTAL")->logical());
  EXPECT_DOUBLE_EQ(t->number("I5_09"), 209.66);
}

TEST_F(FixtureTest, CashBookDatesAndAmounts) {
  loadFixtures(*env, {"ZEL509.dbf"});
  auto t = openTable(*env, "ZEL509.dbf", OpenMode::kShared);
  ASSERT_TRUE(t);
  EXPECT_EQ(t->recordCount(), 1500u);
  EXPECT_EQ(t->headerSize(), 194);  // 32 + 5 * 32 + 0x0D 0x00
  EXPECT_EQ(t->get("DT_LC")->date(), *Date::fromYmd(2008, 4, 2));
  EXPECT_DOUBLE_EQ(t->number("VALOR"), 580.42);
  ASSERT_TRUE(t->goTo(3).ok());
  EXPECT_EQ(t->get("DT_LC")->date(), *Date::fromYmd(2008, 9, 10));
  EXPECT_EQ(t->text("DESCR"), "lancamento 3");
}

TEST_F(FixtureTest, MemosIncludingARewrittenOne) {
  loadFixtures(*env, {"HELPATXT.dbf", "HELPATXT.dbt"});
  auto t = openTable(*env, "HELPATXT.dbf", OpenMode::kShared);
  ASSERT_TRUE(t);
  ASSERT_EQ(t->recordCount(), 25u);
  std::string unit(std::string("ajuda ") + std::string("ção "_cp));
  for (uint32_t r = 1; r <= 25; ++r) {
    ASSERT_TRUE(t->goTo(r).ok());
    std::string want;
    if (r == 3)
      for (int i = 0; i < 200; ++i) want += "texto maior ";
    else
      for (uint32_t i = 0; i < 7 * r; ++i) want += unit;
    auto v = t->get("TEXTO");
    ASSERT_TRUE(v.ok()) << v.status();
    EXPECT_EQ(v->text(), want) << "record " << r;
  }
}

TEST_F(FixtureTest, MissingEndMarkIsAcceptedAndAppendsGoAfterTheLastRecord) {
  loadFixtures(*env, {"CONFIG.dbf"});
  std::string before = readFile(*env, "CONFIG.dbf");
  ASSERT_NE(before.back(), '\x1A');
  auto t = openTable(*env, "CONFIG.dbf", OpenMode::kShared);
  ASSERT_TRUE(t);
  EXPECT_EQ(t->recordCount(), 32u);
  ASSERT_TRUE(t->goBottom().ok());
  EXPECT_EQ(t->recno(), 32u);
  ASSERT_TRUE(t->appendBlank().ok());
  ASSERT_TRUE(t->put("NRO_TERM", Value("99")).ok());
  ASSERT_TRUE(t->close().ok());
  std::string after = readFile(*env, "CONFIG.dbf");
  ASSERT_EQ(after.size(), before.size() + 43 + 1);
  EXPECT_EQ(after.substr(0, 1), before.substr(0, 1));
  EXPECT_EQ(after.substr(8, 90), before.substr(8, 90));           // layout untouched
  EXPECT_EQ(after.substr(98, 32 * 43), before.substr(98, 32 * 43));  // records untouched
  EXPECT_EQ(after.substr(before.size(), 3), " 99");
  EXPECT_EQ(after.back(), '\x1A');
  auto again = openTable(*env, "CONFIG.dbf");
  ASSERT_TRUE(again);
  EXPECT_EQ(again->recordCount(), 33u);
}

TEST_F(FixtureTest, EmptyTableIsAtBothEnds) {
  loadFixtures(*env, {"EMPTY.dbf", "EMPTY.ntx"});
  auto t = openTable(*env, "EMPTY.dbf", OpenMode::kShared);
  ASSERT_TRUE(t);
  EXPECT_EQ(t->recordCount(), 0u);
  EXPECT_TRUE(t->eof());
  EXPECT_TRUE(t->bof());
  EXPECT_EQ(t->recno(), 1u);
  ASSERT_TRUE(t->attachIndex("EMPTY.ntx").ok());
  ASSERT_TRUE(t->seek("1", true).ok());
  EXPECT_TRUE(t->eof());
  EXPECT_FALSE(t->found());
}

// Every fixture index visits the records in the order the other engine did.
TEST_F(FixtureTest, IndexesWalkInTheOtherEnginesOrder) {
  struct Case {
    const char* dbf;
    const char* ntx;
    const char* order;
  } cases[] = {
      {"ZEL909.dbf", "ZEL909.ntx", "ZEL909.order"},   {"ZEL909.dbf", "ZEL909B.ntx", "ZEL909B.order"},
      {"ZEL909.dbf", "ZEL909C.ntx", "ZEL909C.order"}, {"ZEL909.dbf", "ZEL909D.ntx", "ZEL909D.order"},
      {"ZEL509.dbf", "ZEL509.ntx", "ZEL509.order"},   {"ZEL509.dbf", "ZEL509B.ntx", "ZEL509B.order"},
      {"ZEL509.dbf", "ZEL509C.ntx", "ZEL509C.order"}, {"ZEL309.dbf", "ZEL309.ntx", "ZEL309.order"},
      {"ZEL309.dbf", "ZEL309N.ntx", "ZEL309N.order"}, {"STATUS.dbf", "STATUS.ntx", "STATUS.order"},
      {"CONFIG.dbf", "CONFIG.ntx", "CONFIG.order"},   {"HELPATXT.dbf", "HELPATXT.ntx", "HELPATXT.order"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.ntx);
    auto e = makeMemEnv();
    loadFixtures(*e, {c.dbf, c.ntx});
    if (std::string(c.dbf) == "HELPATXT.dbf") loadFixtures(*e, {"HELPATXT.dbt"});
    auto t = openTable(*e, c.dbf, OpenMode::kShared);
    ASSERT_TRUE(t);
    Status s = t->attachIndex(c.ntx);
    ASSERT_TRUE(s.ok()) << s;
    EXPECT_EQ(walk(*t), orderFile(c.order));
    // And backwards from the bottom.
    std::vector<uint32_t> back;
    ASSERT_TRUE(t->goBottom().ok());
    while (!t->bof() && !t->eof()) {
      back.insert(back.begin(), t->recno());
      ASSERT_TRUE(t->skip(-1).ok());
    }
    EXPECT_EQ(back, orderFile(c.order));
  }
}

TEST_F(FixtureTest, DeletedRecordsHiddenByTheSetting) {
  loadFixtures(*env, {"ZEL909.dbf", "ZEL909.ntx"});
  auto t = openTable(*env, "ZEL909.dbf", OpenMode::kShared);
  ASSERT_TRUE(t);
  ASSERT_TRUE(t->attachIndex("ZEL909.ntx").ok());
  std::vector<uint32_t> live;
  for (uint32_t r : orderFile("ZEL909.order")) {
    ASSERT_TRUE(t->goTo(r).ok());
    if (!t->deleted()) live.push_back(r);
  }
  EXPECT_EQ(live.size(), 700u - 63u);
  HideDeletedGuard hide(true);
  EXPECT_EQ(walk(*t), live);
}

TEST_F(FixtureTest, SeekOnTheOtherEnginesIndexes) {
  loadFixtures(*env, {"ZEL909.dbf", "ZEL909.ntx", "ZEL909C.ntx"});
  auto t = openTable(*env, "ZEL909.dbf", OpenMode::kShared);
  ASSERT_TRUE(t);
  ASSERT_TRUE(t->attachIndex("ZEL909.ntx").ok());
  ASSERT_TRUE(t->attachIndex("ZEL909C.ntx").ok());
  EXPECT_EQ(t->order(), 1);
  ASSERT_TRUE(t->seek("00015734509").ok());
  EXPECT_TRUE(t->found());
  EXPECT_EQ(t->recno(), 1u);
  ASSERT_TRUE(t->seek("0001573").ok());  // a shorter key finds the first that starts with it
  EXPECT_TRUE(t->found());
  EXPECT_EQ(t->text("CPF").substr(0, 7), "0001573");
  ASSERT_TRUE(t->setOrder(2).ok());
  ASSERT_TRUE(t->seekValue(Value(12)).ok());
  EXPECT_TRUE(t->found());
  EXPECT_EQ(t->number("ESTATUS"), 12);
}

}  // namespace
}  // namespace zel::db::test
