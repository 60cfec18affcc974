// Reorganisation of a data directory: its deleted records removed and its
// indexes built afresh.
#pragma once

#include <string_view>

namespace zel::maintenance {

// Reorganises `directory` (with or without trailing backslash):
//   1  the declaration tables and the register; the register stays open in
//      area 9;
//   3  the same, then every table is closed;
//   4  the same as 3 first, then the program directory's tables are packed
//      and their indexes deleted, up to the first one missing.
// Returns false when a table could not be had (its alert was shown).
bool REORG(std::string_view directory, int mode);

}  // namespace zel::maintenance
