// The delivered reference data: rows complete, codes unique and well formed,
// texts encodable in code page 850 and within the widths the screens show.
#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "platform/sys/cp850.h"

namespace zel {
namespace {

std::vector<std::string> splitCsv(const std::string& line) {
  std::vector<std::string> out(1);
  bool quoted = false;
  for (size_t i = 0; i < line.size(); ++i) {
    char c = line[i];
    if (quoted) {
      if (c == '"' && i + 1 < line.size() && line[i + 1] == '"') {
        out.back() += '"';
        ++i;
      } else if (c == '"') {
        quoted = false;
      } else {
        out.back() += c;
      }
    } else if (c == '"') {
      quoted = true;
    } else if (c == ',') {
      out.emplace_back();
    } else {
      out.back() += c;
    }
  }
  return out;
}

struct Table {
  std::vector<std::string> header;
  std::vector<std::vector<std::string>> rows;
};

Table readCsv(const std::string& name) {
  std::ifstream in(std::string(ZEL_SOURCE_DIR) + "/data/" + name);
  EXPECT_TRUE(in) << name;
  Table t;
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) continue;
    if (t.header.empty()) t.header = splitCsv(line);
    else t.rows.push_back(splitCsv(line));
  }
  return t;
}

bool allDigits(const std::string& s) {
  return !s.empty() && s.find_first_not_of("0123456789") == std::string::npos;
}

TEST(ReferenceData, EveryTableIsCompleteAndFitsItsFields) {
  struct Layout {
    const char* file;
    const char* codeField;
    const char* textField;
    size_t codeWidth;
    size_t textWidth;
    size_t minRows;
  };
  const Layout layouts[] = {
      {"tabpais.csv", "CODPAIS", "NOMPAIS", 3, 40, 200},
      {"codabens.csv", "CODBEM", "DESCBENS", 2, 45, 10},
      {"status.csv", "COD", "DESCRICAO", 2, 13, 5},
  };
  for (const auto& s : layouts) {
    SCOPED_TRACE(s.file);
    Table t = readCsv(s.file);
    ASSERT_EQ(t.header, (std::vector<std::string>{s.codeField, s.textField}));
    EXPECT_GE(t.rows.size(), s.minRows);
    std::set<std::string> codes;
    for (const auto& row : t.rows) {
      ASSERT_EQ(row.size(), 2u) << row[0];
      const std::string& code = row[0];
      EXPECT_TRUE(allDigits(code) && code.size() == s.codeWidth) << "code " << code;
      EXPECT_TRUE(codes.insert(code).second) << "duplicate code " << code;
      bool lossless = false;
      std::string text = utf8ToCp850(row[1], &lossless);
      EXPECT_TRUE(lossless) << row[1];
      EXPECT_FALSE(text.empty()) << code;
      EXPECT_LE(text.size(), s.textWidth) << row[1];
    }
  }
}

}  // namespace
}  // namespace zel
