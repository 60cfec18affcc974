#include "helpers/paths.h"

#include "platform/sys/dos_path.h"

namespace zel {

std::string BAR_DIR(std::string_view path) {
  std::string out(path);
  if (out.empty() || out.back() != '\\') out += '\\';
  return out;
}

std::string BAR_FORA(std::string_view path) {
  if (!path.empty() && path.back() == '\\') path.remove_suffix(1);
  return std::string(path);
}

std::string TIRA_DIR(std::string_view path) {
  size_t slash = path.rfind('\\');
  return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

bool VERDIR(std::string_view path) {
  std::string p(path);
  if (!p.ends_with(":\\")) p = BAR_FORA(p);
  return dos::directoryExists(p);
}

}  // namespace zel
