#include "platform/db/ntx.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <unordered_set>

namespace zel::db {

namespace {

// Beyond this many decoded pages the cache starts afresh (at call start).
constexpr size_t kMaxCachedPages = 4096;
// The same in deferred use, where a dropped page costs a read and a write.
constexpr size_t kMaxDeferredPages = 131072;
// Build writes its pages in chunks of this many bytes.
constexpr size_t kBuildChunk = 256 * 1024;

std::string num(uint64_t v) { return std::to_string(v); }

// Deeper than this no B-tree of 1 KB pages gets before its offsets overflow.
constexpr size_t kMaxTreeDepth = 64;

// The first eight bytes of a key as a number that orders like the bytes.
uint64_t head8(std::string_view k) {
  uint64_t v = 0;
  std::memcpy(&v, k.data(), std::min<size_t>(8, k.size()));
  return __builtin_bswap64(v);
}

bool entryLess(std::string_view k1, uint32_t r1, std::string_view k2, uint32_t r2) {
  // Most keys differ in their first bytes: one integer compare settles them.
  if (k1.size() >= 8 && k2.size() >= 8) {
    uint64_t a = head8(k1), b = head8(k2);
    if (a != b) return a < b;
  }
  int c = k1.compare(k2);
  return c < 0 || (c == 0 && r1 < r2);
}

}  // namespace

// Holds the index lock for the length of one public call.
class NtxIndex::Scope {
 public:
  Scope(NtxIndex& ix, bool exclusive) : ix_(ix), exclusive_(exclusive) {
    status_ = ix_.acquire(exclusive_);
  }
  ~Scope() {
    if (status_.ok()) ix_.release(exclusive_);
  }
  const Status& status() const { return status_; }

