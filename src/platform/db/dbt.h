// DBT memo files (dBASE III PLUS): 512-byte blocks, block 0 the header whose
// first four bytes hold the next free block. A memo starts at a block and
// runs over as many consecutive blocks as it needs; its text ends with
// 0x1A 0x1A and readers stop at the first 0x1A. Memos never share blocks.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/db/env.h"

namespace zel::db {

inline constexpr uint32_t kMemoBlockSize = 512;

class MemoFile {
 public:
  // Writes an empty memo file (the header block alone), replacing any.
  static Status create(Env& env, const std::string& path);
  // `shared`: other processes may place memos at the same time, so new
  // blocks are taken under the memo allocation lock (lock_ranges.h).
  static Result<std::unique_ptr<MemoFile>> open(Env& env, const std::string& path, bool shared,
                                                bool readOnly);

  // Text of the memo at `block` up to its first 0x1A (or the end of the
  // file); block 0 is no memo and gives "". Corruption when the block lies
  // beyond the end of the file.
  Result<std::string> read(uint32_t block);

  // Stores `text` and returns the block where it now starts. The memo that
  // was at `oldBlock` (0: none) is overwritten when the text still fits in
  // its blocks; otherwise the text goes to the next free block and the old
  // blocks are left unused. An empty text gives block 0 (no memo). The text
  // may not hold 0x1A: readers would cut it there.
  Result<uint32_t> write(std::string_view text, uint32_t oldBlock);

  // Back to the header alone (exclusive use).
  Status zap();
  Status sync() { return file_->sync(); }
  const std::string& path() const { return path_; }

 private:
  MemoFile(std::unique_ptr<File> f, std::string path, bool shared)
      : file_(std::move(f)), path_(std::move(path)), shared_(shared) {}
  std::unique_ptr<File> file_;
  std::string path_;
  bool shared_;
};

}  // namespace zel::db
