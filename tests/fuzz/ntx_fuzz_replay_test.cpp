// The index fuzz entry run by the ordinary test suite: the kept corpus, and
// fixed-seed byte flips over index files written by another engine.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "ntx_fuzz_one.h"
#include "db/db_test_util.h"

namespace zel::db {
namespace {

using test::slurp;

std::string run(const std::string& bytes) {
  return ntxFuzzOne(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

TEST(NtxFuzzReplay, CorpusInputsKeepTheirPromises) {
  const auto dir = std::filesystem::path(ZEL_SOURCE_DIR) / "tests/fuzz/ntx_corpus";
  size_t n = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    EXPECT_EQ(run(slurp(entry.path())), "") << entry.path();
    ++n;
  }
  EXPECT_GT(n, 0u) << "empty corpus in " << dir;
}

TEST(NtxFuzzReplay, ByteFlipsOverFixtureIndexes) {
  const auto dir = std::filesystem::path(ZEL_TEST_DATA) / "xbase";
  for (const char* name : {"ZEL509.ntx", "ZEL909C.ntx", "ZEL309N.ntx", "EMPTY.ntx"}) {
    const std::string valid = slurp(dir / name);
    ASSERT_GE(valid.size(), 2048u) << name;
    EXPECT_EQ(run(valid), "") << name;
    for (uint32_t seed = 1; seed <= 150; ++seed) {
      std::mt19937 rng(seed);
      std::string bytes = valid;
      // Mostly the header and the counts and slot tables at the head of each page.
      const int flips = 1 + static_cast<int>(rng() % 4);
      for (int i = 0; i < flips; ++i) {
        size_t page = rng() % (bytes.size() / 1024);
        size_t at = page * 1024 + (rng() % 2 ? rng() % 64 : rng() % 1024);
        bytes[at] = static_cast<char>(bytes[at] ^ (1u << (rng() % 8)));
      }
      if (seed % 10 == 0) bytes.resize(rng() % bytes.size());  // and some cut short
      EXPECT_EQ(run(bytes), "") << name << " seed " << seed;
    }
  }
}

}  // namespace
}  // namespace zel::db
