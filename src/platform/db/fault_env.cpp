#include "platform/db/fault_env.h"

namespace zel::db {

namespace {

class FaultFile : public FileWrapper {
 public:
  FaultFile(FaultEnv& env, std::unique_ptr<File> f) : FileWrapper(std::move(f)), env_(env) {}

  Status read(uint64_t off, size_t n, char* buf, size_t* got) override {
    *got = 0;
    ZEL_RETURN_IF_ERROR(env_.tick(false));
    return target().read(off, n, buf, got);
  }
  Status write(uint64_t off, std::string_view data) override {
    bool shortWrite = false;
    Status s = env_.tick(true, &shortWrite);
    if (shortWrite) (void)target().write(off, data.substr(0, data.size() / 2));
    if (!s.ok()) return s;
    return target().write(off, data);
  }
  Result<uint64_t> size() override {
    Status s = env_.tick(false);
    if (!s.ok()) return s;
    return target().size();
  }
  Status truncate(uint64_t len) override {
    ZEL_RETURN_IF_ERROR(env_.tick(true));
    return target().truncate(len);
  }
  Status sync() override {
    ZEL_RETURN_IF_ERROR(env_.tick(true));
    return target().sync();
  }

 private:
  FaultEnv& env_;
};

}  // namespace

Status FaultEnv::tick(bool isWrite, bool* shortWrite) {
  if (writesOnly_ && !isWrite) return Status::OK();
  long n = ++calls_;
  if (failAt_ <= 0 || n < failAt_ || (!persistent_ && n != failAt_)) return Status::OK();
  ++failures_;
  switch (fault_) {
    case Fault::kNoSpace: return Status::IOError("injected: no space left on device");
    case Fault::kShortWrite:
      if (isWrite && shortWrite) *shortWrite = true;
      return Status::IOError("injected: short write");
    case Fault::kIOError: break;
  }
  return Status::IOError("injected: input/output error");
}

Result<std::unique_ptr<File>> FaultEnv::open(const std::string& path, const OpenOptions& o) {
  Status s = tick(o.create || o.truncate || o.mustNotExist);
  if (!s.ok()) return s;
  auto f = target().open(path, o);
  if (!f.ok()) return f.status();
  return std::unique_ptr<File>(new FaultFile(*this, std::move(f).value()));
}

Status FaultEnv::remove(const std::string& path) {
  ZEL_RETURN_IF_ERROR(tick(true));
  return target().remove(path);
}

Status FaultEnv::rename(const std::string& from, const std::string& to) {
  ZEL_RETURN_IF_ERROR(tick(true));
  return target().rename(from, to);
}

}  // namespace zel::db
