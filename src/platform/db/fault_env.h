// FaultEnv: an Env wrapper that fails chosen calls, for I/O-error tests.
//
// Every call that reaches the disk (open, read, write, size, truncate, sync,
// remove, rename; lock calls are not counted) gets a number from 1 up. A plan
// makes call N fail once, or every call from N on, with an I/O error, a full
// disk, or (for writes) a short write that stores only the first half of the
// data before failing. Files opened through the wrapper keep reporting to it,
// so the wrapper must outlive them.
#pragma once

#include <atomic>
#include <memory>

#include "platform/db/env.h"

namespace zel::db {

enum class Fault { kIOError, kNoSpace, kShortWrite };

class FaultEnv : public EnvWrapper {
 public:
  explicit FaultEnv(Env& target) : EnvWrapper(target) {}

  // Fails call n only (persistent = false) or every call from n on.
  void failAt(long n, Fault f = Fault::kIOError, bool persistent = false) {
    failAt_ = n;
    fault_ = f;
    persistent_ = persistent;
  }
  // Only writes, truncates and syncs are counted and failed (reads pass).
  void writesOnly(bool on) { writesOnly_ = on; }
  void clear() { failAt_ = 0; }
  long calls() const { return calls_; }
  long failures() const { return failures_; }
  void resetCount() { calls_ = 0; failures_ = 0; }

  // Counts one call; the Status to return instead of doing it, if any.
  // *shortWrite is set when a write should store half its data first.
  Status tick(bool isWrite, bool* shortWrite = nullptr);

  Result<std::unique_ptr<File>> open(const std::string& path, const OpenOptions& o) override;
  Status remove(const std::string& path) override;
  Status rename(const std::string& from, const std::string& to) override;

 private:
  std::atomic<long> calls_{0};
  std::atomic<long> failures_{0};
  long failAt_ = 0;
  Fault fault_ = Fault::kIOError;
  bool persistent_ = false;
  bool writesOnly_ = false;
};

}  // namespace zel::db
