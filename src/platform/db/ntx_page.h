// Byte layout of NTX index files: the header page and the B-tree pages.
//
// Every page is 1024 bytes. The header page sits at offset 0:
//
//   0  u16 signature (6; 3 in older files; high bits may carry flags)
//   2  u16 version, counted up on every header write
//   4  u32 offset of the root page      8  u32 first free page (0 = none)
//  12  u16 item size = key size + 8    14  u16 key size
//  16  u16 key decimals                18  u16 max items per page
//  20  u16 half page                   22  key expression, NUL terminated
// 278  u8  unique                     280  u8 descending    282 FOR condition
//
// A B-tree page holds n keys: u16 n, then u16 offsets (within the page) of
// item slots 0..max, then the items. An item is u32 child page offset (0 in
// leaves), u32 record number, key bytes. Slot n carries only the right-most
// child; its record number and key are stale. Free pages are chained through
// the child of their slot 0. All integers are little endian.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "platform/sys/status.h"

namespace zel::db {

inline constexpr uint32_t kNtxPageSize = 1024;
inline constexpr size_t kNtxKeyTextSize = 256;

struct NtxHeader {
  uint16_t signature = 6;
  uint16_t version = 1;
  uint32_t root = 0;
  uint32_t freePage = 0;
  uint16_t keySize = 0;
  uint16_t keyDecimals = 0;
  uint16_t maxItems = 0;
  uint16_t halfPage = 0;
  std::string keyText;
  bool unique = false;
  bool descending = false;
  std::string forCondition;

  uint16_t itemSize() const { return static_cast<uint16_t>(keySize + 8); }
};

// Largest even number of keys whose items (plus the right-most child slot)
// and offset table fit in a page.
uint16_t ntxMaxItems(int keySize);

// Whether `maxItems` items of `keySize` fit in a page with their offsets.
bool ntxPageFits(int keySize, int maxItems);

// Decodes and validates the header page; `fileSize` bounds the offsets.
Result<NtxHeader> decodeNtxHeader(std::string_view page, uint64_t fileSize);
std::string encodeNtxHeader(const NtxHeader& h);

// One decoded B-tree page: n keys with their record numbers and n+1 children
// (all 0 in a leaf). The items sit in one block of fixed-size slots (key
// bytes, record number, child; slot n holds only the right-most child), so a
// descent compares over contiguous memory and an insert moves bytes.
class NtxPage {
 public:
  NtxPage() = default;
  // An empty page of `keySize` keys whose only child is `child`.
  explicit NtxPage(size_t keySize, uint32_t child = 0) : ks_(keySize), items_(stride(), '\0') {
    setChild(0, child);
  }

  size_t count() const { return n_; }
  bool leaf() const { return items_.empty() || child(0) == 0; }
  size_t keySize() const { return ks_; }

  const char* keyData(size_t i) const { return items_.data() + i * stride(); }
  std::string_view key(size_t i) const { return {keyData(i), ks_}; }
  uint32_t recno(size_t i) const { return load(i * stride() + ks_); }
  uint32_t child(size_t i) const { return load(i * stride() + ks_ + 4); }
  void setChild(size_t i, uint32_t c) { store(i * stride() + ks_ + 4, c); }
  // Replaces key and record number of entry i; its children stay.
  void setEntry(size_t i, std::string_view key, uint32_t recno);

  // Entry before position i, `right` becoming child i+1.
  void insert(size_t i, std::string_view key, uint32_t recno, uint32_t right);
  // Entry before position i, `left` becoming child i (the old one moves right).
  void insertLeft(size_t i, std::string_view key, uint32_t recno, uint32_t left);
  // Removes entry i and child i+1.
  void erase(size_t i);
  // Removes entry i and child i.
  void eraseLeft(size_t i);
  // Entries from `from` on with their children (children from..n).
  NtxPage tail(size_t from) const;
  // Keeps the first n entries and n+1 children.
  void truncate(size_t n);
  // Adds `key` after the last entry, then every entry and child of `other`:
  // a merge of two neighbours through the key between them.
  void append(std::string_view key, uint32_t recno, const NtxPage& other);

 private:
  friend Result<NtxPage> decodeNtxPage(std::string_view, const NtxHeader&, uint32_t, uint64_t);
  size_t stride() const { return ks_ + 8; }
  uint32_t load(size_t at) const {
    uint32_t v;
    std::memcpy(&v, items_.data() + at, 4);
    return v;
  }
  void store(size_t at, uint32_t v) { std::memcpy(items_.data() + at, &v, 4); }
  // Opens a gap of one slot at byte offset `at`.
  char* open(size_t at);

  size_t ks_ = 0;
  size_t n_ = 0;
  std::string items_;  // (n+1) slots
};

// Decodes a page at `offset`, checking counts, slot offsets and children
// (page aligned, inside the file, all zero or all non-zero).
Result<NtxPage> decodeNtxPage(std::string_view bytes, const NtxHeader& h, uint32_t offset,
                              uint64_t fileSize);
// A page in the fresh layout (slot i at its natural place).
std::string encodeNtxPage(const NtxPage& p, const NtxHeader& h);
// A free page whose slot 0 points to `next`.
std::string encodeNtxFreePage(uint32_t next, const NtxHeader& h);
// The next page of the free chain stored in a free page.
Result<uint32_t> decodeNtxFreeNext(std::string_view bytes, const NtxHeader& h, uint32_t offset,
                                   uint64_t fileSize);

uint16_t getLE16(const char* p);
uint32_t getLE32(const char* p);
void putLE16(char* p, uint16_t v);
void putLE32(char* p, uint32_t v);

}  // namespace zel::db
