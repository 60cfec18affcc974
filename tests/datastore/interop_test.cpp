// The tables a first start creates, read by an independent DBF reader.
#include <gtest/gtest.h>
#include <stdio.h>

#include <sstream>

#include "data_fixture.h"

namespace zel::data {
namespace {

using Interop = DataDirs;

TEST_F(Interop, AnotherReaderSeesTheCatalogueLayouts) {
  if (!there("/usr/bin/python3")) GTEST_SKIP() << "no /usr/bin/python3";
  ASSERT_TRUE(ABERTURA(0));
  ASSERT_TRUE(ABERTURA(9));
  for (int n : {1, 2, 3, 4, 5, 6, 41, 42, 43, 56, 57}) ASSERT_TRUE(ABERTURA(n)) << n;
  closeAllAreas();

  struct Made {
    int number;
    std::string path;
  };
  std::vector<Made> made;
  for (int n : {1, 2, 3, 4, 5, 6, 9})
    made.push_back({n, dados(std::string(findTable(n)->file) + ".DBF")});
  for (int n : {22, 23, 26, 36, 41, 42, 43, 56, 57})
    made.push_back({n, prog(findTable(n)->fileName("00") + ".DBF")});

  std::string cmd = "/usr/bin/python3 " ZEL_SOURCE_DIR "/tests/datastore/schema_peer.py";
  for (const auto& m : made) cmd += " " + m.path;
  cmd += " 2>&1";
  FILE* p = ::popen(cmd.c_str(), "r");
  ASSERT_NE(p, nullptr);
  std::string out;
  char buf[4096];
  while (size_t n = ::fread(buf, 1, sizeof buf, p)) out.append(buf, n);
  ASSERT_EQ(::pclose(p), 0) << out;

  // Expected lines from the catalogue; the rows: one in DEFINE and in each
  // directory list, none elsewhere.
  std::string expected;
  for (const auto& m : made) {
    const TableDef& t = *findTable(m.number);
    std::string file = m.path.substr(m.path.find_last_of('/') + 1);
    for (const auto& f : t.fields)
      expected += file + " " + f.name + " " + f.type + " " + std::to_string(f.width) + " " +
                  std::to_string(f.decimals) + "\n";
    int rows = m.number == 43 || m.number == 26 || m.number == 36 ? 1 : 0;
    expected += file + " ROWS " + std::to_string(rows) + "\n";
  }
  EXPECT_EQ(out, expected);
}

}  // namespace
}  // namespace zel::data
