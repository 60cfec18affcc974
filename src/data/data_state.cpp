#include "data/data_state.h"

namespace zel::data {

namespace {

DataState& instance() {
  static DataState s;
  return s;
}

// Until the drive map is wired in: drive letters are dropped and backslashes
// become slashes, so host paths pass through unchanged.
std::string plainHostPath(const std::string& p) {
  std::string s = p;
  if (s.size() >= 2 && s[1] == ':' &&
      ((s[0] >= 'A' && s[0] <= 'Z') || (s[0] >= 'a' && s[0] <= 'z')))
    s.erase(0, 2);
  for (char& c : s)
    if (c == '\\') c = '/';
  return s;
}

}  // namespace

DataUi& DataState::out() {
  static SilentDataUi silent;
  return ui ? *ui : silent;
}

std::string DataState::host(const std::string& dosPath) const {
  return hostPath ? hostPath(dosPath) : plainHostPath(dosPath);
}

DataState& dataState() { return instance(); }

void resetDataState() { instance() = DataState(); }

std::string joinPath(const std::string& prefix, const std::string& name) {
  if (prefix.empty() || prefix.back() == '\\' || prefix.back() == '/') return prefix + name;
  return prefix + "\\" + name;
}

}  // namespace zel::data
