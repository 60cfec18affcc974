// Byte ranges the table engine locks, and why they are where they are.
//
// Record, file and append locks use the offsets of the DOS-era xBase
// compilers' DBF/NTX driver, so programs that use the same files see them:
//
//   record r        DBF  1,000,000,000 + r, length 1
//   file lock       DBF  1,000,000,001, length 1,000,000,000 (every record
//                        byte, not the append byte)
//   append/header   DBF  1,000,000,000, length 1: held while a new record
//                        number is fixed and the header count rewritten
//   index update    NTX  1,000,000,000, length 1: exclusive while updating
//   memo allocation DBT  1,000,000,000, length 1: held while a memo is placed
//                        at the next free block
//
// Opening a table takes a lock of its own far above those ranges (no record
// number reaches it, and the other programs never touch it): a shared open
// holds it shared, an exclusive open holds it exclusively. So an exclusive
// open fails while anyone has the file open, and a shared open fails while
// someone holds it exclusively; both are reported as Status::Locked, the
// xBase "network-open failure". Programs that do not know this byte can still
// open the file, as they could with the DOS compilers; our own processes
// always see each other.
//
// Record, file, append and open locks are tried once and refused at once;
// the index update and memo locks, held only for the writes of one change,
// are waited for briefly (table.h).
//
// All locked bytes lie beyond the data, so locks never block reading.
#pragma once

#include <cstdint>

namespace zel::db::locks {

inline constexpr uint64_t kBase = 1'000'000'000ULL;
inline constexpr uint64_t kAppendOffset = kBase;
inline constexpr uint64_t kFileOffset = kBase + 1;
inline constexpr uint64_t kFileLength = kBase;
inline constexpr uint64_t kIndexUpdateOffset = kBase;
inline constexpr uint64_t kMemoOffset = kBase;
inline constexpr uint64_t kOpenModeOffset = 0x7000'0000'0000'0000ULL;

inline constexpr uint64_t recordOffset(uint32_t recno) { return kBase + recno; }

}  // namespace zel::db::locks
