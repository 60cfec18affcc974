// Path texts: the program keeps directories as DOS paths, prefixes ending in
// a backslash ("C:\ZEL2009\DADOS\").
#pragma once

#include <string>
#include <string_view>

namespace zel {

// The path with a backslash appended unless it ends in one.
std::string BAR_DIR(std::string_view path);
// The path without its final backslash, when it has one.
std::string BAR_FORA(std::string_view path);
// What follows the last backslash (the whole text when there is none).
std::string TIRA_DIR(std::string_view path);
// Whether the path is an existing directory; a trailing backslash is dropped
// first, except on a drive root ("C:\").
bool VERDIR(std::string_view path);

}  // namespace zel
