// NtxIndex: one NTX index file, a B-tree of (key, record number) entries.
//
// The file layout is in ntx_page.h. Keys are fixed-size byte strings
// (KeyExpr makes them) ordered by plain byte comparison; equal keys are kept
// in record-number order by this code (files written elsewhere may hold them
// in any order, which readers accept). Deleted records stay in the index:
// only a rebuild drops them.
//
// Sharing. Several processes may use one index file at once. Every call
// takes the index update lock (byte 1,000,000,000 of the file): shared while
// reading, exclusive while changing. Lock calls never wait: when another
// process holds it, the call returns Status::Locked and the caller decides
// whether to retry. beginUpdate()/endUpdate() (or UpdateGuard) hold the
// exclusive lock over several calls, e.g. a record update's remove + insert.
// Every change is written straight to the file and ends with a header write
// that counts the version up; decoded pages are kept between calls only while
// the header and the file size on disk are unchanged, so the processes of this
// program never serve each other stale pages. (A program that changes pages
// without writing the header is seen only once the file size changes.)
//
// Exclusive use (setDeferred): when the table that owns the file holds it
// exclusively no other process reads or writes it, so the lock and the
// header re-read are skipped and changed pages and the header stay in memory
// until commit() (also done when the cache grows too large, by setDeferred
// (false) and on destruction). A process killed in between leaves an index
// that may miss recent keys or be inconsistent; rebuilding it from the table
// mends it.
//
// Writes are ordered so that a process killed between two of them leaves a
// tree that still holds every key (some perhaps twice, which check() reports
// and a rebuild mends): new pages before the pointers to them, a key's new
// place before its old place is cleared, pages freed only once unreachable.
//
// Corrupt files give Status::Corruption and never a crash or an endless
// loop: offsets are checked against the file, descents are bounded by the
// number of pages in the file, and walks by the keys the file can hold.
//
// Not thread-safe: one NtxIndex per thread.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <unordered_set>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/db/env.h"
#include "platform/db/key_expr.h"
#include "platform/db/ntx_page.h"

namespace zel::db {

inline constexpr uint64_t kNtxLockOffset = 1000000000;

struct NtxEntry {
  std::string key;
  uint32_t recno = 0;
  bool operator==(const NtxEntry&) const = default;
};

struct NtxSeek {
  bool found = false;            // a key equal to (or starting with) the probe
  std::optional<NtxEntry> entry; // where the seek stopped; empty at end of index
};

struct NtxStats {
  uint64_t keys = 0;
  uint32_t pages = 0;      // tree pages, root included
  uint32_t depth = 0;      // levels; 1 for a lone root
  uint32_t freePages = 0;  // pages on the free chain
};

class NtxIndex {
 public:
  // Creates (or empties) the file: the header and one empty root page. The
  // page capacity follows the key size (ntxMaxItems).
  static Result<std::unique_ptr<NtxIndex>> create(Env& env, const std::string& path,
                                                  const KeyExpr& key, bool unique);
  // Opens an existing file and validates its header. The key expression is
  // read from the file (keyText()); the caller parses it against the table's
  // fields and may compare it with matches().
  static Result<std::unique_ptr<NtxIndex>> open(Env& env, const std::string& path,
                                                bool readOnly = false);
  // The same over a file the caller opened; `name` is used in messages.
  static Result<std::unique_ptr<NtxIndex>> create(std::unique_ptr<File> file, std::string name,
                                                  const KeyExpr& key, bool unique);
  static Result<std::unique_ptr<NtxIndex>> open(std::unique_ptr<File> file, std::string name);

  NtxIndex(const NtxIndex&) = delete;
  NtxIndex& operator=(const NtxIndex&) = delete;
  ~NtxIndex();

  const std::string& keyText() const { return hdr_.keyText; }
  int keySize() const { return hdr_.keySize; }
  int keyDecimals() const { return hdr_.keyDecimals; }
  bool unique() const { return hdr_.unique; }
  int maxItems() const { return hdr_.maxItems; }
  uint16_t version() const { return hdr_.version; }
  const std::string& name() const { return name_; }
  // How many entries the file can hold at most (bounds walks over it).
  uint64_t maxEntries() const { return (fileSize_ / kNtxPageSize + 1) * (hdr_.maxItems + 1u); }
  // Corruption when the file's key size or decimals differ from `key`'s.
  Status matches(const KeyExpr& key) const;

  // Adds an entry. `key` must be keySize() bytes. In a unique index a key
  // that is already present is not added again (the first record keeps it).
  Status insert(std::string_view key, uint32_t recno);
  // Removes the entry; NotFound when it is not there.
  Status remove(std::string_view key, uint32_t recno);

  // Positioning. An empty optional means there is no such entry.
  Result<std::optional<NtxEntry>> first();
  Result<std::optional<NtxEntry>> last();
  Result<std::optional<NtxEntry>> next(const NtxEntry& at);
  Result<std::optional<NtxEntry>> prev(const NtxEntry& at);
  // Finds the first entry whose key starts with `key` (a shorter key is a
  // partial key). Not found: `entry` is the next greater entry when `soft`,
  // else empty.
  Result<NtxSeek> seek(std::string_view key, bool soft);

  // Replaces the whole content with `entries`, sorted by key (equal keys in
  // the order given), writing full pages bottom-up.
  Status build(const std::vector<NtxEntry>& entries);
  // The same from `count` items in one buffer, each keySize() key bytes then
  // the record number (u32, little endian), already in order.
  Status build(const char* items, size_t count);

