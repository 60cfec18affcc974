// Tables written by the engine are read by an independent reader (Debian's
// python3-dbf), and tables written by that reader are read by the engine.
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <sstream>

#include "subprocess.h"
#include "tools/text_io.h"

namespace zel::tools::testing {
namespace {

const std::string kPeer = std::string(ZEL_SOURCE_DIR) + "/tests/tools/dbf_peer.py";

using Row = std::map<std::string, JsonValue>;

std::vector<Row> parseLines(const std::string& text) {
  std::vector<Row> rows;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    auto obj = parseJsonObject(line);
    EXPECT_TRUE(obj.ok()) << obj.status() << "\n" << line;
    if (!obj.ok()) continue;
    Row r;
    for (auto& [k, v] : *obj) r[k] = v;
    r.erase("_recno");
    rows.push_back(std::move(r));
  }
  return rows;
}

// Same value as the two readers write it: numbers by value, a logical the
// other reader leaves unknown (null) reads as false here.
bool sameValue(const JsonValue& ours, const JsonValue& theirs) {
  using K = JsonValue::Kind;
  if (ours.kind == K::kNumber && theirs.kind == K::kNumber)
    return std::strtod(ours.text.c_str(), nullptr) == std::strtod(theirs.text.c_str(), nullptr);
  if (ours.kind == K::kBool && theirs.kind == K::kNull) return !ours.boolean;
  if (ours.kind != theirs.kind) return false;
  if (ours.kind == K::kBool) return ours.boolean == theirs.boolean;
  return ours.text == theirs.text;
}

std::string show(const JsonValue& v) {
  switch (v.kind) {
    case JsonValue::Kind::kNull: return "null";
    case JsonValue::Kind::kBool: return v.boolean ? "true" : "false";
    default: return v.text;
  }
}

void expectSameRows(const std::vector<Row>& ours, const std::vector<Row>& theirs) {
  ASSERT_EQ(ours.size(), theirs.size());
  for (size_t i = 0; i < ours.size(); ++i) {
    EXPECT_EQ(ours[i].size(), theirs[i].size()) << "row " << i;
    for (const auto& [name, v] : ours[i]) {
      auto it = theirs[i].find(name);
      ASSERT_NE(it, theirs[i].end()) << "row " << i << " lacks " << name;
      EXPECT_TRUE(sameValue(v, it->second))
          << "row " << i << ", " << name << ": ours " << show(v).substr(0, 80) << ", theirs "
          << show(it->second).substr(0, 80);
    }
  }
}

TEST(Interop, EngineTablesReadByPythonDbf) {
  TempDir d;
  RunResult c = zeldbf({"create", d / "E.DBF", "NOME:C:30", "VALOR:N:14:2", "QTD:N:5", "DT:D", "OK:L", "OBS:M",
                        "LARGO:C:512"});
  ASSERT_EQ(c.exitCode, 0) << c.err;
  std::string wide(509, 'W');
  std::string rows =
      "{\"NOME\":\"Atenção ação\",\"VALOR\":1234.5,\"QTD\":-7,\"DT\":\"20090131\",\"OK\":true,"
      "\"OBS\":\"primeira linha\\r\\nsegunda linha ç\",\"LARGO\":\"" + wide + "fim\"}\n"
      "{\"NOME\":\"apagado\",\"VALOR\":-0.01,\"QTD\":0,\"DT\":\"\",\"OK\":false,\"OBS\":\"\",\"LARGO\":\"\","
      "\"_deleted\":true}\n"
      "{\"NOME\":\"\\\"aspas\\\", vírgula\",\"VALOR\":99999999999.99,\"QTD\":99999,\"DT\":\"20081201\","
      "\"OBS\":\"" + std::string(1500, 'x') + "\",\"LARGO\":\"curto\"}\n";
  RunResult a = zeldbf({"append", d / "E.DBF", "--json"}, rows);
  ASSERT_EQ(a.exitCode, 0) << a.err;
  RunResult py = run({"/usr/bin/python3", kPeer, "read", d / "E.DBF"});
  ASSERT_EQ(py.exitCode, 0) << py.err;
  RunResult ours = zeldbf({"dump", d / "E.DBF", "--json"});
  ASSERT_EQ(ours.exitCode, 0) << ours.err;
  std::vector<Row> theirs = parseLines(py.out);
  expectSameRows(parseLines(ours.out), theirs);
  ASSERT_EQ(theirs.size(), 3u);
  EXPECT_EQ(theirs[0]["LARGO"].text, wide + "fim");
  EXPECT_EQ(theirs[0]["OBS"].text, "primeira linha\r\nsegunda linha ç");
  EXPECT_EQ(theirs[0]["NOME"].text, "Atenção ação");
  EXPECT_TRUE(theirs[1]["_deleted"].boolean);
  EXPECT_EQ(theirs[2]["OBS"].text, std::string(1500, 'x'));
  EXPECT_EQ(theirs[2]["OK"].kind, JsonValue::Kind::kNull);  // never set: blank
}

TEST(Interop, PythonDbfTablesReadByTheEngine) {
  TempDir d;
  RunResult py = run({"/usr/bin/python3", kPeer, "write", d / "P.DBF"});
  ASSERT_EQ(py.exitCode, 0) << py.err;
  RunResult ours = zeldbf({"dump", d / "P.DBF", "--json"});
  ASSERT_EQ(ours.exitCode, 0) << ours.err;
  expectSameRows(parseLines(ours.out), parseLines(py.out));
  EXPECT_NE(zeldbf({"info", d / "P.DBF"}).out.find("LARGO      C   512"), std::string::npos);
  // The engine indexes it, appends to it, and the other reader still reads it.
  ASSERT_EQ(zeldbf({"index", d / "P.DBF", d / "P.NTX", "UPPER(NOME)"}).exitCode, 0);
  RunResult a = zeldbf({"append", d / "P.DBF", d / "P.NTX", "--json"},
                       "{\"NOME\":\"acrescentado\",\"VALOR\":5,\"OBS\":\"memo novo\",\"LARGO\":\"l\"}\n");
  ASSERT_EQ(a.exitCode, 0) << a.err;
  RunResult check = zeldbf({"check", d / "P.DBF", d / "P.NTX"});
  EXPECT_EQ(check.exitCode, 0) << check.out << check.err;
  RunResult again = run({"/usr/bin/python3", kPeer, "read", d / "P.DBF"});
  ASSERT_EQ(again.exitCode, 0) << again.err;
  std::vector<Row> rows = parseLines(again.out);
  ASSERT_EQ(rows.size(), 4u);
  EXPECT_EQ(rows[3]["NOME"].text, "acrescentado");
  EXPECT_EQ(rows[3]["OBS"].text, "memo novo");
  EXPECT_EQ(rows[3]["VALOR"].text, "5.0");
}

}  // namespace
}  // namespace zel::tools::testing
