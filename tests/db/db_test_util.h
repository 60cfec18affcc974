// Helpers of the table-engine tests: fixture files, scratch folders, small
// tables built from a field list.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/db/env.h"
#include "platform/db/table.h"

namespace zel::db::test {

inline std::string fixture(const std::string& name) {
  return std::string(ZEL_TEST_DATA) + "/xbase/" + name;
}

inline std::string slurp(const std::string& hostPath) {
  std::ifstream in(hostPath, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

inline void writeFile(Env& env, const std::string& path, std::string_view bytes) {
  OpenOptions o;
  o.create = true;
  o.truncate = true;
  auto f = env.open(path, o);
  ASSERT_TRUE(f.ok()) << f.status();
  ASSERT_TRUE((*f)->write(0, bytes).ok());
}

inline std::string readFile(Env& env, const std::string& path) {
  auto f = env.open(path, OpenOptions{});
  if (!f.ok()) return {};
  auto size = (*f)->size();
  std::string out(size.ok() ? *size : 0, '\0');
  size_t got = 0;
  if (!(*f)->read(0, out.size(), out.data(), &got).ok()) return {};
  out.resize(got);
  return out;
}

// Copies fixture files into an Env under the same names.
inline void loadFixtures(Env& env, std::initializer_list<const char*> names) {
  for (const char* n : names) writeFile(env, n, slurp(fixture(n)));
}

// A fresh host folder, removed with its files at the end of the test.
class ScratchDir {
 public:
  ScratchDir() {
    std::string tmpl = (std::filesystem::temp_directory_path() / "zeldb-XXXXXX").string();
    path_ = mkdtemp(tmpl.data());
  }
  ~ScratchDir() { std::filesystem::remove_all(path_); }
  std::string file(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

inline std::unique_ptr<Table> openTable(Env& env, const std::string& path,
                                        OpenMode mode = OpenMode::kExclusive) {
  auto t = Table::open(env, path, mode);
  EXPECT_TRUE(t.ok()) << t.status();
  return t.ok() ? std::move(t).value() : nullptr;
}

// Record numbers met walking the table from the top to eof.
inline std::vector<uint32_t> walk(Table& t) {
  std::vector<uint32_t> seen;
  EXPECT_TRUE(t.goTop().ok());
  while (!t.eof() && seen.size() < 100000) {
    seen.push_back(t.recno());
    EXPECT_TRUE(t.skip(1).ok());
  }
  return seen;
}

// Resets the global deleted setting around a test.
struct HideDeletedGuard {
  explicit HideDeletedGuard(bool on) { setHideDeleted(on); }
  ~HideDeletedGuard() { setHideDeleted(false); }
};

}  // namespace zel::db::test
