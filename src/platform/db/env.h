// Env: every file, directory and lock operation of the table engine.
//
// PosixEnv is the real one (pread/pwrite, open-file-description byte-range
// locks); MemEnv keeps files in memory for fast tests, with the same lock
// semantics between its handles; FaultEnv wraps another Env to fail chosen
// calls (I/O-error and crash tests). No call throws; every lock call returns
// at once.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/sys/status.h"

namespace zel::db {

enum class LockKind { kShared, kExclusive };

class File {
 public:
  virtual ~File() = default;
  // Reads up to n bytes at off; *got is how many were there (short at EOF).
  virtual Status read(uint64_t off, size_t n, char* buf, size_t* got) = 0;
  // Writes all of data at off, growing the file as needed.
  virtual Status write(uint64_t off, std::string_view data) = 0;
  virtual Result<uint64_t> size() = 0;
  virtual Status truncate(uint64_t len) = 0;
  virtual Status sync() = 0;
  // Byte-range lock held by this handle; Locked at once when another handle
  // (of this or another process) holds a conflicting one. Re-locking a range
  // this handle holds changes its kind.
  virtual Status lock(uint64_t off, uint64_t len, LockKind kind) = 0;
  virtual Status unlock(uint64_t off, uint64_t len) = 0;
  // Whether another handle holds a lock conflicting with `kind` on the range
  // (for the administrator's lock listing); false when free.
  virtual Result<bool> isLockedByOther(uint64_t off, uint64_t len, LockKind kind) = 0;
};

struct OpenOptions {
  bool create = false;     // create when missing
  bool truncate = false;   // empty an existing file
  bool readOnly = false;
  bool mustNotExist = false;
};

class Env {
 public:
  virtual ~Env() = default;
  virtual Result<std::unique_ptr<File>> open(const std::string& path, const OpenOptions& o) = 0;
  virtual bool exists(const std::string& path) = 0;
  virtual bool isDirectory(const std::string& path) = 0;
  virtual Status remove(const std::string& path) = 0;
  virtual Status rename(const std::string& from, const std::string& to) = 0;
  virtual Status createDirectory(const std::string& path) = 0;
  // Names (not paths) of the entries of a directory.
  virtual Result<std::vector<std::string>> list(const std::string& dir) = 0;
};

// The process-wide POSIX Env. Locks are Linux open-file-description locks:
// they belong to the handle, conflict between two handles of one process, and
// survive the closing of other descriptors of the same file.
Env& posixEnv();

// A fresh in-memory Env. Its files outlive the handles that use them; locks
// conflict between handles exactly as PosixEnv's do. Thread-safe.
std::unique_ptr<Env> makeMemEnv();

// Forwards every call to another File (owned alone or shared); wrappers that
// count, fail or watch calls override only those.
class FileWrapper : public File {
 public:
  explicit FileWrapper(std::shared_ptr<File> target) : target_(std::move(target)) {}
  Status read(uint64_t off, size_t n, char* buf, size_t* got) override {
    return target_->read(off, n, buf, got);
  }
  Status write(uint64_t off, std::string_view data) override { return target_->write(off, data); }
  Result<uint64_t> size() override { return target_->size(); }
  Status truncate(uint64_t len) override { return target_->truncate(len); }
  Status sync() override { return target_->sync(); }
  Status lock(uint64_t off, uint64_t len, LockKind kind) override {
    return target_->lock(off, len, kind);
  }
  Status unlock(uint64_t off, uint64_t len) override { return target_->unlock(off, len); }
  Result<bool> isLockedByOther(uint64_t off, uint64_t len, LockKind kind) override {
    return target_->isLockedByOther(off, len, kind);
  }

 protected:
  File& target() { return *target_; }

 private:
  std::shared_ptr<File> target_;
};

// Forwards every call to another Env; see FileWrapper.
class EnvWrapper : public Env {
 public:
  explicit EnvWrapper(Env& target) : target_(target) {}
  Result<std::unique_ptr<File>> open(const std::string& path, const OpenOptions& o) override {
    return target_.open(path, o);
  }
  bool exists(const std::string& path) override { return target_.exists(path); }
  bool isDirectory(const std::string& path) override { return target_.isDirectory(path); }
  Status remove(const std::string& path) override { return target_.remove(path); }
  Status rename(const std::string& from, const std::string& to) override {
    return target_.rename(from, to);
  }
  Status createDirectory(const std::string& path) override { return target_.createDirectory(path); }
  Result<std::vector<std::string>> list(const std::string& dir) override { return target_.list(dir); }

 protected:
  Env& target() { return target_; }

 private:
  Env& target_;
};

// Reads exactly n bytes at off; a short read is Corruption naming `what`.
Status readExact(File& f, uint64_t off, size_t n, char* buf, const std::string& what);

}  // namespace zel::db
