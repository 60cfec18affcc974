#include <algorithm>
#include <map>
#include <mutex>
#include <set>

#include "platform/db/env.h"

namespace zel::db {

namespace {

// A held lock; len 0 means "to the end of all offsets", as with fcntl.
struct HeldLock {
  uint64_t owner;
  uint64_t off;
  uint64_t len;
  LockKind kind;
  uint64_t end() const { return len == 0 ? UINT64_MAX : off + len; }
};

bool overlaps(uint64_t aOff, uint64_t aEnd, uint64_t bOff, uint64_t bEnd) {
  return aOff < bEnd && bOff < aEnd;
}

struct Node {
  std::mutex mu;
  std::string data;
  std::vector<HeldLock> locks;

  // Removes owner's locks over [off, end), splitting those that stick out.
  void release(uint64_t owner, uint64_t off, uint64_t end) {
    std::vector<HeldLock> kept;
    for (const HeldLock& l : locks) {
      if (l.owner != owner || !overlaps(l.off, l.end(), off, end)) {
        kept.push_back(l);
        continue;
      }
      if (l.off < off) kept.push_back({owner, l.off, off - l.off, l.kind});
      if (l.end() > end) {
        uint64_t len = l.len == 0 ? 0 : l.end() - end;
        kept.push_back({owner, end, len, l.kind});
      }
    }
    locks.swap(kept);
  }

  bool conflicts(uint64_t owner, uint64_t off, uint64_t end, LockKind kind) const {
    for (const HeldLock& l : locks) {
      if (l.owner == owner || !overlaps(l.off, l.end(), off, end)) continue;
      if (kind == LockKind::kExclusive || l.kind == LockKind::kExclusive) return true;
    }
    return false;
  }
};

class MemFile : public File {
 public:
  MemFile(std::shared_ptr<Node> node, uint64_t owner, bool readOnly)
      : node_(std::move(node)), owner_(owner), readOnly_(readOnly) {}
  ~MemFile() override {
    std::lock_guard g(node_->mu);
    node_->release(owner_, 0, UINT64_MAX);
  }

  Status read(uint64_t off, size_t n, char* buf, size_t* got) override {
    std::lock_guard g(node_->mu);
    const std::string& d = node_->data;
    *got = off >= d.size() ? 0 : std::min<uint64_t>(n, d.size() - off);
    if (*got) std::copy_n(d.data() + off, *got, buf);
    return Status::OK();
  }

  Status write(uint64_t off, std::string_view data) override {
    if (readOnly_) return Status::ReadOnly("file opened read-only");
    std::lock_guard g(node_->mu);
    std::string& d = node_->data;
    if (off + data.size() > d.size()) d.resize(off + data.size(), '\0');
    std::copy(data.begin(), data.end(), d.begin() + static_cast<std::ptrdiff_t>(off));
    return Status::OK();
  }

  Result<uint64_t> size() override {
    std::lock_guard g(node_->mu);
    return static_cast<uint64_t>(node_->data.size());
  }

  Status truncate(uint64_t len) override {
    if (readOnly_) return Status::ReadOnly("file opened read-only");
    std::lock_guard g(node_->mu);
    node_->data.resize(len, '\0');
    return Status::OK();
  }

  Status sync() override { return Status::OK(); }

  Status lock(uint64_t off, uint64_t len, LockKind kind) override {
    std::lock_guard g(node_->mu);
    uint64_t end = len == 0 ? UINT64_MAX : off + len;
    if (node_->conflicts(owner_, off, end, kind)) return Status::Locked("byte range is locked");
    node_->release(owner_, off, end);
    node_->locks.push_back({owner_, off, len, kind});
    return Status::OK();
  }

  Status unlock(uint64_t off, uint64_t len) override {
    std::lock_guard g(node_->mu);
    node_->release(owner_, off, len == 0 ? UINT64_MAX : off + len);
    return Status::OK();
  }

  Result<bool> isLockedByOther(uint64_t off, uint64_t len, LockKind kind) override {
    std::lock_guard g(node_->mu);
    return node_->conflicts(owner_, off, len == 0 ? UINT64_MAX : off + len, kind);
  }

 private:
  std::shared_ptr<Node> node_;
  uint64_t owner_;
  bool readOnly_;
};

class MemEnv : public Env {
 public:
  Result<std::unique_ptr<File>> open(const std::string& path, const OpenOptions& o) override {
    std::lock_guard g(mu_);
    auto it = files_.find(path);
    if (it != files_.end() && o.mustNotExist) return Status::Exists(path + " exists");
    if (it == files_.end()) {
      if (!o.create && !o.mustNotExist) return Status::NotFound(path + " not found");
      if (o.readOnly) return Status::NotFound(path + " not found");
      it = files_.emplace(path, std::make_shared<Node>()).first;
    } else if (o.truncate && !o.readOnly) {
      std::lock_guard ng(it->second->mu);
      it->second->data.clear();
    }
    return std::unique_ptr<File>(new MemFile(it->second, ++nextOwner_, o.readOnly));
  }

  bool exists(const std::string& path) override {
    std::lock_guard g(mu_);
    return files_.count(path) || dirs_.count(path);
  }

  bool isDirectory(const std::string& path) override {
    std::lock_guard g(mu_);
    return dirs_.count(path) > 0;
  }

  Status remove(const std::string& path) override {
    std::lock_guard g(mu_);
    if (!files_.erase(path)) return Status::NotFound(path + " not found");
    return Status::OK();
  }

  Status rename(const std::string& from, const std::string& to) override {
    std::lock_guard g(mu_);
    auto it = files_.find(from);
    if (it == files_.end()) return Status::NotFound(from + " not found");
    auto node = it->second;
    files_.erase(it);
    files_[to] = std::move(node);
    return Status::OK();
  }

  Status createDirectory(const std::string& path) override {
    std::lock_guard g(mu_);
    if (files_.count(path) || !dirs_.insert(path).second) return Status::Exists(path + " exists");
    return Status::OK();
  }

  Result<std::vector<std::string>> list(const std::string& dir) override {
    std::lock_guard g(mu_);
    std::string prefix = dir.empty() || dir.back() == '/' ? dir : dir + "/";
    std::vector<std::string> names;
    auto add = [&](const std::string& p) {
      if (p.size() > prefix.size() && p.compare(0, prefix.size(), prefix) == 0 &&
          p.find('/', prefix.size()) == std::string::npos)
        names.push_back(p.substr(prefix.size()));
    };
    for (const auto& [p, n] : files_) add(p);
    for (const auto& p : dirs_) add(p);
    return names;
  }

 private:
  std::mutex mu_;
  std::map<std::string, std::shared_ptr<Node>> files_;
  std::set<std::string> dirs_;
  uint64_t nextOwner_ = 0;
};

}  // namespace

std::unique_ptr<Env> makeMemEnv() { return std::make_unique<MemEnv>(); }

}  // namespace zel::db