  // Calls `fn` for every entry in order until it returns false.
  Status walk(const std::function<bool(const NtxEntry&)>& fn);

  // Checks the structure: pages inside the file, key counts within bounds,
  // keys in order, leaves at one depth, no page reached twice, a sound free
  // chain, and (when lastRec > 0) record numbers in 1..lastRec.
  Result<NtxStats> check(uint32_t lastRec = 0);

  // Keeps changes in memory until commit() (see above); turning it off
  // commits first.
  Status setDeferred(bool on);
  bool deferred() const { return deferred_; }
  // Writes the pages and header changed in memory (deferred use), pages in
  // offset order and in large writes, the header last.
  Status commit();

  // Holds the update lock (exclusive) across several calls; nests.
  Status beginUpdate();
  void endUpdate();
  // Holds the lock shared across several reading calls; nests.
  Status beginRead();
  void endRead();

  class UpdateGuard {
   public:
    explicit UpdateGuard(NtxIndex& ix) : ix_(ix), status_(ix.beginUpdate()) {}
    ~UpdateGuard() {
      if (status_.ok()) ix_.endUpdate();
    }
    UpdateGuard(const UpdateGuard&) = delete;
    UpdateGuard& operator=(const UpdateGuard&) = delete;
    const Status& status() const { return status_; }

   private:
    NtxIndex& ix_;
    Status status_;
  };

 private:
  struct Step {
    uint32_t page;
    size_t idx;
  };
  using Path = std::vector<Step>;
  class Scope;

  NtxIndex(std::unique_ptr<File> file, std::string name);

  Status acquire(bool exclusive);
  void release(bool exclusive);
  // Takes the update lock and, when asked, re-reads what another process changed;
  // the lock is let go again when the re-read fails.
  Status lockAndRefresh(LockKind kind, bool refreshToo);
  Status refresh();
  Status readHeaderFromDisk(NtxHeader* h);
  Status writeHeader(bool countVersion = true);
  Result<const NtxPage*> page(uint32_t off);
  Status writePage(uint32_t off, NtxPage p);
  Result<std::string> readFreePage(uint32_t off);
  Result<uint32_t> allocPage();
  Status freePage(uint32_t off);
  void dropCache();
  Status corrupt(const std::string& what) const;

  // Path helpers. Positions are (page, index) steps from the root; the last
  // step names a key of its page.
  Status descendEdge(Path& path, uint32_t off, bool leftmost);
  // Path to the last key of the index (empty when there is none).
  Status descendToLast(Path& path);
  Status lowerBound(Path& path, const std::function<bool(const NtxPage&, size_t)>& less);
  Status settleForward(Path& path);
  Status stepNext(Path& path);
  Status stepPrev(Path& path);
  Result<bool> locate(Path& path, std::string_view key, uint32_t recno);
  // Path to `at`: the cursor's when it stands there, else locate()'s answer.
  Result<bool> pathTo(const NtxEntry& at, Path& path);
  Result<std::optional<NtxEntry>> entryAt(const Path& path);
  Result<std::optional<NtxEntry>> remember(Path path);

  Status insertLocked(std::string_view key, uint32_t recno);
  Status removeLocked(std::string_view key, uint32_t recno);
  Status rebalance(Path& path);

  std::unique_ptr<File> file_;
  std::string name_;
  NtxHeader hdr_;
  uint64_t fileSize_ = 0;
  // Decoded pages by page number (offsets are bounded by the file size):
  // a direct lookup, as every key of a descent goes through it.
  class PageCache {
   public:
    NtxPage* find(uint32_t off) {
      size_t i = off / kNtxPageSize;
      return i < slots_.size() ? slots_[i].get() : nullptr;
    }
    NtxPage& put(uint32_t off, NtxPage p) {
      size_t i = off / kNtxPageSize;
      if (i >= slots_.size()) slots_.resize(i + 1 + i / 2);
      if (!slots_[i]) {
        ++size_;
        slots_[i] = std::make_unique<NtxPage>(std::move(p));
      } else {
        *slots_[i] = std::move(p);
      }
      return *slots_[i];
    }
    void erase(uint32_t off) {
      size_t i = off / kNtxPageSize;
      if (i < slots_.size() && slots_[i]) {
        slots_[i].reset();
        --size_;
      }
    }
    void clear() {
      if (size_ > 0) slots_.clear();
      size_ = 0;
    }
    size_t size() const { return size_; }

   private:
    std::vector<std::unique_ptr<NtxPage>> slots_;
    size_t size_ = 0;
  };
  PageCache cache_;
  int readDepth_ = 0;
  int updateDepth_ = 0;
  // Position of the last entry handed out, so that next()/prev() from it
  // step without a new descent.
  Path cursor_;
  std::optional<NtxEntry> cursorEntry_;
  // Deferred use: pages (in cache_) and free pages changed in memory only.
  bool deferred_ = false;
  bool headerDirty_ = false;
  // Pages changed in memory only, by page number.
  std::vector<bool> dirty_;
  size_t dirtyCount_ = 0;
  void markDirty(uint32_t off);
  void markClean(uint32_t off);
  std::unordered_map<uint32_t, std::string> freeDirty_;
};

}  // namespace zel::db
