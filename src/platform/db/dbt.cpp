#include "platform/db/dbt.h"

#include <chrono>
#include <thread>

#include "platform/db/dbf.h"
#include "platform/db/lock_ranges.h"

namespace zel::db {

namespace {

std::string headerBlock(uint32_t nextFree) {
  std::string h(kMemoBlockSize, '\0');
  for (int i = 0; i < 4; ++i) h[static_cast<size_t>(i)] = static_cast<char>((nextFree >> (8 * i)) & 0xFF);
  return h;
}

uint64_t blocksFor(uint64_t bytes) { return (bytes + kMemoBlockSize - 1) / kMemoBlockSize; }

}  // namespace

Status MemoFile::create(Env& env, const std::string& path) {
  OpenOptions o;
  o.create = true;
  o.truncate = true;
  auto f = env.open(path, o);
  if (!f.ok()) return f.status();
  ZEL_RETURN_IF_ERROR((*f)->write(0, headerBlock(1)));
  return Status::OK();
}

Result<std::unique_ptr<MemoFile>> MemoFile::open(Env& env, const std::string& path, bool shared,
                                                 bool readOnly) {
  OpenOptions o;
  o.readOnly = readOnly;
  auto f = env.open(path, o);
  if (!f.ok()) return f.status();
  auto size = (*f)->size();
  if (!size.ok()) return size.status();
  if (*size < 4) return Status::Corruption(path + ": memo file header cut short");
  return std::unique_ptr<MemoFile>(new MemoFile(std::move(f).value(), path, shared));
}

Result<std::string> MemoFile::read(uint32_t block) {
  if (block == 0) return std::string();
  auto size = file_->size();
  if (!size.ok()) return size.status();
  uint64_t off = static_cast<uint64_t>(block) * kMemoBlockSize;
  if (off >= *size)
    return Status::Corruption(path_ + ": memo block " + std::to_string(block) +
                              " lies beyond the end of the file");
  std::string text;
  char buf[kMemoBlockSize];
  while (off < *size) {
    size_t got = 0;
    ZEL_RETURN_IF_ERROR(file_->read(off, sizeof buf, buf, &got));
    if (got == 0) break;
    std::string_view chunk(buf, got);
    size_t end = chunk.find(kEndOfFile);
    if (end != std::string_view::npos) {
      text.append(chunk.substr(0, end));
      return text;
    }
    text.append(chunk);
    off += got;
  }
  return text;
}

Result<uint32_t> MemoFile::write(std::string_view text, uint32_t oldBlock) {
  if (text.find(kEndOfFile) != std::string_view::npos)
    return Status::InvalidArgument("a memo text cannot hold the byte 0x1A");
  if (text.empty()) return 0u;
  std::string data(text);
  data += "\x1A\x1A";
  uint64_t need = blocksFor(data.size());
  if (oldBlock != 0) {
    auto old = read(oldBlock);
    // An unreadable old memo is simply not reused.
    if (old.ok() && need <= blocksFor(old->size() + 1)) {
      ZEL_RETURN_IF_ERROR(file_->write(static_cast<uint64_t>(oldBlock) * kMemoBlockSize, data));
      return oldBlock;
    }
  }
  if (shared_) {
    // Another process holds this lock only while it places one memo, so a
    // refusal is waited out for up to a second.
    Status s = file_->lock(locks::kMemoOffset, 1, LockKind::kExclusive);
    for (int i = 0; s.isLocked() && i < 2000; ++i) {
      std::this_thread::sleep_for(std::chrono::microseconds(500));
      s = file_->lock(locks::kMemoOffset, 1, LockKind::kExclusive);
    }
    ZEL_RETURN_IF_ERROR(s);
  }
  auto place = [&]() -> Result<uint32_t> {
    char head[4];
    ZEL_RETURN_IF_ERROR(readExact(*file_, 0, 4, head, path_ + " header"));
    uint64_t headerNext = 0;
    for (int i = 3; i >= 0; --i) headerNext = headerNext << 8 | static_cast<uint8_t>(head[i]);
    auto size = file_->size();
    if (!size.ok()) return size.status();
    // The end of the file is always free; a header pointing a little past
    // it (another writer's convention) is respected, an absurd one is not.
    uint64_t next = std::max<uint64_t>(1, blocksFor(*size));
    if (headerNext > next && headerNext <= next + 1024) next = headerNext;
    if (next + need > UINT32_MAX) return Status::IOError(path_ + ": memo file is full");
    // Blocks first, then the header: a crash leaves at worst unused blocks.
    ZEL_RETURN_IF_ERROR(file_->write(next * kMemoBlockSize, data));
    ZEL_RETURN_IF_ERROR(file_->write(0, headerBlock(static_cast<uint32_t>(next + need)).substr(0, 4)));
    return static_cast<uint32_t>(next);
  };
  auto r = place();
  if (shared_) (void)file_->unlock(locks::kMemoOffset, 1);
  return r;
}

Status MemoFile::zap() {
  // Header first: a failure in between leaves a file that still opens.
  ZEL_RETURN_IF_ERROR(file_->write(0, headerBlock(1)));
  return file_->truncate(kMemoBlockSize);
}

}  // namespace zel::db
