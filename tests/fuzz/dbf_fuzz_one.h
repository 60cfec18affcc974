// Fuzz inputs through the table code: bytes taken as a DBF table, or as the
// DBT memo file of a small table.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace zel::db {

// Opens the table held in `data`; when it opens, walks it both ways, reads
// every field, appends a record, writes every field and reads it back.
// Returns "" or the broken promise (an open refused with anything but
// Corruption, a walk that disagrees with the record count, a value that
// does not read back). Crashes, hangs and sanitizer reports are the rest.
std::string dbfFuzzOne(const uint8_t* data, size_t size);

// Takes `data` as the memo file of a table whose records point at blocks
// 0..9 and a few absurd ones; reads every memo, rewrites some and reads
// them back.
std::string dbtFuzzOne(const uint8_t* data, size_t size);

}  // namespace zel::db
