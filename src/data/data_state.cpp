#include "data/data_state.h"

#include "platform/sys/dos_path.h"

namespace zel::data {

namespace {

DataState& instance() {
  static DataState s;
  return s;
}

// Through the drive map; a path it cannot place is passed on as it is, and
// the open that uses it then fails.
std::string mappedHostPath(const std::string& p) {
  auto r = dos::toHost(p);
  return r.ok() ? *r : p;
}

}  // namespace

DataUi& DataState::out() {
  static SilentDataUi silent;
  return ui ? *ui : silent;
}

db::Env& DataState::files() { return env ? *env : db::posixEnv(); }

db::WorkAreas& DataState::areas() {
  if (!workAreas) workAreas = std::make_unique<db::WorkAreas>(files());
  return *workAreas;
}

std::string DataState::host(const std::string& dosPath) const {
  return hostPath ? hostPath(dosPath) : mappedHostPath(dosPath);
}

DataState& dataState() { return instance(); }

void resetDataState() {
  DataState& s = instance();
  if (s.workAreas) (void)s.workAreas->closeAll();
  s = DataState();
}

std::string joinPath(const std::string& prefix, const std::string& name) {
  if (prefix.empty() || prefix.back() == '\\' || prefix.back() == '/') return prefix + name;
  return prefix + "\\" + name;
}

}  // namespace zel::data
