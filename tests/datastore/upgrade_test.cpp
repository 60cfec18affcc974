#include <gtest/gtest.h>

#include <filesystem>

#include "data/areas.h"
#include "data_fixture.h"
#include "platform/db/fault_env.h"
#include "platform/sys/cp850.h"

namespace zel::data {
namespace {

namespace fs = std::filesystem;

// The assets layout before I8_4 was added.
std::vector<db::FieldDef> oldAssetFields() {
  auto f = findTable(3)->fields;
  f.erase(f.begin() + findTable(3)->fieldIndex("I8_4"));
  return f;
}

struct Asset {
  const char* cpf;
  const char* activity;
  int order;
  std::string description;
  double value;
};

class Upgrade : public DataDirs {
 protected:
  void SetUp() override {
    DataDirs::SetUp();
    assets = {
        {"11111111111", " ", -5, std::string("Trator adquirido em 03/2008 à vista, sem financiamento "_cp) +
                                     std::string(250, 'x'), 85000.5},
        {"11111111111", "X", 2, "apagado", 1.25},
        {"22222222222", " ", 9999, std::string(512, 'z'), -12.5},
    };
    std::vector<std::vector<std::pair<std::string, Value>>> rows;
    for (const auto& a : assets)
      rows.push_back({{"CPF", Value(a.cpf)},
                      {"ATV_EXTER", Value(a.activity)},
                      {"I8_0", Value(a.order)},
                      {"I8_1", Value(a.description)},
                      {"I8_2", Value(a.value)}});
    makeTable(dados("ZEL309.DBF"), oldAssetFields(), rows, {1});
    // Its index exists, so opening it does not pack.
    auto t = db::Table::open(db::posixEnv(), dados("ZEL309.DBF"), db::OpenMode::kExclusive);
    ASSERT_TRUE(t.ok());
    ASSERT_TRUE((*t)->createIndex(dados("ZEL309.NTX"), "CPF+ATV_EXTER").ok());
    ASSERT_TRUE((*t)->close().ok());
    oldTable = bytes(dados("ZEL309.DBF"));
    oldIndex = bytes(dados("ZEL309.NTX"));
  }

  // Every asset is there with its values and deletion mark.
  // `upgraded` empty: either layout will do.
  void expectAssetsKept(std::optional<bool> upgradedWanted) {
    auto t = openHost(dados("ZEL309.DBF"));
    ASSERT_NE(t, nullptr);
    const bool upgraded = t->fieldIndex("I8_4") >= 0;
    if (upgradedWanted) {
      EXPECT_EQ(upgraded, *upgradedWanted);
    }
    ASSERT_EQ(t->recordCount(), assets.size());
    for (size_t i = 0; i < assets.size(); ++i) {
      SCOPED_TRACE(i);
      ASSERT_TRUE(t->goTo(static_cast<uint32_t>(i + 1)).ok());
      EXPECT_EQ(t->text("CPF"), assets[i].cpf);
      EXPECT_EQ(t->get("ATV_EXTER")->text(), assets[i].activity);
      EXPECT_DOUBLE_EQ(t->number("I8_0"), assets[i].order);
      EXPECT_EQ(t->get("I8_1")->text(), assets[i].description +
                                            std::string(512 - assets[i].description.size(), ' '));
      EXPECT_DOUBLE_EQ(t->number("I8_2"), assets[i].value);
      EXPECT_EQ(t->deleted(), i == 1);
      if (upgraded) {
        EXPECT_EQ(t->raw(t->fieldIndex("I8_4")), " ");
      }
    }
  }

  std::vector<Asset> assets;
  std::string oldTable, oldIndex;
};

TEST_F(Upgrade, OldAssetsTableGetsTheNewFieldAndKeepsEveryRecord) {
  CORRECAO();
  expectAssetsKept(true);
  EXPECT_FALSE(there(dados("ACERTO.DBF")));
  EXPECT_EQ(areaTable("3"), nullptr);
  EXPECT_EQ(ui.log.back(), "clear-message");
  EXPECT_TRUE(ui.lines("progress: ").empty()) << "the upgrade shows no progress texts";

  // The index still finds the rows.
  ASSERT_TRUE(ABERTURA(3));
  ASSERT_TRUE(areaTable("3")->seek(std::string_view("22222222222 ")).ok());
  EXPECT_TRUE(areaTable("3")->found());
  EXPECT_DOUBLE_EQ(areaTable("3")->number("I8_2"), -12.5);
  closeAllAreas();

  // A second run leaves the table as it is.
  const std::string after = bytes(dados("ZEL309.DBF"));
  CORRECAO();
  EXPECT_EQ(bytes(dados("ZEL309.DBF")), after);
}

TEST_F(Upgrade, StartingUpRunsIt) {
  ASSERT_TRUE(ABERTURA(0));
  expectAssetsKept(true);
}

// An I/O failure at any step of the upgrade, once or from then on, leaves
// the assets whole, in the old layout or the new one.
TEST_F(Upgrade, AFailureAtAnyStepLosesNothing) {
  db::FaultEnv fault(db::posixEnv());
  dataState().env = &fault;
  CORRECAO();
  expectAssetsKept(true);
  const long calls = fault.calls();
  ASSERT_GT(calls, 5);
  int upgradedRuns = 0;
  for (bool persistent : {true, false}) {
    for (long n = 1; n <= calls; ++n) {
      SCOPED_TRACE(testing::Message() << "call " << n << (persistent ? " on" : " once"));
      closeAllAreas();
      for (const auto& p : fs::directory_iterator(root + "/dados")) fs::remove(p.path());
      std::ofstream(dados("ZEL309.DBF"), std::ios::binary) << oldTable;
      std::ofstream(dados("ZEL309.NTX"), std::ios::binary) << oldIndex;
      fault.resetCount();
      fault.failAt(n, db::Fault::kIOError, persistent);
      CORRECAO();
      fault.clear();
      expectAssetsKept(std::nullopt);
      if (HasFatalFailure()) return;
      auto t = openHost(dados("ZEL309.DBF"));
      if (t && t->fieldIndex("I8_4") >= 0) ++upgradedRuns;
    }
  }
  // A failed rename falls back to a copy beside the table, so some runs
  // with one failure still end upgraded.
  EXPECT_GT(upgradedRuns, 0);
}

}  // namespace
}  // namespace zel::data
