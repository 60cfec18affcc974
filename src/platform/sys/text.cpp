#include "platform/sys/text.h"

#include "platform/sys/cp850.h"

namespace zel {

std::string trim(std::string_view s) {
  const size_t b = s.find_first_not_of(' ');
  if (b == std::string_view::npos) return "";
  const size_t e = s.find_last_not_of(' ');
  return std::string(s.substr(b, e - b + 1));
}

std::string rtrim(std::string_view s) {
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  return std::string(s);
}

std::string upperTrim(std::string_view s) { return cp850Upper(trim(s)); }

}  // namespace zel
