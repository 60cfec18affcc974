#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/db/env.h"

namespace zel::db {

namespace {

std::string describe(const std::string& what, int err) {
  return what + ": " + std::strerror(err);
}

Status errnoStatus(const std::string& what, int err) {
  switch (err) {
    case ENOENT: return Status::NotFound(describe(what, err));
    case EEXIST: return Status::Exists(describe(what, err));
    case EROFS: return Status::ReadOnly(describe(what, err));
    default: return Status::IOError(describe(what, err));
  }
}

class PosixFile : public File {
 public:
  PosixFile(int fd, std::string path) : fd_(fd), path_(std::move(path)) {}
  ~PosixFile() override { ::close(fd_); }

  Status read(uint64_t off, size_t n, char* buf, size_t* got) override {
    size_t done = 0;
    while (done < n) {
      ssize_t r = ::pread(fd_, buf + done, n - done, static_cast<off_t>(off + done));
      if (r < 0) {
        if (errno == EINTR) continue;
        *got = done;
        return errnoStatus("reading " + path_, errno);
      }
      if (r == 0) break;
      done += static_cast<size_t>(r);
    }
    *got = done;
    return Status::OK();
  }

  Status write(uint64_t off, std::string_view data) override {
    size_t done = 0;
    while (done < data.size()) {
      ssize_t w = ::pwrite(fd_, data.data() + done, data.size() - done,
                           static_cast<off_t>(off + done));
      if (w < 0) {
        if (errno == EINTR) continue;
        return errnoStatus("writing " + path_, errno);
      }
      done += static_cast<size_t>(w);
    }
    return Status::OK();
  }

  Result<uint64_t> size() override {
    struct stat st{};
    if (::fstat(fd_, &st) != 0) return errnoStatus("stat " + path_, errno);
    return static_cast<uint64_t>(st.st_size);
  }

  Status truncate(uint64_t len) override {
    while (::ftruncate(fd_, static_cast<off_t>(len)) != 0) {
      if (errno != EINTR) return errnoStatus("truncating " + path_, errno);
    }
    return Status::OK();
  }

  Status sync() override {
    if (::fsync(fd_) != 0) return errnoStatus("syncing " + path_, errno);
    return Status::OK();
  }

  Status lock(uint64_t off, uint64_t len, LockKind kind) override {
    return setLock(off, len, kind == LockKind::kShared ? F_RDLCK : F_WRLCK);
  }

  Status unlock(uint64_t off, uint64_t len) override { return setLock(off, len, F_UNLCK); }

  Result<bool> isLockedByOther(uint64_t off, uint64_t len, LockKind kind) override {
    struct flock fl{};
    fl.l_type = kind == LockKind::kShared ? F_RDLCK : F_WRLCK;
    fl.l_whence = SEEK_SET;
    fl.l_start = static_cast<off_t>(off);
    fl.l_len = static_cast<off_t>(len);
    if (::fcntl(fd_, F_OFD_GETLK, &fl) != 0) return errnoStatus("testing a lock on " + path_, errno);
    return fl.l_type != F_UNLCK;
  }

 private:
  Status setLock(uint64_t off, uint64_t len, short type) {
    struct flock fl{};
    fl.l_type = type;
    fl.l_whence = SEEK_SET;
    fl.l_start = static_cast<off_t>(off);
    fl.l_len = static_cast<off_t>(len);
    fl.l_pid = 0;  // required for open-file-description locks
    while (::fcntl(fd_, F_OFD_SETLK, &fl) != 0) {
      if (errno == EINTR) continue;
      if (errno == EAGAIN || errno == EACCES) return Status::Locked(path_ + " is locked");
      return errnoStatus("locking " + path_, errno);
    }
    return Status::OK();
  }

  int fd_;
  std::string path_;
};

class PosixEnv : public Env {
 public:
  Result<std::unique_ptr<File>> open(const std::string& path, const OpenOptions& o) override {
    int flags = O_CLOEXEC | (o.readOnly ? O_RDONLY : O_RDWR);
    if (o.create || o.mustNotExist) flags |= O_CREAT;
    if (o.mustNotExist) flags |= O_EXCL;
    if (o.truncate && !o.readOnly) flags |= O_TRUNC;
    int fd;
    do {
      fd = ::open(path.c_str(), flags, 0666);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) return errnoStatus("opening " + path, errno);
    return std::unique_ptr<File>(new PosixFile(fd, path));
  }

  bool exists(const std::string& path) override {
    struct stat st{};
    return ::stat(path.c_str(), &st) == 0;
  }

  bool isDirectory(const std::string& path) override {
    struct stat st{};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
  }

  Status remove(const std::string& path) override {
    if (::unlink(path.c_str()) != 0) return errnoStatus("removing " + path, errno);
    return Status::OK();
  }

  Status rename(const std::string& from, const std::string& to) override {
    if (::rename(from.c_str(), to.c_str()) != 0)
      return errnoStatus("renaming " + from + " to " + to, errno);
    return Status::OK();
  }

  Status createDirectory(const std::string& path) override {
    if (::mkdir(path.c_str(), 0777) != 0) return errnoStatus("creating " + path, errno);
    return Status::OK();
  }

  Result<std::vector<std::string>> list(const std::string& dir) override {
    DIR* d = ::opendir(dir.c_str());
    if (!d) return errnoStatus("listing " + dir, errno);
    std::vector<std::string> names;
    while (struct dirent* e = ::readdir(d)) {
      std::string n = e->d_name;
      if (n != "." && n != "..") names.push_back(std::move(n));
    }
    ::closedir(d);
    return names;
  }
};

}  // namespace

Env& posixEnv() {
  static PosixEnv env;
  return env;
}

Status readExact(File& f, uint64_t off, size_t n, char* buf, const std::string& what) {
  size_t got = 0;
  ZEL_RETURN_IF_ERROR(f.read(off, n, buf, &got));
  if (got != n) return Status::Corruption(what + " is cut short");
  return Status::OK();
}

}  // namespace zel::db
