// Reorganisation of a data directory: deleted records gone, indexes rebuilt.
#include <gtest/gtest.h>

#include <filesystem>

#include "data/areas.h"
#include "data/catalogue.h"
#include "data/rotirur.h"
#include "maintenance/opcrur.h"
#include "platform/db/ntx.h"
#include "shell_fixture.h"

namespace zel::shell {
namespace {

class Reorg : public ShellTest {
 protected:
  void SetUp() override {
    ShellTest::SetUp();
    std::filesystem::create_directory(root + "/dados");
    data::DataState& ds = data::dataState();
    ds.ARQDEF = "C:\\PROG\\";
    ds.LOCARQ = "C:\\DADOS\\";
    ds.ROTA = "C:\\DADOS";
    db::setHideDeleted(true);
    // Assets of two owners, the first one deleted, and a stale index.
    const std::string assets = root + "/dados/ZEL309.DBF";
    ASSERT_TRUE(db::Table::create(db::posixEnv(), assets, data::findTable(3)->fields).ok());
    auto t = db::Table::open(db::posixEnv(), assets, db::OpenMode::kExclusive);
    ASSERT_TRUE(t.ok());
    for (const char* cpf : {"11111111111", "22222222222"}) {
      ASSERT_TRUE((*t)->appendBlank().ok());
      ASSERT_TRUE((*t)->put("CPF", Value(cpf)).ok());
    }
    ASSERT_TRUE((*t)->goTo(1).ok());
    ASSERT_TRUE((*t)->markDeleted().ok());
    ASSERT_TRUE((*t)->createIndex(root + "/dados/ZEL309.NTX", "ITEM").ok());
  }
};

TEST_F(Reorg, PacksAndRebuildsEveryDataIndexThenClosesAll) {
  ASSERT_TRUE(maintenance::REORG("C:\\DADOS", 3));
  EXPECT_EQ(data::areaTable("9"), nullptr);
  auto t = db::Table::open(db::posixEnv(), root + "/dados/ZEL309.DBF");
  ASSERT_TRUE(t.ok());
  ASSERT_EQ((*t)->recordCount(), 1u);
  ASSERT_TRUE((*t)->goTop().ok());
  EXPECT_EQ((*t)->text("CPF"), "22222222222");
  auto ix = db::NtxIndex::open(db::posixEnv(), root + "/dados/ZEL309.NTX", true);
  ASSERT_TRUE(ix.ok());
  EXPECT_EQ((*ix)->keyText(), "CPF+ATV_EXTER");
  for (const char* f : {"ZEL109.NTX", "ZEL509.NTX", "ZEL909.NTX", "ZEL909B.NTX", "ZEL909C.NTX"})
    EXPECT_TRUE(std::filesystem::exists(root + "/dados/" + f)) << f;
  EXPECT_FALSE(data::dataState().MOS_MENS);
}

TEST_F(Reorg, ModeOneLeavesTheRegisterOpen) {
  ASSERT_TRUE(maintenance::REORG("C:\\DADOS\\", 1));
  db::Table* reg = data::areaTable("9");
  ASSERT_NE(reg, nullptr);
  EXPECT_EQ(reg->indexCount(), 3);
}

TEST_F(Reorg, ModeFourPacksProgramTablesUpToTheFirstMissingOne) {
  // Deleted rows in AUXABENS and AUXCAIXA; CODABENS is delivered; CODDIVI is
  // missing, so CORES after it keeps its index.
  for (int n : {22, 23, 56}) {
    const data::TableDef* def = data::findTable(n);
    const std::string path = prog(std::string(def->file) + ".DBF");
    ASSERT_TRUE(db::Table::create(db::posixEnv(), path, def->fields).ok());
    auto t = db::Table::open(db::posixEnv(), path, db::OpenMode::kExclusive);
    ASSERT_TRUE(t.ok());
    ASSERT_TRUE((*t)->appendBlank().ok());
    ASSERT_TRUE((*t)->markDeleted().ok());
    ASSERT_TRUE((*t)->appendBlank().ok());
    ASSERT_TRUE((*t)->createIndex(prog(std::string(def->file) + ".NTX"),
                                  def->indexes[0].key).ok());
  }
  ASSERT_TRUE(maintenance::REORG("C:\\DADOS", 4));
  for (const char* f : {"AUXABENS", "AUXCAIXA"}) {
    SCOPED_TRACE(f);
    EXPECT_FALSE(std::filesystem::exists(prog(std::string(f) + ".NTX")));
    EXPECT_EQ(open(std::string(f) + ".DBF")->recordCount(), 1u);
  }
  EXPECT_FALSE(std::filesystem::exists(prog("CODABENS.NTX")));
  EXPECT_TRUE(std::filesystem::exists(prog("CORES.NTX")));
  EXPECT_EQ(open("CORES.DBF")->recordCount(), 2u);
  EXPECT_EQ(data::areaTable("9"), nullptr);
}

}  // namespace
}  // namespace zel::shell
