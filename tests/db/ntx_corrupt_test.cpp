// Damaged index files: every failure is a Corruption with a message that
// names it, no call crashes or loops, and a rebuild repairs the file.
#include <gtest/gtest.h>

#include <functional>

#include "ntx_test_util.h"

namespace zel::db {
namespace {

constexpr int kWidth = 100;  // 8 keys a page: 300 keys make three levels
constexpr uint32_t kCount = 300;

std::vector<NtxEntry> entries() {
  std::vector<NtxEntry> out;
  for (uint32_t i = 0; i < kCount; ++i) {
    std::string k = std::to_string(100000 + i);
    k.resize(kWidth, ' ');
    out.push_back({k, i + 1});
  }
  return out;
}

KeyExpr keyExpr() {
  auto e = KeyExpr::parse("K", {{"K", 'C', kWidth, 0}});
  EXPECT_TRUE(e.ok());
  return *e;
}

std::string validFile() {
  auto env = makeMemEnv();
  auto ix = NtxIndex::create(*env, "v.ntx", keyExpr(), false);
  EXPECT_TRUE(ix.ok());
  EXPECT_TRUE((*ix)->build(entries()).ok());
  return testing::readFile(*env, "v.ntx");
}

// Offsets of pages in the valid file, found through its own bytes.
struct Layout {
  std::string bytes;
  NtxHeader h;
  uint32_t root() const { return h.root; }
  NtxPage pageAt(uint32_t off) const {
    auto p = decodeNtxPage(std::string_view(bytes).substr(off, kNtxPageSize), h, off, bytes.size());
    EXPECT_TRUE(p.ok());
    return *p;
  }
  uint32_t branch() const { return pageAt(root()).child(0); }  // a page of the middle level
  uint32_t leaf() const { return pageAt(branch()).child(0); }
  // Byte offset of slot i's item in the page at `off`.
  uint32_t item(uint32_t off, int i) const { return off + getLE16(bytes.data() + off + 2 + 2 * i); }
};

Layout layoutOf(std::string bytes) {
  Layout l{std::move(bytes), {}};
  auto h = decodeNtxHeader(l.bytes, l.bytes.size());
  EXPECT_TRUE(h.ok());
  l.h = *h;
  return l;
}

enum class Stage { kOpen, kCheck, kUse };  // where the damage is reported

struct Case {
  const char* name;
  std::function<void(Layout&)> damage;
  Stage stage;
  const char* message;  // part of the Corruption text
  uint32_t lastRec = 0;
};

void put32(std::string& b, uint32_t at, uint32_t v) { putLE32(b.data() + at, v); }
void put16(std::string& b, uint32_t at, uint16_t v) { putLE16(b.data() + at, v); }

const Case kCases[] = {
    {"bad signature", [](Layout& l) { put16(l.bytes, 0, 0x0107); }, Stage::kOpen, "signature"},
    {"root beyond the end", [](Layout& l) { put32(l.bytes, 4, static_cast<uint32_t>(l.bytes.size())); },
     Stage::kOpen, "root page offset"},
    {"root not on a page", [](Layout& l) { put32(l.bytes, 4, l.root() + 10); }, Stage::kOpen, "root page offset"},
    {"item size against key size", [](Layout& l) { put16(l.bytes, 12, kWidth + 9); }, Stage::kOpen, "item size"},
    {"page capacity too large", [](Layout& l) { put16(l.bytes, 18, 20); }, Stage::kOpen, "max items"},
    {"key text without end", [](Layout& l) { std::fill_n(l.bytes.begin() + 22, 256, 'K'); }, Stage::kOpen,
     "key expression"},
    {"file of one page", [](Layout& l) { l.bytes.resize(kNtxPageSize); }, Stage::kOpen, "shorter"},
    {"free page beyond the end", [](Layout& l) { put32(l.bytes, 8, 1u << 30); }, Stage::kOpen, "free page offset"},
    {"count above the maximum", [](Layout& l) { put16(l.bytes, l.root(), 9); }, Stage::kUse, "more than 8"},
    {"slot outside the page", [](Layout& l) { put16(l.bytes, l.branch() + 2, 1020); }, Stage::kUse,
     "lies outside the page"},
    {"child beyond the end", [](Layout& l) { put32(l.bytes, l.item(l.root(), 1), 1u << 24); }, Stage::kUse,
     "child page offset"},
    {"child not on a page", [](Layout& l) { put32(l.bytes, l.item(l.root(), 0), l.branch() + 1); },
     Stage::kUse, "child page offset"},
    {"leaf and branch items mixed", [](Layout& l) { put32(l.bytes, l.item(l.root(), 1), 0); }, Stage::kUse,
     "mixes leaf and branch"},
    {"child loops back to the root", [](Layout& l) { put32(l.bytes, l.item(l.branch(), 0), l.root()); },
     Stage::kUse, "reached twice"},
    {"page reached twice", [](Layout& l) { put32(l.bytes, l.item(l.root(), 1), l.branch()); }, Stage::kCheck,
     "reached twice"},
    {"leaves at two depths", [](Layout& l) { put32(l.bytes, l.item(l.root(), 0), l.leaf()); }, Stage::kCheck,
     "leaves at depths"},
    {"keys out of order",
     [](Layout& l) {
       uint32_t a = l.item(l.leaf(), 0) + 8, b = l.item(l.leaf(), 1) + 8;
       std::swap_ranges(l.bytes.begin() + a, l.bytes.begin() + a + kWidth, l.bytes.begin() + b);
     },
     Stage::kCheck, "out of order"},
    {"record number zero", [](Layout& l) { put32(l.bytes, l.item(l.leaf(), 2) + 4, 0); }, Stage::kCheck,
     "record number 0"},
    {"record beyond the table", [](Layout&) {}, Stage::kCheck, "record number 300", kCount - 1},
    {"free chain into the tree", [](Layout& l) { put32(l.bytes, 8, l.leaf()); }, Stage::kCheck,
     "free page"},
    {"free page chained to itself",
     [](Layout& l) {
       uint32_t off = static_cast<uint32_t>(l.bytes.size());
       l.bytes += encodeNtxFreePage(off, l.h);
       put32(l.bytes, 8, off);
     },
     Stage::kCheck, "chained twice"},
};

TEST(NtxCorrupt, DamageIsReportedNeverCrashesAndRebuildRepairs) {
  const std::string valid = validFile();
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    Layout l = layoutOf(valid);
    c.damage(l);
    auto env = makeMemEnv();
    testing::writeFile(*env, "c.ntx", l.bytes);
    auto ix = NtxIndex::open(*env, "c.ntx");
    if (c.stage == Stage::kOpen) {
      ASSERT_FALSE(ix.ok());
      EXPECT_TRUE(ix.status().isCorruption()) << ix.status();
      EXPECT_NE(ix.status().message().find(c.message), std::string::npos) << ix.status();
      continue;
    }
    ASSERT_TRUE(ix.ok()) << ix.status();
    NtxIndex& x = **ix;
    auto st = x.check(c.lastRec);
    ASSERT_FALSE(st.ok());
    EXPECT_TRUE(st.status().isCorruption()) << st.status();
    EXPECT_NE(st.status().message().find(c.message), std::string::npos) << st.status();

    // Every other call ends, with a result or a Corruption.
    auto sane = [](const Status& s) { return s.ok() || s.isCorruption() || s.isNotFound(); };
    size_t seen = 0;
    Status w = x.walk([&](const NtxEntry&) { return ++seen < 100000; });
    EXPECT_TRUE(sane(w)) << w;
    EXPECT_LT(seen, 100000u);
    if (c.stage == Stage::kUse) {
      EXPECT_TRUE(w.isCorruption()) << w;
    }
    auto f = x.first();
    EXPECT_TRUE(sane(f.status()));
    if (f.ok() && f->has_value()) {
      EXPECT_TRUE(sane(x.next(**f).status()));
    }
    EXPECT_TRUE(sane(x.last().status()));
    EXPECT_TRUE(sane(x.seek(entries()[150].key, true).status()));
    EXPECT_TRUE(sane(x.remove(entries()[20].key, 21)));
    for (uint32_t i = 0; i < 40; ++i) EXPECT_TRUE(sane(x.insert(entries()[i].key, 1000 + i)));

    // Rebuilding from the table's records repairs the file.
    ASSERT_TRUE(x.build(entries()).ok());
    auto fixed = x.check(kCount);
    ASSERT_TRUE(fixed.ok()) << fixed.status();
    EXPECT_EQ(fixed->keys, kCount);
  }
}

TEST(NtxCorrupt, KeySizeMustMatchTheExpression) {
  auto env = makeMemEnv();
  testing::writeFile(*env, "m.ntx", validFile());
  auto ix = NtxIndex::open(*env, "m.ntx");
  ASSERT_TRUE(ix.ok());
  EXPECT_TRUE((*ix)->matches(keyExpr()).ok());
  auto other = KeyExpr::parse("K", {{"K", 'C', kWidth - 1, 0}});
  ASSERT_TRUE(other.ok());
  EXPECT_TRUE((*ix)->matches(*other).isCorruption());
  auto numeric = KeyExpr::parse("K", {{"K", 'N', kWidth > 19 ? 19 : kWidth, 2}});
  ASSERT_TRUE(numeric.ok());
  EXPECT_TRUE((*ix)->matches(*numeric).isCorruption());
}

TEST(NtxCorrupt, DescendingIndexesAreRefusedNotMisread) {
  Layout l = layoutOf(validFile());
  l.bytes[280] = 1;
  auto env = makeMemEnv();
  testing::writeFile(*env, "d.ntx", l.bytes);
  auto ix = NtxIndex::open(*env, "d.ntx");
  ASSERT_FALSE(ix.ok());
  EXPECT_EQ(ix.status().code(), StatusCode::kNotSupported);
}

}  // namespace
}  // namespace zel::db
