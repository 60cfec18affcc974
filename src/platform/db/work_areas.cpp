#include "platform/db/work_areas.h"

namespace zel::db {

namespace {

std::string upper(std::string_view s) {
  std::string u(s);
  for (char& c : u)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  return u;
}

std::string_view trimmed(std::string_view s) {
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  return s;
}

bool allDigits(std::string_view s) {
  if (s.empty()) return false;
  for (char c : s)
    if (c < '0' || c > '9') return false;
  return true;
}

}  // namespace

std::string WorkAreas::normalize(std::string_view area) {
  std::string_view t = trimmed(area);
  if (!allDigits(t)) return upper(t);
  while (t.size() > 1 && t.front() == '0') t.remove_prefix(1);
  return std::string(t);
}

std::string WorkAreas::defaultAlias(const std::string& path) {
  size_t slash = path.find_last_of("/\\");
  std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  size_t dot = name.rfind('.');
  if (dot != std::string::npos && dot > 0) name.resize(dot);
  return upper(name);
}

Status WorkAreas::open(std::string_view area, const std::string& path, OpenMode mode,
                       std::string alias, bool readOnly) {
  std::string a = normalize(area);
  (void)close(a);
  selected_ = a;
  auto t = Table::open(env_, path, mode, readOnly);
  if (!t.ok()) return t.status();
  adopt(a, std::move(t).value(), std::move(alias));
  return Status::OK();
}

void WorkAreas::adopt(std::string_view area, std::unique_ptr<Table> table, std::string alias) {
  std::string a = normalize(area);
  if (alias.empty()) alias = defaultAlias(table->path());
  slots_[a] = Slot{upper(trimmed(alias)), std::move(table)};
  selected_ = a;
}

Status WorkAreas::select(std::string_view areaOrAlias) {
  std::string a = normalize(areaOrAlias);
  if (allDigits(a)) {
    selected_ = a;
    return Status::OK();
  }
  std::string found = areaOf(a);
  if (found.empty()) return Status::NotFound("no work area has the alias " + a);
  selected_ = found;
  return Status::OK();
}

Table* WorkAreas::table(std::string_view area) const {
  auto it = slots_.find(normalize(area));
  return it == slots_.end() ? nullptr : it->second.table.get();
}

Table* WorkAreas::byAlias(std::string_view alias) const {
  std::string a = areaOf(alias);
  return a.empty() ? nullptr : table(a);
}

std::string WorkAreas::alias(std::string_view area) const {
  auto it = slots_.find(normalize(area));
  return it == slots_.end() ? std::string() : it->second.alias;
}

std::string WorkAreas::areaOf(std::string_view alias) const {
  std::string a = upper(trimmed(alias));
  for (const auto& [area, slot] : slots_)
    if (slot.alias == a) return area;
  return {};
}

std::vector<std::string> WorkAreas::openAreas() const {
  std::vector<std::string> areas;
  for (const auto& [area, slot] : slots_) areas.push_back(area);
  return areas;
}

Status WorkAreas::close(std::string_view area) {
  auto it = slots_.find(normalize(area));
  if (it == slots_.end()) return Status::OK();
  Status s = it->second.table->close();
  slots_.erase(it);
  return s;
}

Status WorkAreas::closeAll() {
  Status first;
  for (auto& [area, slot] : slots_) {
    Status s = slot.table->close();
    if (first.ok()) first = s;
  }
  slots_.clear();
  return first;
}

}  // namespace zel::db
