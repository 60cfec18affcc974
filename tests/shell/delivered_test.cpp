// The delivered reference tables: made from the data folder, each opening
// with its index and holding every row of its text file.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "data/catalogue.h"
#include "platform/db/table.h"
#include "platform/sys/cp850.h"
#include "shell/zel2009.h"

namespace zel::shell {
namespace {

namespace fs = std::filesystem;

class Delivered : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/zel_init_XXXXXX";
    ASSERT_NE(::mkdtemp(tmpl), nullptr);
    root = tmpl;
  }
  void TearDown() override { fs::remove_all(root); }

  static std::string dataDir() { return std::string(ZEL_SOURCE_DIR) + "/data"; }
  static int csvRows(const std::string& name) {
    std::ifstream in(dataDir() + "/" + name);
    int n = -1;  // the header
    for (std::string line; std::getline(in, line);)
      if (!line.empty()) ++n;
    return n;
  }
  std::string root;
};

TEST_F(Delivered, EveryTableOpensAndHoldsItsRows) {
  const std::string dir = root + "/new/prog";  // made level by level
  std::string log;
  ASSERT_TRUE(initProgramDirectory(dir, dataDir(), &log)) << log;

  struct Expect {
    const char* file;
    const char* csv;
    Value key;  // a key that must be found through the index
    const char* field;
    std::string text;
  } expect[] = {
      {"CODABENS", "codabens.csv", Value(1), "DESCBENS", "Terra nua"},
      {"TABPAIS", "tabpais.csv", Value("008"), "NOMPAIS", "Abu Dhabi"},
      {"STATUS", "status.csv", Value(2), "DESCRICAO", std::string("Em digitação"_cp)},
  };
  for (const Expect& e : expect) {
    SCOPED_TRACE(e.file);
    auto t = db::Table::open(db::posixEnv(), dir + "/" + e.file + ".DBF");
    ASSERT_TRUE(t.ok()) << t.status();
    EXPECT_EQ(static_cast<int>((*t)->recordCount()), csvRows(e.csv));
    ASSERT_TRUE((*t)->attachIndex(dir + "/" + e.file + ".NTX").ok());
    ASSERT_TRUE((*t)->seekValue(e.key).ok());
    ASSERT_TRUE((*t)->found());
    EXPECT_EQ((*t)->text(e.field), e.text);
  }
}

TEST_F(Delivered, TablesThatExistAreKept) {
  std::string log;
  ASSERT_TRUE(initProgramDirectory(root, dataDir(), &log)) << log;
  {
    auto t = db::Table::open(db::posixEnv(), root + "/STATUS.DBF", db::OpenMode::kExclusive);
    ASSERT_TRUE(t.ok());
    ASSERT_TRUE((*t)->goTop().ok());
    ASSERT_TRUE((*t)->put("DESCRICAO", Value("Do escritorio")).ok());
  }
  ASSERT_TRUE(initProgramDirectory(root, dataDir(), &log)) << log;
  auto t = db::Table::open(db::posixEnv(), root + "/STATUS.DBF");
  ASSERT_TRUE(t.ok());
  ASSERT_TRUE((*t)->goTop().ok());
  EXPECT_EQ((*t)->text("DESCRICAO"), "Do escritorio");
}

TEST_F(Delivered, MissingDataFolderFailsWithoutLeavingHalfTables) {
  std::string log;
  EXPECT_FALSE(initProgramDirectory(root, root + "/nothing-here", &log));
  EXPECT_NE(log.find("CODABENS"), std::string::npos);
  EXPECT_FALSE(fs::exists(root + "/CODABENS.DBF"));
}

}  // namespace
}  // namespace zel::shell
