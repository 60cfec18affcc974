// The table fuzz entries run by the ordinary test suite: the kept corpora,
// and fixed-seed byte flips over tables written by another engine.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "dbf_fuzz_one.h"
#include "db/db_test_util.h"

namespace zel::db {
namespace {

using test::slurp;

using Entry = std::string (*)(const uint8_t*, size_t);

std::string run(Entry e, const std::string& bytes) {
  return e(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

TEST(DbfFuzzReplay, CorpusInputsKeepTheirPromises) {
  struct Corpus {
    const char* dir;
    Entry entry;
  } corpora[] = {{"dbf_corpus", dbfFuzzOne}, {"dbt_corpus", dbtFuzzOne}};
  for (const Corpus& c : corpora) {
    const auto dir = std::filesystem::path(ZEL_SOURCE_DIR) / "tests/fuzz" / c.dir;
    size_t n = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
      EXPECT_EQ(run(c.entry, slurp(entry.path())), "") << entry.path();
      ++n;
    }
    EXPECT_GT(n, 0u) << "empty corpus in " << dir;
  }
}

TEST(DbfFuzzReplay, ByteFlipsOverFixtureTables) {
  const auto dir = std::filesystem::path(ZEL_TEST_DATA) / "xbase";
  struct Case {
    const char* file;
    Entry entry;
    size_t hot;  // flips mostly land in the first `hot` bytes
  } cases[] = {{"STATUS.dbf", dbfFuzzOne, 100}, {"ZEL909.dbf", dbfFuzzOne, 230},
               {"ZEL309.dbf", dbfFuzzOne, 170}, {"HELPATXT.dbt", dbtFuzzOne, 2048}};
  for (const Case& c : cases) {
    const std::string valid = slurp(dir / c.file);
    ASSERT_FALSE(valid.empty()) << c.file;
    EXPECT_EQ(run(c.entry, valid), "") << c.file;
    for (uint32_t seed = 1; seed <= 120; ++seed) {
      std::mt19937 rng(seed);
      std::string bytes = valid;
      const int flips = 1 + static_cast<int>(rng() % 4);
      for (int i = 0; i < flips; ++i) {
        size_t at = rng() % 3 ? rng() % std::min(c.hot, bytes.size()) : rng() % bytes.size();
        bytes[at] = static_cast<char>(bytes[at] ^ (1u << (rng() % 8)));
      }
      if (seed % 10 == 0) bytes.resize(rng() % bytes.size());
      EXPECT_EQ(run(c.entry, bytes), "") << c.file << " seed " << seed;
    }
  }
}

}  // namespace
}  // namespace zel::db
