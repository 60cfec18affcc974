#include "tools/tool_common.h"

#include <chrono>
#include <thread>

#include "tools/field_text.h"
#include "tools/text_io.h"

namespace zel::tools {

std::string plainReason(const Status& s) {
  switch (s.code()) {
    case StatusCode::kLocked: return "in use by another process (" + s.message() + ")";
    case StatusCode::kCorruption: return "damaged file: " + s.message();
    case StatusCode::kIOError: return "input/output error: " + s.message();
    default: return s.message();
  }
}

int fail(Io io, const std::string& what, const Status& why) {
  io.err << "zeldbf: " << what << ": " << plainReason(why) << "\n";
  return kExitError;
}

int fail(Io io, const std::string& message) {
  io.err << "zeldbf: " << message << "\n";
  return kExitError;
}

Status retryWhileLocked(const std::function<Status()>& op, double seconds) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  auto pause = std::chrono::microseconds(200);
  for (;;) {
    Status s = op();
    if (!s.isLocked() || std::chrono::steady_clock::now() >= deadline) return s;
    std::this_thread::sleep_for(pause);
    pause = std::min(pause * 2, std::chrono::microseconds(2000));
  }
}

Result<std::unique_ptr<db::Table>> openTable(const std::string& path, db::OpenMode mode,
                                             bool readOnly) {
  std::unique_ptr<db::Table> table;
  Status s = retryWhileLocked([&]() -> Status {
    auto r = db::Table::open(db::posixEnv(), path, mode, readOnly);
    if (!r.ok()) return r.status();
    table = std::move(r.value());
    return Status::OK();
  });
  if (!s.ok()) return s;
  return table;
}

std::vector<std::string> csvHeader(const db::Table& t) {
  std::vector<std::string> h = t.fieldNames();
  h.push_back("_deleted");
  h.push_back("_recno");
  return h;
}

namespace {
Result<std::string> memoOf(const db::Table& t, int i) {
  if (t.fields()[static_cast<size_t>(i)].type != 'M') return std::string();
  auto v = t.get(i);
  if (!v.ok()) return v.status();
  return v->text();
}
}  // namespace

Result<std::string> csvRecord(const db::Table& t) {
  std::vector<std::string> cells;
  for (int i = 0; i < t.fieldCount(); ++i) {
    auto memo = memoOf(t, i);
    if (!memo.ok()) return memo.status();
    cells.push_back(fieldToCsv(t.fields()[static_cast<size_t>(i)], t.raw(i), *memo));
  }
  cells.push_back(t.deleted() ? "true" : "false");
  cells.push_back(std::to_string(t.recno()));
  return csvLine(cells);
}

Result<std::string> jsonRecord(const db::Table& t) {
  std::string out = "{";
  for (int i = 0; i < t.fieldCount(); ++i) {
    const auto& f = t.fields()[static_cast<size_t>(i)];
    auto memo = memoOf(t, i);
    if (!memo.ok()) return memo.status();
    out += jsonString(f.name) + ":" + fieldToJson(f, t.raw(i), *memo) + ",";
  }
  out += "\"_deleted\":";
  out += t.deleted() ? "true" : "false";
  out += ",\"_recno\":" + std::to_string(t.recno()) + "}";
  return out;
}

}  // namespace zel::tools