 private:
  NtxIndex& ix_;
  bool exclusive_;
  Status status_;
};

#define NTX_SCOPE(exclusive)              \
  Scope scope_(*this, exclusive);         \
  if (!scope_.status().ok()) return scope_.status()

NtxIndex::NtxIndex(std::unique_ptr<File> file, std::string name)
    : file_(std::move(file)), name_(std::move(name)) {}

NtxIndex::~NtxIndex() {
  (void)commit();
  if (readDepth_ > 0 || updateDepth_ > 0) (void)file_->unlock(kNtxLockOffset, 1);
}

Status NtxIndex::corrupt(const std::string& what) const {
  return Status::Corruption(name_ + ": " + what);
}

// ---------------------------------------------------------------- opening

Result<std::unique_ptr<NtxIndex>> NtxIndex::create(Env& env, const std::string& path,
                                                   const KeyExpr& key, bool unique) {
  OpenOptions o;
  o.create = true;
  auto f = env.open(path, o);
  if (!f.ok()) return f.status();
  return create(std::move(*f), path, key, unique);
}

Result<std::unique_ptr<NtxIndex>> NtxIndex::open(Env& env, const std::string& path,
                                                 bool readOnly) {
  OpenOptions o;
  o.readOnly = readOnly;
  auto f = env.open(path, o);
  if (!f.ok()) return f.status();
  return open(std::move(*f), path);
}

Result<std::unique_ptr<NtxIndex>> NtxIndex::create(std::unique_ptr<File> file, std::string name,
                                                   const KeyExpr& key, bool unique) {
  if (key.keySize() < 1 || key.keySize() > kMaxKeySize || ntxMaxItems(key.keySize()) < 2)
    return Status::InvalidArgument(name + ": key size " + num(key.keySize()) + " out of range");
  if (key.text().empty() || key.text().size() >= kNtxKeyTextSize)
    return Status::InvalidArgument(name + ": key expression too long");
  std::unique_ptr<NtxIndex> ix(new NtxIndex(std::move(file), std::move(name)));
  NtxHeader& h = ix->hdr_;
  h.signature = 6;
  h.version = 1;
  h.root = kNtxPageSize;
  h.freePage = 0;
  h.keySize = static_cast<uint16_t>(key.keySize());
  h.keyDecimals = static_cast<uint16_t>(key.keyDecimals());
  h.maxItems = ntxMaxItems(key.keySize());
  h.halfPage = static_cast<uint16_t>(h.maxItems / 2);
  h.keyText = key.text();
  h.unique = unique;
  ZEL_RETURN_IF_ERROR(ix->file_->lock(kNtxLockOffset, 1, LockKind::kExclusive));
  Status s = ix->file_->truncate(0);
  if (s.ok()) s = ix->file_->write(0, encodeNtxHeader(h) + encodeNtxPage(NtxPage(h.keySize), h));
  (void)ix->file_->unlock(kNtxLockOffset, 1);
  ZEL_RETURN_IF_ERROR(s);
  ix->fileSize_ = 2 * kNtxPageSize;
  return ix;
}

Result<std::unique_ptr<NtxIndex>> NtxIndex::open(std::unique_ptr<File> file, std::string name) {
  std::unique_ptr<NtxIndex> ix(new NtxIndex(std::move(file), std::move(name)));
  ZEL_RETURN_IF_ERROR(ix->readHeaderFromDisk(&ix->hdr_));
  if (ix->hdr_.descending)
    return Status::NotSupported(ix->name_ + ": descending indexes are not supported");
  return ix;
}

Status NtxIndex::matches(const KeyExpr& key) const {
  if (key.keySize() != hdr_.keySize || key.keyDecimals() != hdr_.keyDecimals)
    return corrupt("key size " + num(hdr_.keySize) + "," + num(hdr_.keyDecimals) +
                   " does not match \"" + key.text() + "\" (" + num(key.keySize()) + "," +
                   num(key.keyDecimals()) + ")");
  return Status::OK();
}

// ------------------------------------------------------- locks and caching

Status NtxIndex::beginUpdate() { return acquire(true); }
void NtxIndex::endUpdate() { release(true); }
Status NtxIndex::beginRead() { return acquire(false); }
void NtxIndex::endRead() { release(false); }

Status NtxIndex::acquire(bool exclusive) {
  if (deferred_) {
    // Alone with the file: no lock, nothing to re-read. The cache is only
    // bounded, so write what it holds before dropping it.
    if (updateDepth_ == 0 && readDepth_ == 0 && cache_.size() > kMaxDeferredPages) {
      ZEL_RETURN_IF_ERROR(commit());
      dropCache();
    }
    ++(exclusive ? updateDepth_ : readDepth_);
    return Status::OK();
  }
  if (exclusive) {
    if (updateDepth_ == 0) {
      ZEL_RETURN_IF_ERROR(lockAndRefresh(LockKind::kExclusive, readDepth_ == 0));
    }
    ++updateDepth_;
    return Status::OK();
  }
  if (updateDepth_ == 0 && readDepth_ == 0) {
    ZEL_RETURN_IF_ERROR(lockAndRefresh(LockKind::kShared, true));
  }
  ++readDepth_;
  return Status::OK();
}

Status NtxIndex::lockAndRefresh(LockKind kind, bool refreshToo) {
  ZEL_RETURN_IF_ERROR(file_->lock(kNtxLockOffset, 1, kind));
  if (!refreshToo) return Status::OK();
  Status s = refresh();
  if (!s.ok()) (void)file_->unlock(kNtxLockOffset, 1);
  return s;
}

void NtxIndex::release(bool exclusive) {
  if (deferred_) {
    --(exclusive ? updateDepth_ : readDepth_);
    return;
  }
  if (exclusive) {
    if (--updateDepth_ > 0) return;
    if (readDepth_ > 0)
      (void)file_->lock(kNtxLockOffset, 1, LockKind::kShared);
    else
      (void)file_->unlock(kNtxLockOffset, 1);
    return;
  }
  if (--readDepth_ == 0 && updateDepth_ == 0) (void)file_->unlock(kNtxLockOffset, 1);
}

Status NtxIndex::readHeaderFromDisk(NtxHeader* h) {
  auto size = file_->size();
  if (!size.ok()) return size.status();
  std::string buf(kNtxPageSize, '\0');
  size_t got = 0;
  ZEL_RETURN_IF_ERROR(file_->read(0, kNtxPageSize, buf.data(), &got));
  buf.resize(got);
  auto d = decodeNtxHeader(buf, *size);
  if (!d.ok()) return corrupt(d.status().message());
  if (fileSize_ != *size) dropCache();
  fileSize_ = *size;
  *h = std::move(*d);
  return Status::OK();
}

Status NtxIndex::refresh() {
  NtxHeader h;
  ZEL_RETURN_IF_ERROR(readHeaderFromDisk(&h));
  if (h.version != hdr_.version || h.root != hdr_.root || h.freePage != hdr_.freePage ||
      h.keySize != hdr_.keySize || h.maxItems != hdr_.maxItems || cache_.size() > kMaxCachedPages)
    dropCache();
  hdr_ = std::move(h);
  return Status::OK();
}

void NtxIndex::dropCache() {
  cache_.clear();
  cursor_.clear();
  cursorEntry_.reset();
}

Status NtxIndex::writeHeader(bool countVersion) {
  if (deferred_) {
    headerDirty_ = true;
    return Status::OK();
  }
  if (countVersion) ++hdr_.version;
  std::string h = encodeNtxHeader(hdr_);
  // Only the fields this code owns: other writers may keep more up there.
  return file_->write(0, std::string_view(h).substr(0, 22));
}

Result<const NtxPage*> NtxIndex::page(uint32_t off) {
  if (const NtxPage* hit = cache_.find(off)) return hit;
  if (off == 0 || off % kNtxPageSize != 0 || off + uint64_t{kNtxPageSize} > fileSize_)
    return corrupt("page offset " + num(off) + " is not a page of the file");
  std::string buf(kNtxPageSize, '\0');
  size_t got = 0;
  ZEL_RETURN_IF_ERROR(file_->read(off, kNtxPageSize, buf.data(), &got));
  if (got < kNtxPageSize) return corrupt("page " + num(off) + " is cut short");
  auto p = decodeNtxPage(buf, hdr_, off, fileSize_);
  if (!p.ok()) return corrupt(p.status().message());
  return &cache_.put(off, std::move(*p));
}

Status NtxIndex::writePage(uint32_t off, NtxPage p) {
  if (p.count() > hdr_.maxItems) return corrupt("page overflow while writing");
  if (deferred_) {
    markDirty(off);
    freeDirty_.erase(off);
  } else {
    ZEL_RETURN_IF_ERROR(file_->write(off, encodeNtxPage(p, hdr_)));
  }
  fileSize_ = std::max<uint64_t>(fileSize_, off + uint64_t{kNtxPageSize});
  cache_.put(off, std::move(p));
  return Status::OK();
}

void NtxIndex::markDirty(uint32_t off) {
  size_t i = off / kNtxPageSize;
  if (i >= dirty_.size()) dirty_.resize(i + 1 + i / 2);
  if (!dirty_[i]) ++dirtyCount_;
  dirty_[i] = true;
}

void NtxIndex::markClean(uint32_t off) {
  size_t i = off / kNtxPageSize;
  if (i < dirty_.size() && dirty_[i]) {
    dirty_[i] = false;
    --dirtyCount_;
  }
}

Status NtxIndex::setDeferred(bool on) {
  if (!on) ZEL_RETURN_IF_ERROR(commit());
  deferred_ = on;
  return Status::OK();
}

Status NtxIndex::commit() {
  if (dirtyCount_ == 0 && freeDirty_.empty() && !headerDirty_) return Status::OK();
  std::map<uint32_t, std::string_view> out;
  std::vector<std::string> encoded;
  encoded.reserve(dirtyCount_);
  for (size_t i = 0; i < dirty_.size(); ++i) {
    if (!dirty_[i]) continue;
    const uint32_t off = static_cast<uint32_t>(i * kNtxPageSize);
    const NtxPage* pg = cache_.find(off);
    if (!pg) return corrupt("changed page " + num(off) + " left the cache");
    encoded.push_back(encodeNtxPage(*pg, hdr_));
    out[off] = encoded.back();
  }
  for (auto& [off, bytes] : freeDirty_) out[off] = bytes;
  // Runs of adjacent pages go out in one write.
  std::string run;
  uint64_t runAt = 0;
  for (auto& [off, bytes] : out) {
    if (!run.empty() && (runAt + run.size() != off || run.size() >= kBuildChunk)) {
      ZEL_RETURN_IF_ERROR(file_->write(runAt, run));
      run.clear();
    }
    if (run.empty()) runAt = off;
    run.append(bytes);
  }
  if (!run.empty()) ZEL_RETURN_IF_ERROR(file_->write(runAt, run));
  dirty_.clear();
  dirtyCount_ = 0;
  freeDirty_.clear();
  headerDirty_ = false;
  bool was = deferred_;
  deferred_ = false;
  Status s = writeHeader();
  deferred_ = was;
  return s;
}

Result<std::string> NtxIndex::readFreePage(uint32_t off) {
  auto it = freeDirty_.find(off);
  if (it != freeDirty_.end()) return it->second;
  std::string buf(kNtxPageSize, '\0');
  size_t got = 0;
  ZEL_RETURN_IF_ERROR(file_->read(off, kNtxPageSize, buf.data(), &got));
  buf.resize(got);
  return buf;
}

Result<uint32_t> NtxIndex::allocPage() {
  if (hdr_.freePage != 0) {
    uint32_t off = hdr_.freePage;
    auto buf = readFreePage(off);
    if (!buf.ok()) return buf.status();
    auto next = decodeNtxFreeNext(*buf, hdr_, off, fileSize_);
    if (!next.ok()) return corrupt(next.status().message());
    if (*next == off || off == hdr_.root || cache_.find(off) != nullptr)
      return corrupt("free chain reaches page " + num(off) + ", which is in use");
    hdr_.freePage = *next;
    cache_.erase(off);
    return off;
  }
  uint64_t off = (fileSize_ + kNtxPageSize - 1) / kNtxPageSize * kNtxPageSize;
  if (off + kNtxPageSize > UINT32_MAX) return Status::IOError(name_ + ": index file full");
  fileSize_ = off + kNtxPageSize;
  return static_cast<uint32_t>(off);
}

Status NtxIndex::freePage(uint32_t off) {
  if (deferred_) {
    freeDirty_[off] = encodeNtxFreePage(hdr_.freePage, hdr_);
    markClean(off);
  } else {
    ZEL_RETURN_IF_ERROR(file_->write(off, encodeNtxFreePage(hdr_.freePage, hdr_)));
  }
  hdr_.freePage = off;
  cache_.erase(off);
  return Status::OK();
}

// ------------------------------------------------------------ positioning

Status NtxIndex::descendEdge(Path& path, uint32_t off, bool leftmost) {
  const size_t maxDepth = std::min<size_t>(fileSize_ / kNtxPageSize + 1, kMaxTreeDepth);
  while (true) {
    if (path.size() > maxDepth) return corrupt("pages nest deeper than the file allows");
    auto p = page(off);
    if (!p.ok()) return p.status();
    const NtxPage& pg = **p;
    size_t idx = leftmost ? 0 : pg.count();
    path.push_back({off, idx});
    if (pg.leaf()) return Status::OK();
    off = pg.child(idx);
  }
}

Status NtxIndex::settleForward(Path& path) {
  while (!path.empty()) {
    auto p = page(path.back().page);
    if (!p.ok()) return p.status();
    if (path.back().idx < (*p)->count()) return Status::OK();
    path.pop_back();
  }
  return Status::OK();
}

Status NtxIndex::lowerBound(Path& path, const std::function<bool(const NtxPage&, size_t)>& less) {
  path.clear();
  const size_t maxDepth = std::min<size_t>(fileSize_ / kNtxPageSize + 1, kMaxTreeDepth);
  uint32_t off = hdr_.root;
  while (true) {
    if (path.size() > maxDepth) return corrupt("pages nest deeper than the file allows");
    auto p = page(off);
    if (!p.ok()) return p.status();
    const NtxPage& pg = **p;
    size_t lo = 0, hi = pg.count();
    while (lo < hi) {
      size_t mid = (lo + hi) / 2;
      if (less(pg, mid))
        lo = mid + 1;
      else
        hi = mid;
    }
    path.push_back({off, lo});
    if (pg.leaf()) break;
    off = pg.child(lo);
  }
  return settleForward(path);
}

Status NtxIndex::stepNext(Path& path) {
  if (path.empty()) return Status::OK();
  auto p = page(path.back().page);
  if (!p.ok()) return p.status();
  const NtxPage& pg = **p;
  size_t i = ++path.back().idx;
  if (!pg.leaf() && i <= pg.count()) ZEL_RETURN_IF_ERROR(descendEdge(path, pg.child(i), true));
  return settleForward(path);
}

Status NtxIndex::stepPrev(Path& path) {
  if (path.empty()) return Status::OK();
  auto p = page(path.back().page);
  if (!p.ok()) return p.status();
  const NtxPage& pg = **p;
  if (!pg.leaf() && path.back().idx <= pg.count())
    ZEL_RETURN_IF_ERROR(descendEdge(path, pg.child(path.back().idx), false));
  // Now the last step names the gap after the wanted key.
  while (!path.empty() && path.back().idx == 0) path.pop_back();
  if (!path.empty()) --path.back().idx;
  return Status::OK();
}

Result<std::optional<NtxEntry>> NtxIndex::entryAt(const Path& path) {
  if (path.empty()) return std::optional<NtxEntry>();
  auto p = page(path.back().page);
  if (!p.ok()) return p.status();
  const NtxPage& pg = **p;
  size_t i = path.back().idx;
  if (i >= pg.count()) return corrupt("position outside page " + num(path.back().page));
  return std::optional<NtxEntry>(NtxEntry{std::string(pg.key(i)), pg.recno(i)});
}

Result<std::optional<NtxEntry>> NtxIndex::remember(Path path) {
  auto e = entryAt(path);
  if (!e.ok()) return e;
  cursor_ = std::move(path);
  cursorEntry_ = *e;
  return e;
}

Result<bool> NtxIndex::locate(Path& path, std::string_view key, uint32_t recno) {
  ZEL_RETURN_IF_ERROR(lowerBound(path, [&](const NtxPage& pg, size_t i) { return pg.key(i) < key; }));
  // Equal keys may sit in any record order in files written elsewhere.
  uint64_t budget = (fileSize_ / kNtxPageSize + 1) * (hdr_.maxItems + 1u);
  while (!path.empty()) {
    if (budget-- == 0) return corrupt("more keys than the file can hold");
    auto e = entryAt(path);
    if (!e.ok()) return e.status();
    if ((*e)->key != key) break;
    if ((*e)->recno == recno) return true;
    ZEL_RETURN_IF_ERROR(stepNext(path));
  }
  ZEL_RETURN_IF_ERROR(lowerBound(path, [&](const NtxPage& pg, size_t i) {
    return entryLess(pg.key(i), pg.recno(i), key, recno);
  }));
  return false;
}

Result<std::optional<NtxEntry>> NtxIndex::first() {
  NTX_SCOPE(false);
  Path path;
  ZEL_RETURN_IF_ERROR(descendEdge(path, hdr_.root, true));
  ZEL_RETURN_IF_ERROR(settleForward(path));
  return remember(std::move(path));
}

Status NtxIndex::descendToLast(Path& path) {
  ZEL_RETURN_IF_ERROR(descendEdge(path, hdr_.root, false));
  while (!path.empty() && path.back().idx == 0) path.pop_back();
  if (!path.empty()) --path.back().idx;
  return Status::OK();
}

Result<std::optional<NtxEntry>> NtxIndex::last() {
  NTX_SCOPE(false);
  Path path;
  ZEL_RETURN_IF_ERROR(descendToLast(path));
  return remember(std::move(path));
}

Result<bool> NtxIndex::pathTo(const NtxEntry& at, Path& path) {
  if (cursorEntry_ && *cursorEntry_ == at) {
    path = cursor_;
    return true;
  }
  return locate(path, at.key, at.recno);
}

Result<std::optional<NtxEntry>> NtxIndex::next(const NtxEntry& at) {
  NTX_SCOPE(false);
  Path path;
  auto found = pathTo(at, path);
  if (!found.ok()) return found.status();
  if (!*found) return remember(std::move(path));  // already on the next greater
  ZEL_RETURN_IF_ERROR(stepNext(path));
  return remember(std::move(path));
}

Result<std::optional<NtxEntry>> NtxIndex::prev(const NtxEntry& at) {
  NTX_SCOPE(false);
  Path path;
  auto found = pathTo(at, path);
  if (!found.ok()) return found.status();
  if (!*found && path.empty()) {  // beyond every key: the last one
    ZEL_RETURN_IF_ERROR(descendToLast(path));
    return remember(std::move(path));
  }
  ZEL_RETURN_IF_ERROR(stepPrev(path));
  return remember(std::move(path));
}

Result<NtxSeek> NtxIndex::seek(std::string_view key, bool soft) {
  NTX_SCOPE(false);
  std::string_view probe = key.substr(0, std::min<size_t>(key.size(), hdr_.keySize));
  Path path;
  ZEL_RETURN_IF_ERROR(lowerBound(path, [&](const NtxPage& pg, size_t i) {
    return std::memcmp(pg.keyData(i), probe.data(), probe.size()) < 0;
  }));
  auto e = remember(std::move(path));
  if (!e.ok()) return e.status();
  NtxSeek r;
  r.found = e->has_value() && (*e)->key.compare(0, probe.size(), probe) == 0;
  if (r.found || soft) r.entry = *e;
  return r;
}

Status NtxIndex::walk(const std::function<bool(const NtxEntry&)>& fn) {
  NTX_SCOPE(false);
  Path path;
  ZEL_RETURN_IF_ERROR(descendEdge(path, hdr_.root, true));
  ZEL_RETURN_IF_ERROR(settleForward(path));
  uint64_t budget = (fileSize_ / kNtxPageSize + 1) * (hdr_.maxItems + 1u);
  while (!path.empty()) {
    if (budget-- == 0) return corrupt("more keys than the file can hold");
    auto e = entryAt(path);
    if (!e.ok()) return e.status();
    if (!fn(**e)) break;
    ZEL_RETURN_IF_ERROR(stepNext(path));
  }
  return Status::OK();
}

// ---------------------------------------------------------------- updates

Status NtxIndex::insert(std::string_view key, uint32_t recno) {
  NTX_SCOPE(true);
  if (key.size() != hdr_.keySize)
    return Status::InvalidArgument(name_ + ": key of " + num(key.size()) + " bytes, index keys have " +
                                   num(hdr_.keySize));
  if (recno == 0) return Status::InvalidArgument(name_ + ": record number 0");
  cursorEntry_.reset();
  Status s = insertLocked(key, recno);
  Status h = writeHeader();
  return s.ok() ? h : s;
}

Status NtxIndex::insertLocked(std::string_view key, uint32_t recno) {
  if (hdr_.unique) {
    Path probe;
    ZEL_RETURN_IF_ERROR(lowerBound(probe, [&](const NtxPage& pg, size_t i) { return pg.key(i) < key; }));
    auto e = entryAt(probe);
    if (!e.ok()) return e.status();
    if (e->has_value() && (*e)->key == key) return Status::OK();
  }
  Path path;
  path.reserve(8);
  const size_t maxDepth = std::min<size_t>(fileSize_ / kNtxPageSize + 1, kMaxTreeDepth);
  uint32_t off = hdr_.root;
  while (true) {
    if (path.size() > maxDepth) return corrupt("pages nest deeper than the file allows");
    auto p = page(off);
    if (!p.ok()) return p.status();
    const NtxPage& pg = **p;
    size_t lo = 0, hi = pg.count();
    while (lo < hi) {  // after every equal entry with a lower record number
      size_t mid = (lo + hi) / 2;
      if (!entryLess(key, recno, pg.key(mid), pg.recno(mid)))
        lo = mid + 1;
      else
        hi = mid;
    }
    path.push_back({off, lo});
    if (pg.leaf()) break;
    off = pg.child(lo);
  }

  // The left halves of split pages are written last, top down: until then
  // their old, full contents keep every key reachable.
  std::vector<std::pair<uint32_t, NtxPage>> lefts;
  auto writeLefts = [&]() -> Status {
    for (auto it = lefts.rbegin(); it != lefts.rend(); ++it)
      ZEL_RETURN_IF_ERROR(writePage(it->first, it->second));
    return Status::OK();
  };
  // The key going up; a split copies its middle key here.
  char upBuf[512];
  std::string_view upKey = key;
  uint32_t upRec = recno, upChild = 0;
  for (size_t level = path.size(); level-- > 0;) {
    auto p = page(path[level].page);
    if (!p.ok()) return p.status();
    size_t i = path[level].idx;
    if (deferred_ && (*p)->count() < hdr_.maxItems) {
      // Nothing to write yet: the cached page takes the key in place.
      cache_.find(path[level].page)->insert(i, upKey, upRec, upChild);
      markDirty(path[level].page);
      return writeLefts();
    }
    NtxPage pg = **p;
    pg.insert(i, upKey, upRec, upChild);
    if (pg.count() <= hdr_.maxItems) {
      ZEL_RETURN_IF_ERROR(writePage(path[level].page, std::move(pg)));
      return writeLefts();
    }
    // Split: the middle key moves up, the right half goes to a new page.
    size_t mid = pg.count() / 2;
    NtxPage right = pg.tail(mid + 1);
    std::memcpy(upBuf, pg.keyData(mid), hdr_.keySize);
    upKey = std::string_view(upBuf, hdr_.keySize);
    upRec = pg.recno(mid);
    pg.truncate(mid);
    auto roff = allocPage();
    if (!roff.ok()) return roff.status();
    ZEL_RETURN_IF_ERROR(writePage(*roff, std::move(right)));
    lefts.emplace_back(path[level].page, std::move(pg));
    upChild = *roff;
  }
  NtxPage root(hdr_.keySize, hdr_.root);
  root.insert(0, upKey, upRec, upChild);
  auto r = allocPage();
  if (!r.ok()) return r.status();
  ZEL_RETURN_IF_ERROR(writePage(*r, std::move(root)));
  hdr_.root = *r;
  ZEL_RETURN_IF_ERROR(writeHeader(false));
  return writeLefts();
}

Status NtxIndex::remove(std::string_view key, uint32_t recno) {
  NTX_SCOPE(true);
  cursorEntry_.reset();
  Status s = removeLocked(key, recno);
  if (s.isNotFound()) return s;
  Status h = writeHeader();
  return s.ok() ? h : s;
}

Status NtxIndex::removeLocked(std::string_view key, uint32_t recno) {
  Path path;
  auto found = locate(path, key, recno);
  if (!found.ok()) return found.status();
  if (!*found) return Status::NotFound(name_ + ": no such index entry");

  auto hp = page(path.back().page);
  if (!hp.ok()) return hp.status();
  if (!(*hp)->leaf()) {
    // A key in a branch is replaced by its predecessor, the last key of the
    // right-most leaf of its left subtree; that leaf then loses it.
    NtxPage holder = **hp;
    size_t i = path.back().idx;
    uint32_t holderOff = path.back().page;
    ZEL_RETURN_IF_ERROR(descendEdge(path, holder.child(i), false));
    auto lp = page(path.back().page);
    if (!lp.ok()) return lp.status();
    if ((*lp)->count() == 0) return corrupt("empty leaf page " + num(path.back().page));
    const size_t lastKey = (*lp)->count() - 1;
    holder.setEntry(i, (*lp)->key(lastKey), (*lp)->recno(lastKey));
    path.back().idx = (*lp)->count() - 1;
    ZEL_RETURN_IF_ERROR(writePage(holderOff, std::move(holder)));
  }
  auto lp = page(path.back().page);
  if (!lp.ok()) return lp.status();
  NtxPage leaf = **lp;
  size_t i = path.back().idx;
  leaf.erase(i);
  ZEL_RETURN_IF_ERROR(writePage(path.back().page, std::move(leaf)));
  return rebalance(path);
}

Status NtxIndex::rebalance(Path& path) {
  const size_t minKeys = hdr_.maxItems / 2;
  for (size_t level = path.size() - 1; level > 0; --level) {
    const uint32_t off = path[level].page;
    auto cp = page(off);
    if (!cp.ok()) return cp.status();
    NtxPage cur = **cp;
    if (cur.count() >= minKeys) break;
    const uint32_t poff = path[level - 1].page;
    auto pp = page(poff);
    if (!pp.ok()) return pp.status();
    NtxPage par = **pp;
    const size_t ci = path[level - 1].idx;
    if (ci > par.count() || par.child(ci) != off)
      return corrupt("page " + num(poff) + " lost track of child " + num(off));

    std::optional<NtxPage> left, right;
    if (ci > 0) {
      auto p = page(par.child(ci - 1));
      if (!p.ok()) return p.status();
      left = **p;
    }
    if (ci < par.count()) {
      auto p = page(par.child(ci + 1));
      if (!p.ok()) return p.status();
      right = **p;
    }
    if ((left && left->leaf() != cur.leaf()) || (right && right->leaf() != cur.leaf()))
      return corrupt("leaves at different depths under page " + num(poff));

    if (left && left->count() > minKeys) {  // borrow through the parent from the left
      const size_t ln = left->count();
      cur.insertLeft(0, par.key(ci - 1), par.recno(ci - 1), left->child(ln));
      par.setEntry(ci - 1, left->key(ln - 1), left->recno(ln - 1));
      left->truncate(ln - 1);
      ZEL_RETURN_IF_ERROR(writePage(off, cur));
      ZEL_RETURN_IF_ERROR(writePage(poff, par));
      return writePage(par.child(ci - 1), *left);
    }
    if (right && right->count() > minKeys) {  // and from the right
      cur.insert(cur.count(), par.key(ci), par.recno(ci), right->child(0));
      par.setEntry(ci, right->key(0), right->recno(0));
      right->eraseLeft(0);
      ZEL_RETURN_IF_ERROR(writePage(off, cur));
      ZEL_RETURN_IF_ERROR(writePage(poff, par));
      return writePage(par.child(ci + 1), *right);
    }
    // Merge with a sibling and the key between them; the parent loses one.
    size_t sep;
    NtxPage* into;
    NtxPage* from;
    uint32_t intoOff, gone;
    if (left) {
      sep = ci - 1, into = &*left, from = &cur, intoOff = par.child(ci - 1), gone = off;
    } else if (right) {
      sep = ci, into = &cur, from = &*right, intoOff = off, gone = par.child(ci + 1);
    } else {
      break;  // a parent without keys: nothing to merge with
    }
    into->append(par.key(sep), par.recno(sep), *from);
    par.erase(sep);
    ZEL_RETURN_IF_ERROR(writePage(intoOff, *into));
    ZEL_RETURN_IF_ERROR(writePage(poff, par));
    ZEL_RETURN_IF_ERROR(freePage(gone));
  }
  auto rp = page(hdr_.root);
  if (!rp.ok()) return rp.status();
  if ((*rp)->count() == 0 && !(*rp)->leaf()) {  // the tree gets one level lower
    uint32_t old = hdr_.root;
    hdr_.root = (*rp)->child(0);
    ZEL_RETURN_IF_ERROR(writeHeader(false));  // before the old root is overwritten
    ZEL_RETURN_IF_ERROR(freePage(old));
  }
  return Status::OK();
}

Status NtxIndex::build(const std::vector<NtxEntry>& entries) {
  const size_t ks = hdr_.keySize;
  std::string flat;
  flat.reserve(entries.size() * (ks + 4));
  for (size_t i = 0; i < entries.size(); ++i) {
    if (entries[i].key.size() != ks)
      return Status::InvalidArgument(name_ + ": build key " + num(i) + " has the wrong size");
    char r[4];
    putLE32(r, entries[i].recno);
    flat.append(entries[i].key);
    flat.append(r, 4);
  }
  return build(flat.data(), entries.size());
}

Status NtxIndex::build(const char* items, size_t count) {
  NTX_SCOPE(true);
  const size_t ks = hdr_.keySize, stride = ks + 4;
  if (count >= UINT32_MAX) return Status::InvalidArgument(name_ + ": too many keys");
  auto item = [&](size_t i) { return items + i * stride; };
  std::vector<uint32_t> level;  // positions in `items` of the level being written
  level.reserve(count);
  for (size_t i = 0; i < count; ++i) {
    if (i > 0) {
      int c = std::memcmp(item(i - 1), item(i), ks);
      if (c > 0) return Status::InvalidArgument(name_ + ": build keys are not sorted at " + num(i));
      if (c == 0 && hdr_.unique) continue;
    }
    level.push_back(static_cast<uint32_t>(i));
  }

  dropCache();
  dirty_.clear();
  dirtyCount_ = 0;
  freeDirty_.clear();
  ZEL_RETURN_IF_ERROR(file_->truncate(kNtxPageSize));
  fileSize_ = kNtxPageSize;
  hdr_.freePage = 0;
  const size_t m = hdr_.maxItems;
  const size_t base = 2 + 2 * (m + 1), itemSize = hdr_.itemSize();
  uint32_t nextOff = kNtxPageSize;
  std::vector<uint32_t> children;  // of the level being written; empty for leaves
  std::string buf;
  while (true) {
    // As few pages as can hold the level, the keys spread evenly over them;
    // one key between two neighbours moves up a level.
    const size_t n = level.size();
    const size_t pages = n <= m ? 1 : (n + 1 + m) / (m + 1);
    const size_t inPages = n - (pages - 1);
    std::vector<uint32_t> up, offs;
    uint32_t bufOff = nextOff;
    size_t pos = 0, cpos = 0;
    buf.clear();
    for (size_t j = 0; j < pages; ++j) {
      const size_t cnt = inPages / pages + (j < inPages % pages ? 1 : 0);
      const size_t at0 = buf.size();
      buf.resize(at0 + kNtxPageSize, '\0');
      char* p = buf.data() + at0;
      putLE16(p, static_cast<uint16_t>(cnt));
      for (size_t i = 0; i <= m; ++i) {
        const size_t at = base + i * itemSize;
        putLE16(p + 2 + 2 * i, static_cast<uint16_t>(at));
        if (i <= cnt && !children.empty()) putLE32(p + at, children[cpos + i]);
        if (i < cnt) {
          const char* it = item(level[pos + i]);
          std::memcpy(p + at + 4, it + ks, 4);
          std::memcpy(p + at + 8, it, ks);
        }
      }
      pos += cnt;
      if (!children.empty()) cpos += cnt + 1;
      offs.push_back(nextOff);
      nextOff += kNtxPageSize;
      if (j + 1 < pages) up.push_back(level[pos++]);
      if (buf.size() >= kBuildChunk || j + 1 == pages) {
        ZEL_RETURN_IF_ERROR(file_->write(bufOff, buf));
        bufOff = nextOff;
        buf.clear();
      }
    }
    fileSize_ = nextOff;
    if (pages == 1) {
      hdr_.root = offs[0];
      break;
    }
    level = std::move(up);
    children = std::move(offs);
  }
  return writeHeader();
}

// ------------------------------------------------------------------ check

Result<NtxStats> NtxIndex::check(uint32_t lastRec) {
  NTX_SCOPE(false);
  NtxStats st;
  std::unordered_set<uint32_t> seen;
  std::optional<std::string> prevKey;
  int leafDepth = -1;
  const size_t maxDepth = std::min<size_t>(fileSize_ / kNtxPageSize + 1, kMaxTreeDepth);

  std::function<Status(uint32_t, size_t)> visit = [&](uint32_t off, size_t depth) -> Status {
    if (depth > maxDepth) return corrupt("pages nest deeper than the file allows");
    if (!seen.insert(off).second) return corrupt("page " + num(off) + " is reached twice");
    auto p = page(off);
    if (!p.ok()) return p.status();
    const NtxPage pg = **p;
    ++st.pages;
    if (depth > 1 && pg.count() == 0) return corrupt("page " + num(off) + " holds no keys");
    for (size_t i = 0; i <= pg.count(); ++i) {
      if (!pg.leaf()) ZEL_RETURN_IF_ERROR(visit(pg.child(i), depth + 1));
      if (i == pg.count()) break;
      if (prevKey && pg.key(i) < *prevKey)
        return corrupt("keys out of order in page " + num(off) + " item " + num(i));
      prevKey = std::string(pg.key(i));
      uint32_t r = pg.recno(i);
      if (r == 0 || (lastRec > 0 && r > lastRec))
        return corrupt("record number " + num(r) + " in page " + num(off) + " item " + num(i) +
                       " is out of range");
      ++st.keys;
    }
    if (pg.leaf()) {
      if (leafDepth < 0) leafDepth = static_cast<int>(depth);
      if (leafDepth != static_cast<int>(depth))
        return corrupt("leaves at depths " + num(leafDepth) + " and " + num(depth));
    }
    return Status::OK();
  };
  ZEL_RETURN_IF_ERROR(visit(hdr_.root, 1));
  st.depth = static_cast<uint32_t>(leafDepth);

  for (uint32_t off = hdr_.freePage; off != 0;) {
    if (!seen.insert(off).second)
      return corrupt("free page " + num(off) + " is in use or chained twice");
    auto buf = readFreePage(off);
    if (!buf.ok()) return buf.status();
    auto next = decodeNtxFreeNext(*buf, hdr_, off, fileSize_);
    if (!next.ok()) return corrupt(next.status().message());
    ++st.freePages;
    off = *next;
  }
  return st;
}

}  // namespace zel::db
