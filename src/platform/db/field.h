// Field descriptors of a DBF table, shared by the table files and the index
// key expressions.
#pragma once

#include <string>

namespace zel::db {

// Types: 'C' text, 'N' number, 'D' date, 'L' logical, 'M' memo.
struct FieldDef {
  std::string name;  // upper case, at most 10 characters
  char type = 'C';
  int width = 1;     // C up to 65535 (high byte in the decimals byte on disk)
  int decimals = 0;  // N only
};

}  // namespace zel::db
