// The DBF file format (dBASE III PLUS with the compilers' extensions):
// header, field descriptors and the text of each field in a record.
//
// Layout: a 32-byte header, 32 bytes per field, 0x0D, then fixed-length
// records (a deletion byte ' ' or '*' and the fields), then 0x1A. Character
// fields wider than 255 keep the high byte of the width in the decimals byte.
// These functions only turn bytes into layouts and values and back; Table
// does the file access.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/db/field.h"
#include "platform/sys/clock.h"
#include "platform/sys/status.h"
#include "platform/sys/value.h"

namespace zel::db {

inline constexpr uint8_t kDbfNoMemo = 0x03;
inline constexpr uint8_t kDbfWithMemo = 0x83;
inline constexpr uint8_t kCodePage850 = 0x02;
inline constexpr char kEndOfFile = 0x1A;
inline constexpr int kMaxFields = 1024;
inline constexpr int kMaxRecordLength = 65535;

struct DbfLayout {
  uint8_t version = kDbfNoMemo;
  uint8_t languageDriver = kCodePage850;
  int year = 0, month = 0, day = 0;  // last update, as stored
  uint32_t headerCount = 0;          // record count in the header
  uint32_t headerLength = 0;         // offset of record 1
  uint32_t recordLength = 0;         // deletion byte + field widths
  std::vector<FieldDef> fields;
  std::vector<uint32_t> offsets;     // of each field within a record

  bool hasMemo() const;
  // Index of a field by name, case-insensitive; -1 when absent.
  int fieldIndex(std::string_view name) const;
  uint64_t recordOffset(uint32_t recno) const {
    return headerLength + static_cast<uint64_t>(recno - 1) * recordLength;
  }
};

// Checks a field list for a new table: names of 1-10 characters, known types
// and widths (C 1..65535, N 1..20 with decimals below the width, D 8, L 1,
// M 10), at least one field, no name twice, record length within bounds.
Status validateFields(const std::vector<FieldDef>& fields);

// Layout of a new table (header length 32 + 32n + 1, language byte CP850).
Result<DbfLayout> makeLayout(const std::vector<FieldDef>& fields);

// Header bytes (header, descriptors, 0x0D) of a layout, dated `when`.
std::string encodeHeader(const DbfLayout& layout, const CivilTime& when);

// Bytes 1..7 of the header: the date and the record count.
std::string encodeDateAndCount(const CivilTime& when, uint32_t count);

// Parses the header from the first bytes of a file (all of them, or at
// least the header length). Corruption with a message naming `name` when the
// bytes are not a table this engine can read.
Result<DbfLayout> parseHeader(std::string_view bytes, const std::string& name);

// Records actually present in a file of `fileSize` bytes: the header count
// when the file holds exactly that many, otherwise the whole records present
// (a writer killed between the record and the header). `firstBytes` gives
// the deletion byte of each record past the header count, so that garbage
// after the end-of-file mark is not counted; it may be empty.
uint32_t reconcileCount(const DbfLayout& layout, uint64_t fileSize,
                        std::string_view firstBytesPastCount);

// A record of blanks, not deleted.
std::string blankRecord(const DbfLayout& layout);

// Value of a field from its bytes: C the text as stored (padded), N the
// number (blank or malformed: 0), D the date (blank or malformed: empty), L
// true for T/t/Y/y. An M field gives its block number as a number.
Value decodeValue(const FieldDef& f, std::string_view raw);

// Bytes of a value for a field: C truncated or blank-padded to the width; N
// right-aligned with exactly `decimals` decimals, asterisks when it does not
// fit; D YYYYMMDD or blanks; L T or F. InvalidArgument when the value's type
// does not suit the field (M fields go through the memo file).
Result<std::string> encodeValue(const FieldDef& f, const Value& v);

// A number as xBase writes it: right-aligned in `width`, rounded half away
// from zero to `decimals` places, `width` asterisks when it does not fit.
std::string formatNumber(double v, int width, int decimals);

// The memo block number a memo field holds; 0 when blank or malformed.
uint32_t memoBlock(std::string_view raw);

}  // namespace zel::db
