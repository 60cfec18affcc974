// Random operations on an indexed table, checked after each batch against a
// plain model of the rows: every order walked both ways, and seeks.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "db_test_util.h"
#include "platform/db/bulk.h"

namespace zel::db::test {
namespace {

struct Row {
  std::string cpf, nome;
  bool deleted = false;
};

std::string pad(std::string s, size_t w) {
  s.resize(w, ' ');
  return s;
}

std::string upper(std::string s) {
  for (char& c : s)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  return s;
}

// Record numbers of the visible rows in the order of `key` (0: record order).
std::vector<uint32_t> expected(const std::vector<Row>& rows, int key, bool hide) {
  std::vector<std::pair<std::string, uint32_t>> keyed;
  for (uint32_t r = 1; r <= rows.size(); ++r) {
    const Row& row = rows[r - 1];
    if (hide && row.deleted) continue;
    std::string k = key == 1 ? pad(row.cpf, 11) : key == 2 ? upper(pad(row.nome, 8)) : std::string();
    keyed.push_back({k, r});
  }
  std::sort(keyed.begin(), keyed.end());
  std::vector<uint32_t> out;
  for (auto& [k, r] : keyed) out.push_back(r);
  return out;
}

TEST(TableModel, RandomChangesKeepEveryOrderRight) {
  for (uint32_t seed : {1u, 2u, 3u, 4u}) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 rng(seed);
    auto env = makeMemEnv();
    ASSERT_TRUE(Table::create(*env, "M.DBF", {{"CPF", 'C', 11, 0}, {"NOME", 'C', 8, 0}}).ok());
    auto t = openTable(*env, "M.DBF");
    ASSERT_TRUE(t->createIndex("M1.NTX", "CPF").ok());
    ASSERT_TRUE(t->createIndex("M2.NTX", "UPPER(NOME)").ok());
    std::vector<Row> rows;
    auto word = [&](size_t len) {
      std::string s;
      for (size_t i = 0; i < len; ++i) s += "abcAB"[rng() % 5];
      return s;
    };
    for (int batch = 0; batch < 25; ++batch) {
      for (int op = 0; op < 20; ++op) {
        uint32_t pick = rows.empty() ? 0 : 1 + rng() % rows.size();
        switch (rows.empty() ? 0 : rng() % 6) {
          case 0:
          case 1: {
            Row row{std::to_string(rng() % 30), word(1 + rng() % 3)};
            ASSERT_TRUE(t->appendBlank().ok());
            ASSERT_TRUE(t->put("CPF", Value(row.cpf)).ok());
            ASSERT_TRUE(t->put("NOME", Value(row.nome)).ok());
            rows.push_back(row);
            break;
          }
          case 2:
            ASSERT_TRUE(t->goTo(pick).ok());
            rows[pick - 1].cpf = std::to_string(rng() % 30);
            ASSERT_TRUE(t->put("CPF", Value(rows[pick - 1].cpf)).ok());
            break;
          case 3:
            ASSERT_TRUE(t->goTo(pick).ok());
            rows[pick - 1].nome = word(1 + rng() % 3);
            ASSERT_TRUE(t->put("NOME", Value(rows[pick - 1].nome)).ok());
            break;
          case 4:
            ASSERT_TRUE(t->goTo(pick).ok());
            rows[pick - 1].deleted = !rows[pick - 1].deleted;
            ASSERT_TRUE((rows[pick - 1].deleted ? t->markDeleted() : t->recall()).ok());
            break;
          case 5:
            if (rng() % 4 == 0) {
              ASSERT_TRUE(pack(*t).ok());
              std::erase_if(rows, [](const Row& r) { return r.deleted; });
            }
            break;
        }
      }
      bool hide = rng() % 2;
      HideDeletedGuard guard(hide);
      for (int order : {0, 1, 2}) {
        SCOPED_TRACE("order " + std::to_string(order) + (hide ? " hiding deleted" : ""));
        ASSERT_TRUE(t->setOrder(order).ok());
        std::vector<uint32_t> want = expected(rows, order, hide);
        ASSERT_EQ(walk(*t), want);
        std::vector<uint32_t> back;
        ASSERT_TRUE(t->goBottom().ok());
        while (!t->eof() && !t->bof()) {
          back.insert(back.begin(), t->recno());
          ASSERT_TRUE(t->skip(-1).ok());
        }
        ASSERT_EQ(back, want);
      }
      ASSERT_TRUE(t->setOrder(1).ok());
      for (int s = 0; s < 5; ++s) {
        std::string probe = std::to_string(rng() % 35);
        if (rng() % 2) probe = probe.substr(0, 1);
        uint32_t hit = 0, soft = 0;
        for (uint32_t r : expected(rows, 1, hide)) {
          std::string k = pad(rows[r - 1].cpf, 11);
          if (!soft && k.compare(0, probe.size(), probe) >= 0) soft = r;
          if (!hit && k.compare(0, probe.size(), probe) == 0) hit = r;
        }
        ASSERT_TRUE(t->seek(probe).ok());
        EXPECT_EQ(t->found(), hit != 0) << probe;
        EXPECT_EQ(t->eof() ? 0u : t->recno(), hit) << probe;
        ASSERT_TRUE(t->seek(probe, true).ok());
        EXPECT_EQ(t->eof() ? 0u : t->recno(), soft) << probe;
      }
    }
  }
}

}  // namespace
}  // namespace zel::db::test
