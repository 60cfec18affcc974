// Helpers of the index tests: fixture files copied into an in-memory Env and
// a minimal reader of their DBF records (independent of the table engine).
#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "db/db_test_util.h"
#include "platform/db/env.h"
#include "platform/db/key_expr.h"
#include "platform/db/ntx.h"
#include "platform/db/ntx_page.h"

namespace zel::db::testing {

// File helpers shared with the table tests.
using test::fixture;
using test::readFile;
using test::slurp;
using test::writeFile;

// The records of a DBF file, enough to evaluate keys over them.
class DbfRecords : public RecordView {
 public:
  explicit DbfRecords(const std::string& bytes) : bytes_(bytes) {
    count_ = getLE32(bytes_.data() + 4);
    headerLen_ = getLE16(bytes_.data() + 8);
    recordLen_ = getLE16(bytes_.data() + 10);
    size_t at = 1;
    for (size_t p = 32; bytes_[p] != 0x0D; p += 32) {
      FieldDef f;
      f.name = std::string(bytes_.data() + p, strnlen(bytes_.data() + p, 11));
      f.type = bytes_[p + 11];
      f.width = static_cast<unsigned char>(bytes_[p + 16]);
      f.decimals = static_cast<unsigned char>(bytes_[p + 17]);
      if (f.type == 'C') f.width += 256 * f.decimals, f.decimals = 0;
      fields_.push_back(f);
      offsets_.push_back(at);
      at += static_cast<size_t>(f.width);
    }
  }
  uint32_t count() const { return count_; }
  void go(uint32_t recno) { rec_ = headerLen_ + size_t{recordLen_} * (recno - 1); }
  const std::vector<FieldDef>& fields() const override { return fields_; }
  std::string_view raw(int i) const override {
    return std::string_view(bytes_).substr(rec_ + offsets_[static_cast<size_t>(i)],
                                           static_cast<size_t>(fields_[static_cast<size_t>(i)].width));
  }

 private:
  std::string bytes_;
  std::vector<FieldDef> fields_;
  std::vector<size_t> offsets_;
  uint32_t count_ = 0;
  size_t headerLen_ = 0, recordLen_ = 0, rec_ = 0;
};

inline std::vector<NtxEntry> walkAll(NtxIndex& ix) {
  std::vector<NtxEntry> out;
  Status s = ix.walk([&](const NtxEntry& e) {
    out.push_back(e);
    return true;
  });
  EXPECT_TRUE(s.ok()) << s;
  return out;
}

}  // namespace zel::db::testing
