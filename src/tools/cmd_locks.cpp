// locks: who holds what on a table right now, probed with the engine's Env
// (F_OFD_GETLK underneath) without taking any lock.
#include <functional>

#include "platform/db/dbf.h"
#include "platform/db/lock_ranges.h"
#include "tools/command_list.h"
#include "tools/tool_common.h"

namespace zel::tools {

namespace {

// Record locks held by others among records lo..hi, found by halving the
// range while a probe sees a lock in it.
Status lockedRecords(db::File& f, uint32_t lo, uint32_t hi, std::vector<uint32_t>* out) {
  if (lo > hi) return Status::OK();
  auto any = f.isLockedByOther(db::locks::recordOffset(lo), hi - lo + 1, db::LockKind::kExclusive);
  if (!any.ok()) return any.status();
  if (!*any) return Status::OK();
  if (lo == hi) {
    out->push_back(lo);
    return Status::OK();
  }
  uint32_t mid = lo + (hi - lo) / 2;
  ZEL_RETURN_IF_ERROR(lockedRecords(f, lo, mid, out));
  return lockedRecords(f, mid + 1, hi, out);
}

}  // namespace

int cmdLocks(const CommandLine& cl, Io io) {
  const std::string& path = cl.args[0];
  db::OpenOptions o;
  o.readOnly = true;
  auto file = db::posixEnv().open(path, o);
  if (!file.ok()) return fail(io, "cannot open " + path, file.status());
  db::File& f = **file;

  // The record count, read as the engine reads it.
  auto size = f.size();
  if (!size.ok()) return fail(io, "reading " + path, size.status());
  std::string head(std::min<uint64_t>(*size, 65536), '\0');
  size_t got = 0;
  if (Status s = f.read(0, head.size(), head.data(), &got); !s.ok()) return fail(io, "reading " + path, s);
  head.resize(got);
  auto layout = db::parseHeader(head, path);
  if (!layout.ok()) return fail(io, "cannot read " + path, layout.status());
  uint32_t count = db::reconcileCount(*layout, *size, "");

  auto probe = [&](uint64_t off, uint64_t len, db::LockKind kind) -> Result<bool> {
    return f.isLockedByOther(off, len, kind);
  };
  auto exclusiveOpen = probe(db::locks::kOpenModeOffset, 1, db::LockKind::kShared);
  auto anyOpen = probe(db::locks::kOpenModeOffset, 1, db::LockKind::kExclusive);
  // The last byte of the file-lock range: no record lock ever reaches it.
  auto fileLock = probe(db::locks::kFileOffset + db::locks::kFileLength - 1, 1, db::LockKind::kExclusive);
  auto appendLock = probe(db::locks::kAppendOffset, 1, db::LockKind::kExclusive);
  for (const auto* r : {&exclusiveOpen, &anyOpen, &fileLock, &appendLock})
    if (!r->ok()) return fail(io, "probing the locks of " + path, r->status());

  io.out << path << ": " << count << " records\n";
  io.out << "opened by other processes: "
         << (*exclusiveOpen ? "yes, exclusively" : *anyOpen ? "yes, shared" : "no") << "\n";
  io.out << "file lock: " << (*fileLock ? "held by another process" : "free") << "\n";
  io.out << "append lock: " << (*appendLock ? "held by another process" : "free") << "\n";
  if (*fileLock) {
    io.out << "record locks: covered by the file lock\n";
    return kExitOk;
  }
  std::vector<uint32_t> records;
  // A record being appended may be locked one past the count just read.
  if (Status s = lockedRecords(f, 1, count + 1, &records); !s.ok())
    return fail(io, "probing the locks of " + path, s);
  io.out << "record locks:";
  if (records.empty()) io.out << " none";
  for (size_t i = 0; i < records.size(); ++i) io.out << (i ? ", " : " ") << records[i];
  io.out << "\n";
  return kExitOk;
}

}  // namespace zel::tools
