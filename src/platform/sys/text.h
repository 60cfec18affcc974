// Blank trimming of CP850 texts: table fields are fixed width and padded with
// blanks, so most comparisons and messages work on trimmed values.
#pragma once

#include <string>
#include <string_view>

namespace zel {

// Blanks removed from both ends.
std::string trim(std::string_view s);
// Trailing blanks removed.
std::string rtrim(std::string_view s);
// Trimmed and upper-cased (CP850 letters included).
std::string upperTrim(std::string_view s);

}  // namespace zel
