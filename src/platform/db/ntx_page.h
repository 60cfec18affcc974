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
// (all 0 in a leaf).
struct NtxPage {
  std::vector<std::string> keys;
  std::vector<uint32_t> recnos;
  std::vector<uint32_t> children;

  size_t count() const { return keys.size(); }
  bool leaf() const { return children.empty() || children[0] == 0; }
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
