#include "platform/db/table.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <thread>

#include "platform/db/lock_ranges.h"
#include "platform/sys/text.h"

namespace zel::db {

namespace {

std::atomic<bool> gHideDeleted{false};

// A record held in a string, seen by the key evaluator.
class BytesView : public RecordView {
 public:
  BytesView(const DbfLayout& l, std::string_view rec) : l_(l), rec_(rec) {}
  const std::vector<FieldDef>& fields() const override { return l_.fields; }
  std::string_view raw(int i) const override {
    return rec_.substr(l_.offsets[static_cast<size_t>(i)],
                       static_cast<size_t>(l_.fields[static_cast<size_t>(i)].width));
  }

 private:
  const DbfLayout& l_;
  std::string_view rec_;
};

const Status& statusOf(const Status& s) { return s; }
template <class T>
const Status& statusOf(const Result<T>& r) {
  return r.status();
}

// Another process holds an index's update lock only for the few writes of
// one change, so index calls that meet it try again for up to two seconds
// instead of failing a cursor move. Record and file locks never wait.
template <class F>
auto retryIndex(F&& f) -> decltype(f()) {
  for (int i = 0;; ++i) {
    auto r = f();
    if (!statusOf(r).isLocked() || i >= 4000) return r;
    std::this_thread::sleep_for(std::chrono::microseconds(500));
  }
}

// A file handle shared by an index and its table, so the table can sync the
// index file the index owns.
using SharedFile = FileWrapper;

// Index locks taken for one record change, released on scope exit.
class IndexLocks {
 public:
  ~IndexLocks() {
    for (NtxIndex* ix : held_) ix->endUpdate();
  }
  Status take(NtxIndex& ix) {
    ZEL_RETURN_IF_ERROR(retryIndex([&] { return ix.beginUpdate(); }));
    held_.push_back(&ix);
    return Status::OK();
  }

 private:
  std::vector<NtxIndex*> held_;
};

}  // namespace

void setHideDeleted(bool hide) { gHideDeleted = hide; }
bool hideDeleted() { return gHideDeleted; }

std::string memoPathFor(const std::string& tablePath) {
  size_t dot = tablePath.rfind('.');
  size_t slash = tablePath.find_last_of("/\\");
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
    return tablePath + ".DBT";
  std::string ext = tablePath.substr(dot + 1);
  bool lower = !ext.empty() && ext.back() >= 'a' && ext.back() <= 'z';
  return tablePath.substr(0, dot) + (lower ? ".dbt" : ".DBT");
}

struct Table::Attached {
  std::string path;
  std::unique_ptr<NtxIndex> ntx;
  KeyExpr expr;
  std::shared_ptr<File> file;  // the index file, for flush()
};

Table::Table(Env& env, std::string path, OpenMode mode, bool readOnly)
    : env_(env), path_(std::move(path)), mode_(readOnly ? OpenMode::kShared : mode), readOnly_(readOnly) {}

Table::~Table() { (void)close(); }

Status Table::create(Env& env, const std::string& path, const std::vector<FieldDef>& fields) {
  auto layout = makeLayout(fields);
  if (!layout.ok()) return layout.status();
  OpenOptions o;
  o.create = true;
  auto f = env.open(path, o);
  if (!f.ok()) return f.status();
  // Never empty a table someone has open.
  auto inUse = (*f)->isLockedByOther(locks::kOpenModeOffset, 1, LockKind::kExclusive);
  if (!inUse.ok()) return inUse.status();
  if (*inUse) return Status::Locked(path + " is in use by another workstation");
  ZEL_RETURN_IF_ERROR((*f)->truncate(0));
  std::string bytes = encodeHeader(*layout, clock().now());
  bytes += kEndOfFile;
  ZEL_RETURN_IF_ERROR((*f)->write(0, bytes));
  if (layout->hasMemo()) ZEL_RETURN_IF_ERROR(MemoFile::create(env, memoPathFor(path)));
  return Status::OK();
}

Result<std::unique_ptr<Table>> Table::open(Env& env, const std::string& path, OpenMode mode,
                                           bool readOnly) {
  std::unique_ptr<Table> t(new Table(env, path, mode, readOnly));
  OpenOptions o;
  o.readOnly = readOnly;
  auto f = env.open(path, o);
  if (!f.ok()) return f.status();
  t->file_ = std::move(f).value();
  // A read-only handle cannot hold a write lock; it opens as shared.
  LockKind kind = t->exclusive() ? LockKind::kExclusive : LockKind::kShared;
  Status s = t->file_->lock(locks::kOpenModeOffset, 1, kind);
  if (s.isLocked()) return Status::Locked(path + " is in use by another workstation");
  ZEL_RETURN_IF_ERROR(s);

  auto size = t->file_->size();
  if (!size.ok()) return size.status();
  size_t want = static_cast<size_t>(std::min<uint64_t>(*size, 32));
  std::string head(want, '\0');
  size_t got = 0;
  ZEL_RETURN_IF_ERROR(t->file_->read(0, want, head.data(), &got));
  head.resize(got);
  if (head.size() >= 32) {
    size_t hl = static_cast<uint8_t>(head[8]) | static_cast<size_t>(static_cast<uint8_t>(head[9])) << 8;
    want = static_cast<size_t>(std::min<uint64_t>(*size, std::max<size_t>(hl, 32)));
    head.assign(want, '\0');
    ZEL_RETURN_IF_ERROR(t->file_->read(0, want, head.data(), &got));
    head.resize(got);
  }
  auto layout = parseHeader(head, path);
  if (!layout.ok()) return layout.status();
  t->layout_ = std::move(layout).value();

  if (t->layout_.hasMemo()) {
    std::string mp = memoPathFor(path);
    if (!env.exists(mp)) {
      std::string other = mp;
      char& last = other.back();
      last = last == 'T' ? 't' : 'T';
      other[other.size() - 2] = last == 't' ? 'b' : 'B';
      other[other.size() - 3] = last == 't' ? 'd' : 'D';
      if (env.exists(other)) mp = other;
    }
    auto m = MemoFile::open(env, mp, mode == OpenMode::kShared, readOnly);
    if (!m.ok()) {
      if (m.status().isNotFound()) return Status::NotFound(path + ": memo file " + mp + " is missing");
      return m.status();
    }
    t->memo_ = std::move(m).value();
  }
  t->open_ = true;
  ZEL_RETURN_IF_ERROR(t->refreshCount());
  t->countRepaired_ = t->count_ != t->layout_.headerCount;
  if (t->exclusive()) {
    // Alone with the file: make the header and the end agree with the
    // records (no partial record, no garbage, the end mark), so every
    // reader counts the same.
    uint64_t end = t->layout_.recordOffset(t->count_ + 1);
    auto now = t->file_->size();
    if (!now.ok()) return now.status();
    if (*now != end + 1) {
      ZEL_RETURN_IF_ERROR(t->file_->truncate(end));
      ZEL_RETURN_IF_ERROR(t->file_->write(end, std::string(1, kEndOfFile)));
    }
    if (t->countRepaired_) ZEL_RETURN_IF_ERROR(t->writeHeaderCount(t->count_));
  }
  ZEL_RETURN_IF_ERROR(t->goTop());
  return t;
}

Status Table::close() {
  if (!open_) return Status::OK();
  Status s = commitDeferred();
  if (s.ok() && modified_ && !readOnly_) s = writeDate();
  (void)unlockAll();
  indexes_.clear();
  memo_.reset();
  file_.reset();  // closing the descriptor drops its locks
  open_ = false;
  order_ = 0;
  return s;
}

std::vector<std::string> Table::fieldNames() const {
  std::vector<std::string> names;
  for (const FieldDef& f : layout_.fields) names.push_back(f.name);
  return names;
}

Status Table::checkOpen() const {
  return open_ ? Status::OK() : Status::InvalidArgument(path_ + " is closed");
}

Status Table::checkWritable() const {
  ZEL_RETURN_IF_ERROR(checkOpen());
  if (readOnly_) return Status::ReadOnly(path_ + " is open read-only");
  return Status::OK();
}

Status Table::checkRecordWritable() const {
  ZEL_RETURN_IF_ERROR(checkWritable());
  if (eof_) return Status::InvalidArgument(path_ + ": no current record to write");
  if (!exclusive() && !fileLocked_ && !locked_.count(recno_))
    return Status::InvalidArgument(path_ + ": record " + std::to_string(recno_) + " is not locked");
  return Status::OK();
}

// ---------------------------------------------------------------- records

Status Table::refreshCount() {
  ZEL_RETURN_IF_ERROR(checkOpen());
  ZEL_RETURN_IF_ERROR(writeDeferredCount());
  auto size = file_->size();
  if (!size.ok()) return size.status();
  // Appends always grow the file and only exclusive use shrinks it, so an
  // unchanged size means an unchanged count.
  if (countKnown_ && *size == countSize_) return Status::OK();
  block_.clear();
  char b[4];
  ZEL_RETURN_IF_ERROR(readExact(*file_, 4, 4, b, path_ + " header"));
  layout_.headerCount = static_cast<uint8_t>(b[0]) | static_cast<uint32_t>(static_cast<uint8_t>(b[1])) << 8 |
                        static_cast<uint32_t>(static_cast<uint8_t>(b[2])) << 16 |
                        static_cast<uint32_t>(static_cast<uint8_t>(b[3])) << 24;
  uint64_t inFile = *size > layout_.headerLength ? (*size - layout_.headerLength) / layout_.recordLength : 0;
  // Records past the header count: a writer killed before it rewrote the
  // header (in exclusive use the count is written only at flush and close,
  // so there may be many). Their deletion bytes tell whole records from
  // trailing garbage; they are read a block at a time.
  std::string firstBytes, buf;
  const uint64_t per = std::max<uint64_t>(1, (1u << 20) / layout_.recordLength);
  for (uint64_t r = uint64_t{layout_.headerCount} + 1; r <= inFile && r <= UINT32_MAX;) {
    uint64_t n = std::min(per, inFile - r + 1);
    buf.assign(n * layout_.recordLength, '\0');
    size_t got = 0;
    ZEL_RETURN_IF_ERROR(file_->read(layout_.recordOffset(static_cast<uint32_t>(r)), buf.size(), buf.data(), &got));
    bool stop = got < buf.size();
    for (uint64_t k = 0; k < n && (k + 1) * layout_.recordLength <= got; ++k) {
      char c = buf[k * layout_.recordLength];
      if (c != ' ' && c != '*') {
        stop = true;
        break;
      }
      firstBytes += c;
    }
    if (stop) break;
    r += n;
  }
  count_ = reconcileCount(layout_, *size, firstBytes);
  countKnown_ = true;
  countSize_ = *size;
  return Status::OK();
}

Status Table::writePending() {
  if (pending_.empty()) return Status::OK();
  pending_ += kEndOfFile;
  Status s = file_->write(layout_.recordOffset(pendingFirst_), pending_);
  pending_.pop_back();
  // A failed write keeps the records for the next flush or close.
  if (s.ok()) pending_.clear();
  return s;
}

Status Table::writeDeferredCount() {
  ZEL_RETURN_IF_ERROR(writePending());
  if (!countDirty_) return Status::OK();
  ZEL_RETURN_IF_ERROR(writeHeaderCount(count_));
  countDirty_ = false;
  return Status::OK();
}

Status Table::commitDeferred() {
  Status s = writeDeferredCount();
  for (auto& a : indexes_) {
    Status c = a->ntx->commit();
    if (s.ok()) s = c;
  }
  return s;
}

uint32_t Table::recordCount() {
  if (open_ && !exclusive()) (void)refreshCount();
  return count_;
}

Status Table::refresh() {
  ZEL_RETURN_IF_ERROR(refreshCount());
  if (!eof_ && recno_ <= count_) return readRecord(recno_);
  if (eof_) setEof();
  return Status::OK();
}

void Table::setEof() {
  eof_ = true;
  recno_ = count_ + 1;
  rec_ = blankRecord(layout_);
}

Status Table::readRecord(uint32_t recno) {
  ZEL_RETURN_IF_ERROR(checkOpen());
  landed_.reset();
  if (recno < 1 || recno > count_) {
    setEof();
    return Status::OK();
  }
  const size_t len = layout_.recordLength;
  if (!pending_.empty() && recno >= pendingFirst_) {
    rec_.assign(pending_, size_t{recno - pendingFirst_} * len, len);
    recno_ = recno;
    eof_ = false;
    return Status::OK();
  }
  if (exclusive() && recno >= blockFirst_ && recno - blockFirst_ < block_.size() / len) {
    rec_.assign(block_, (recno - blockFirst_) * len, len);
    recno_ = recno;
    eof_ = false;
    return Status::OK();
  }
  Status s;
  if (exclusive() && !eof_ && recno == recno_ + 1) {
    // Reading forward in exclusive use: the records that follow come in
    // the same read, as nobody else can change them.
    uint32_t onDisk = pending_.empty() ? count_ : pendingFirst_ - 1;
    size_t n = std::min<size_t>(onDisk - recno + 1, std::max<size_t>(1, kReadAhead / len));
    block_.assign(n * len, '\0');
    s = readExact(*file_, layout_.recordOffset(recno), block_.size(), block_.data(),
                  path_ + " record " + std::to_string(recno));
    if (s.ok()) {
      blockFirst_ = recno;
      rec_.assign(block_, 0, len);
    } else {
      block_.clear();
    }
  } else {
    std::string buf(len, '\0');
    s = readExact(*file_, layout_.recordOffset(recno), buf.size(), buf.data(),
                  path_ + " record " + std::to_string(recno));
    if (s.ok()) rec_ = std::move(buf);
  }
  if (!s.ok()) {
    setEof();
    return s;
  }
  recno_ = recno;
  eof_ = false;
  return Status::OK();
}

Status Table::writeHeaderCount(uint32_t count) {
  return file_->write(1, encodeDateAndCount(clock().now(), count));
}

// Only the date: in shared use another process may have appended since, and
// the count is rewritten by every append anyway.
Status Table::writeDate() {
  return file_->write(1, encodeDateAndCount(clock().now(), 0).substr(0, 3));
}

bool Table::passes() const {
  if (eof_) return false;
  if (hideDeleted() && deleted()) return false;
  return !filter_ || filter_(*this);
}

bool Table::visible() const { return passes(); }

std::string_view Table::raw(int i) const {
  if (i < 0 || i >= fieldCount()) return {};
  return std::string_view(rec_).substr(layout_.offsets[static_cast<size_t>(i)],
                                       static_cast<size_t>(layout_.fields[static_cast<size_t>(i)].width));
}

Result<Value> Table::get(int i) const {
  ZEL_RETURN_IF_ERROR(checkOpen());
  if (i < 0 || i >= fieldCount())
    return Status::InvalidArgument(path_ + ": no field number " + std::to_string(i + 1));
  const FieldDef& f = layout_.fields[static_cast<size_t>(i)];
  if (f.type == 'M') {
    if (!memo_) return Status::Corruption(path_ + ": memo field without a memo file");
    auto t = memo_->read(memoBlock(raw(i)));
    if (!t.ok()) return t.status();
    return Value(std::move(t).value());
  }
  return decodeValue(f, raw(i));
}

Result<Value> Table::get(std::string_view name) const {
  int i = fieldIndex(name);
  if (i < 0) return Status::NotFound(path_ + ": no field " + std::string(name));
  return get(i);
}

std::string Table::text(std::string_view name) const {
  int i = fieldIndex(name);
  if (i < 0) return {};
  if (layout_.fields[static_cast<size_t>(i)].type == 'M') {
    auto v = get(i);
    return v.ok() ? rtrim(v->text()) : std::string();
  }
  return rtrim(raw(i));
}

double Table::number(std::string_view name) const {
  auto v = get(name);
  return v.ok() ? v->number() : 0.0;
}

// Writes the changed bytes of the current record and keeps the indexes in
// step. Index locks are taken before the record is touched, so a refused
// lock changes nothing.
Status Table::writeRecordBytes(uint32_t recno, std::string updated) {
  std::vector<std::pair<Attached*, std::pair<std::string, std::string>>> changes;
  for (auto& a : indexes_) {
    std::string oldKey = a->expr.evaluate(BytesView(layout_, rec_));
    std::string newKey = a->expr.evaluate(BytesView(layout_, updated));
    if (oldKey != newKey) changes.push_back({a.get(), {std::move(oldKey), std::move(newKey)}});
  }
  IndexLocks held;
  for (auto& c : changes) ZEL_RETURN_IF_ERROR(held.take(*c.first->ntx));
  size_t from = 0, to = updated.size();
  while (from < to && updated[from] == rec_[from]) ++from;
  while (to > from && updated[to - 1] == rec_[to - 1]) --to;
  if (from < to && !pending_.empty() && recno >= pendingFirst_) {
    pending_.replace(size_t{recno - pendingFirst_} * layout_.recordLength + from, to - from,
                     std::string_view(updated).substr(from, to - from));
  } else if (from < to) {
    block_.clear();
    ZEL_RETURN_IF_ERROR(file_->write(layout_.recordOffset(recno) + from,
                                     std::string_view(updated).substr(from, to - from)));
  }
  rec_ = std::move(updated);
  modified_ = true;
  landed_.reset();
  for (auto& c : changes) {
    Status s = c.first->ntx->remove(c.second.first, recno);
    // An entry already missing (a stale index) must not block the new one.
    if (!s.ok() && !s.isNotFound()) return s;
    ZEL_RETURN_IF_ERROR(c.first->ntx->insert(c.second.second, recno));
  }
  return Status::OK();
}

Status Table::putRaw(int i, std::string_view bytes) {
  ZEL_RETURN_IF_ERROR(checkRecordWritable());
  if (i < 0 || i >= fieldCount())
    return Status::InvalidArgument(path_ + ": no field number " + std::to_string(i + 1));
  const FieldDef& f = layout_.fields[static_cast<size_t>(i)];
  if (bytes.size() != static_cast<size_t>(f.width))
    return Status::InvalidArgument(path_ + ": " + f.name + " takes " + std::to_string(f.width) + " bytes");
  std::string updated = rec_;
  updated.replace(layout_.offsets[static_cast<size_t>(i)], bytes.size(), bytes);
  return writeRecordBytes(recno_, std::move(updated));
}

Status Table::put(int i, const Value& v) {
  ZEL_RETURN_IF_ERROR(checkRecordWritable());
  if (i < 0 || i >= fieldCount())
    return Status::InvalidArgument(path_ + ": no field number " + std::to_string(i + 1));
  const FieldDef& f = layout_.fields[static_cast<size_t>(i)];
  if (f.type != 'M') {
    auto bytes = encodeValue(f, v);
    if (!bytes.ok()) return bytes.status();
    return putRaw(i, *bytes);
  }
  if (!v.isText()) return Status::InvalidArgument(path_ + ": memo " + f.name + " takes a text");
  if (!memo_) return Status::Corruption(path_ + ": memo field without a memo file");
  // The memo blocks are written before the pointer to them.
  auto block = memo_->write(v.text(), memoBlock(raw(i)));
  if (!block.ok()) return block.status();
  std::string ptr = *block == 0 ? std::string() : std::to_string(*block);
  return putRaw(i, std::string(10 - ptr.size(), ' ') + ptr);
}

Status Table::put(std::string_view name, const Value& v) {
  int i = fieldIndex(name);
  if (i < 0) return Status::NotFound(path_ + ": no field " + std::string(name));
  return put(i, v);
}

Status Table::markDeleted() {
  ZEL_RETURN_IF_ERROR(checkRecordWritable());
  std::string updated = rec_;
  updated[0] = '*';
  return writeRecordBytes(recno_, std::move(updated));
}

Status Table::recall() {
  ZEL_RETURN_IF_ERROR(checkRecordWritable());
  std::string updated = rec_;
  updated[0] = ' ';
  return writeRecordBytes(recno_, std::move(updated));
}

Status Table::appendBlank() { return appendRecord(blankRecord(layout_)); }

Status Table::appendRaw(std::string_view record) {
  if (record.size() != layout_.recordLength)
    return Status::InvalidArgument(path_ + ": a record is " + std::to_string(layout_.recordLength) + " bytes");
  return appendRecord(std::string(record));
}

Status Table::appendRecord(std::string record) {
  ZEL_RETURN_IF_ERROR(checkWritable());
  bool shared = !exclusive();
  if (shared) {
    Status s = file_->lock(locks::kAppendOffset, 1, LockKind::kExclusive);
    if (s.isLocked()) return Status::Locked(path_ + ": another workstation is appending");
    ZEL_RETURN_IF_ERROR(s);
  }
  auto body = [&]() -> Status {
    if (shared) ZEL_RETURN_IF_ERROR(refreshCount());
    if (count_ == UINT32_MAX) return Status::InvalidArgument(path_ + " is full");
    uint32_t r = count_ + 1;
    if (shared && !fileLocked_) {
      Status s = file_->lock(locks::recordOffset(r), 1, LockKind::kExclusive);
      if (s.isLocked()) return Status::Locked(path_ + " is locked by another workstation");
      ZEL_RETURN_IF_ERROR(s);
      for (uint32_t old : locked_) (void)file_->unlock(locks::recordOffset(old), 1);
      locked_ = {r};
    }
    IndexLocks held;
    for (auto& a : indexes_) {
      if (a->ntx->deferred()) continue;  // alone with the file: no lock to take
      Status locked = held.take(*a->ntx);
      if (!locked.ok()) {
        // Nothing written: the new record's lock goes with the attempt.
        if (shared && !fileLocked_ && locked_.erase(r)) (void)file_->unlock(locks::recordOffset(r), 1);
        return locked;
      }
    }
    // Record and end mark first, then the header: a writer killed between
    // the two leaves a whole record that the next open counts.
    if (shared) {
      std::string bytes = record;
      bytes += kEndOfFile;
      ZEL_RETURN_IF_ERROR(file_->write(layout_.recordOffset(r), bytes));
      ZEL_RETURN_IF_ERROR(writeHeaderCount(r));
    } else {
      // Alone with the file: new records gather in memory and the count
      // waits for flush or close; the records past the header's count are
      // counted by any open until then.
      if (pending_.empty()) pendingFirst_ = r;
      pending_ += record;
      countDirty_ = true;
      if (pending_.size() >= kWriteBehind) ZEL_RETURN_IF_ERROR(writePending());
    }
    count_ = r;
    modified_ = true;
    countSize_ = layout_.recordOffset(r + 1) + 1;
    rec_ = std::move(record);
    recno_ = r;
    eof_ = bof_ = found_ = false;
    for (auto& a : indexes_)
      ZEL_RETURN_IF_ERROR(a->ntx->insert(a->expr.evaluate(BytesView(layout_, rec_)), r));
    return Status::OK();
  };
  Status s = body();
  if (shared) (void)file_->unlock(locks::kAppendOffset, 1);
  return s;
}

// The kept records go to a new file beside the table, which then takes the
// table's name: a failure or a crash at any point leaves either the old
// table or the new one, never a mixture. The new file is locked exclusive
// before it takes the name, so no other process can open it in between.
Status Table::rewrite(const std::function<bool(std::string_view)>& keep) {
  ZEL_RETURN_IF_ERROR(checkWritable());
  if (!exclusive()) return Status::InvalidArgument(path_ + " must be open exclusive");
  const std::string tmp = path_ + ".tmp";
  OpenOptions o;
  o.create = true;
  o.truncate = true;
  auto opened = env_.open(tmp, o);
  if (!opened.ok()) return opened.status();
  std::unique_ptr<File> nf = std::move(opened).value();
  ZEL_RETURN_IF_ERROR(writePending());
  auto build = [&]() -> Status {
    std::string header(layout_.headerLength, '\0');
    ZEL_RETURN_IF_ERROR(readExact(*file_, 0, header.size(), header.data(), path_ + " header"));
    uint32_t out = 0;
    uint64_t at = layout_.headerLength;
    std::string chunk, buf(layout_.recordLength, '\0');
    for (uint32_t r = 1; r <= count_; ++r) {
      ZEL_RETURN_IF_ERROR(readExact(*file_, layout_.recordOffset(r), buf.size(), buf.data(),
                                    path_ + " record " + std::to_string(r)));
      if (!keep(buf)) continue;
      ++out;
      chunk += buf;
      if (chunk.size() >= 65536) {
        ZEL_RETURN_IF_ERROR(nf->write(at, chunk));
        at += chunk.size();
        chunk.clear();
      }
    }
    chunk += kEndOfFile;
    ZEL_RETURN_IF_ERROR(nf->write(at, chunk));
    // The count in the header may be a deferred one: the new one replaces it.
    header.replace(1, 7, encodeDateAndCount(clock().now(), out));
    ZEL_RETURN_IF_ERROR(nf->write(0, header));
    ZEL_RETURN_IF_ERROR(nf->sync());
    ZEL_RETURN_IF_ERROR(nf->lock(locks::kOpenModeOffset, 1, LockKind::kExclusive));
    ZEL_RETURN_IF_ERROR(env_.rename(tmp, path_));
    count_ = out;
    return Status::OK();
  };
  Status s = build();
  if (!s.ok()) {
    nf.reset();
    (void)env_.remove(tmp);
    return s;
  }
  file_ = std::move(nf);  // the old file's descriptor and locks go with it
  modified_ = false;
  countDirty_ = false;
  countKnown_ = false;
  block_.clear();
  ZEL_RETURN_IF_ERROR(reindex());
  return goTop();
}

// ---------------------------------------------------------------- cursor

Table::Attached* Table::controlling() const {
  if (order_ < 1 || order_ > indexCount()) return nullptr;
  return indexes_[static_cast<size_t>(order_ - 1)].get();
}

Status Table::scanNatural(uint32_t from, int step, bool* landed) {
  *landed = false;
  for (int64_t r = from; r >= 1 && r <= count_; r += step) {
    ZEL_RETURN_IF_ERROR(readRecord(static_cast<uint32_t>(r)));
    if (passes()) {
      *landed = true;
      return Status::OK();
    }
  }
  return Status::OK();
}

Status Table::scanIndex(std::optional<NtxEntry> e, int step, bool* landed) {
  *landed = false;
  NtxIndex& ix = *controlling()->ntx;
  // A damaged index (keys out of order, pages linked in a ring) must not
  // keep the cursor going round: steps are bounded by the keys the file can
  // hold and must not go back in key order.
  uint64_t budget = ix.maxEntries();
  while (e) {
    if (budget-- == 0) return Status::Corruption(ix.name() + ": more keys than the file can hold");
    // Entries beyond the record count (a stale index) are passed over.
    if (e->recno >= 1 && e->recno <= count_) {
      ZEL_RETURN_IF_ERROR(readRecord(e->recno));
      if (passes()) {
        landed_ = *e;
        *landed = true;
        return Status::OK();
      }
    }
    auto n = retryIndex([&] { return step > 0 ? ix.next(*e) : ix.prev(*e); });
    if (!n.ok()) return n.status();
    ZEL_RETURN_IF_ERROR(checkStep(ix, e->key, *n, step));
    e = std::move(n).value();
  }
  return Status::OK();
}

// Where the cursor stands in the index: the entry it landed on while the
// record is unchanged since (a damaged index may hold a key the record does
// not have, and stepping from the record's own key would land on the same
// entry again), else the current record's key.
NtxEntry Table::indexPosition(Attached& a) const {
  if (landed_ && landed_->recno == recno_) return *landed_;
  return NtxEntry{a.expr.evaluate(*this), recno_};
}

Status Table::checkStep(const NtxIndex& ix, const std::string& from,
                        const std::optional<NtxEntry>& to, int step) const {
  if (to && (step > 0 ? to->key < from : to->key > from))
    return Status::Corruption(ix.name() + ": keys out of order; the index must be rebuilt");
  return Status::OK();
}

Status Table::goTop() { return goEdge(+1); }

Status Table::goBottom() { return goEdge(-1); }

// The first visible record in the controlling order (dir +1) or the last
// one (dir -1); eof and bof when there is none.
Status Table::goEdge(int dir) {
  ZEL_RETURN_IF_ERROR(checkOpen());
  if (!exclusive()) ZEL_RETURN_IF_ERROR(refreshCount());
  found_ = false;
  bool landed = false;
  if (Attached* a = controlling()) {
    auto e = retryIndex([&] { return dir > 0 ? a->ntx->first() : a->ntx->last(); });
    if (!e.ok()) return e.status();
    ZEL_RETURN_IF_ERROR(scanIndex(std::move(e).value(), dir, &landed));
  } else {
    ZEL_RETURN_IF_ERROR(scanNatural(dir > 0 ? 1 : count_, dir, &landed));
  }
  if (!landed) setEof();
  bof_ = !landed;
  return Status::OK();
}

Status Table::goTo(uint32_t recno) {
  ZEL_RETURN_IF_ERROR(checkOpen());
  if (!exclusive()) ZEL_RETURN_IF_ERROR(refreshCount());
  found_ = false;
  bof_ = false;
  return readRecord(recno);
}

Status Table::skipOne(int step, bool* moved) {
  *moved = false;
  bool landed = false;
  Attached* a = controlling();
  if (step > 0) {
    if (eof_) return Status::OK();
    if (a) {
      NtxEntry at = indexPosition(*a);
      auto n = retryIndex([&] { return a->ntx->next(at); });
      if (!n.ok()) return n.status();
      ZEL_RETURN_IF_ERROR(checkStep(*a->ntx, at.key, *n, +1));
      ZEL_RETURN_IF_ERROR(scanIndex(std::move(n).value(), +1, &landed));
    } else {
      ZEL_RETURN_IF_ERROR(scanNatural(recno_ + 1, +1, &landed));
    }
    if (!landed) setEof();
    *moved = landed;
    return Status::OK();
  }
  if (a) {
    NtxEntry at = eof_ ? NtxEntry{} : indexPosition(*a);
    auto n = retryIndex([&] { return eof_ ? a->ntx->last() : a->ntx->prev(at); });
    if (!n.ok()) return n.status();
    if (!eof_) ZEL_RETURN_IF_ERROR(checkStep(*a->ntx, at.key, *n, -1));
    ZEL_RETURN_IF_ERROR(scanIndex(std::move(n).value(), -1, &landed));
  } else if (eof_) {
    ZEL_RETURN_IF_ERROR(scanNatural(count_, -1, &landed));
  } else if (recno_ > 1) {
    ZEL_RETURN_IF_ERROR(scanNatural(recno_ - 1, -1, &landed));
  }
  *moved = landed;
  return Status::OK();
}

Status Table::skip(long n) {
  ZEL_RETURN_IF_ERROR(checkOpen());
  if (!exclusive()) ZEL_RETURN_IF_ERROR(refreshCount());
  found_ = false;
  if (n == 0) {
    bof_ = false;
    return eof_ ? (setEof(), Status::OK()) : readRecord(recno_);
  }
  bof_ = false;
  int step = n > 0 ? 1 : -1;
  for (long i = 0; i < (n > 0 ? n : -n); ++i) {
    bool moved = false;
    ZEL_RETURN_IF_ERROR(skipOne(step, &moved));
    if (moved) continue;
    if (step > 0) return Status::OK();  // at eof
    // Ran off the top: stay on the first visible record, with bof set.
    ZEL_RETURN_IF_ERROR(goTop());
    bof_ = true;
    return Status::OK();
  }
  return Status::OK();
}

Status Table::seek(std::string_view key, bool soft) {
  ZEL_RETURN_IF_ERROR(checkOpen());
  Attached* a = controlling();
  if (!a) return Status::InvalidArgument(path_ + ": seek needs a controlling index");
  if (!exclusive()) ZEL_RETURN_IF_ERROR(refreshCount());
  found_ = false;
  bof_ = false;
  auto r = retryIndex([&] { return a->ntx->seek(key, true); });
  if (!r.ok()) return r.status();
  bool landed = false;
  ZEL_RETURN_IF_ERROR(scanIndex(r->entry, +1, &landed));
  if (landed) {
    // A key longer than the index's is compared over the index's length.
    std::string k = a->expr.evaluate(*this);
    found_ = k.compare(0, key.size(), key.substr(0, k.size())) == 0;
  }
  if (!landed || (!found_ && !soft)) setEof();
  return Status::OK();
}

Status Table::seekValue(const Value& v, bool soft) {
  Attached* a = controlling();
  if (!a) return Status::InvalidArgument(path_ + ": seek needs a controlling index");
  return seek(std::string_view(a->expr.keyFromValue(v)), soft);
}

// ---------------------------------------------------------------- locks

bool Table::recordLocked(uint32_t recno) const {
  return exclusive() || fileLocked_ || locked_.count(recno) > 0;
}

Status Table::addRecordLock(uint32_t recno) { return takeRecordLock(recno, false); }

Status Table::lockRecord(uint32_t recno) { return takeRecordLock(recno, true); }

// Record recno's lock byte (none to take in exclusive use or under the file
// lock); `only` drops the other record locks, as a single lock does.
Status Table::takeRecordLock(uint32_t recno, bool only) {
  ZEL_RETURN_IF_ERROR(checkOpen());
  if (recno < 1) return Status::InvalidArgument(path_ + ": no record to lock");
  if (!exclusive() && !fileLocked_) {
    Status s = file_->lock(locks::recordOffset(recno), 1, LockKind::kExclusive);
    if (s.isLocked()) return Status::Locked(path_ + ": record " + std::to_string(recno) + " is locked");
    ZEL_RETURN_IF_ERROR(s);
    if (only)
      for (uint32_t old : locked_)
        if (old != recno) (void)file_->unlock(locks::recordOffset(old), 1);
  }
  if (only)
    locked_ = {recno};
  else
    locked_.insert(recno);
  // The lock makes the record ours: read what others left in it.
  if (!eof_ && recno == recno_ && !exclusive()) return refresh();
  return Status::OK();
}

Status Table::lockRecord() {
  if (eof_) return Status::InvalidArgument(path_ + ": no current record to lock");
  return lockRecord(recno_);
}

Status Table::lockFile() {
  ZEL_RETURN_IF_ERROR(checkOpen());
  if (!exclusive()) {
    // Our own record locks lie inside the range and merge into it.
    Status s = file_->lock(locks::kFileOffset, locks::kFileLength, LockKind::kExclusive);
    if (s.isLocked()) return Status::Locked(path_ + " is locked by another workstation");
    ZEL_RETURN_IF_ERROR(s);
  }
  locked_.clear();
  fileLocked_ = true;
  if (!exclusive()) return refresh();
  return Status::OK();
}

Status Table::unlockRecord(uint32_t recno) {
  ZEL_RETURN_IF_ERROR(checkOpen());
  // Under the file lock the record byte belongs to the file lock's range.
  if (locked_.erase(recno) && !fileLocked_ && !exclusive())
    return file_->unlock(locks::recordOffset(recno), 1);
  return Status::OK();
}

Status Table::unlockAll() {
  ZEL_RETURN_IF_ERROR(checkOpen());
  Status s;
  if (!exclusive()) {
    if (fileLocked_) s = file_->unlock(locks::kFileOffset, locks::kFileLength);
    for (uint32_t r : locked_) {
      Status u = file_->unlock(locks::recordOffset(r), 1);
      if (s.ok()) s = u;
    }
  }
  locked_.clear();
  fileLocked_ = false;
  return s;
}

// ---------------------------------------------------------------- indexes

Status Table::buildIndex(Attached& a) {
  // Keys go to one buffer of fixed-size items (key, then the record number),
  // the records read a large block at a time; the items are sorted through
  // (first eight key bytes, position) pairs, so most comparisons are one
  // integer compare, and ties fall back to the rest of the key and then the
  // record order.
  ZEL_RETURN_IF_ERROR(writePending());
  const size_t ks = static_cast<size_t>(a.ntx->keySize()), stride = ks + 4;
  const size_t len = layout_.recordLength;
  std::string keys(size_t{count_} * stride, '\0');
  std::vector<std::pair<uint64_t, uint32_t>> order(count_);
  std::string block;
  const uint32_t per = static_cast<uint32_t>(std::max<size_t>(1, (1u << 20) / len));
  for (uint32_t r = 1; r <= count_;) {
    uint32_t n = std::min(per, count_ - r + 1);
    block.resize(size_t{n} * len);
    ZEL_RETURN_IF_ERROR(readExact(*file_, layout_.recordOffset(r), block.size(), block.data(),
                                  path_ + " records " + std::to_string(r) + "-" + std::to_string(r + n - 1)));
    for (uint32_t k = 0; k < n; ++k, ++r) {
      std::string key = a.expr.evaluate(BytesView(layout_, std::string_view(block).substr(size_t{k} * len, len)));
      if (key.size() != ks) return Status::Corruption(a.path + ": key of the wrong size for record " + std::to_string(r));
      char* item = keys.data() + size_t{r - 1} * stride;
      std::memcpy(item, key.data(), ks);
      putLE32(item + ks, r);
      uint64_t prefix = 0;
      for (size_t b = 0; b < 8; ++b) prefix = prefix << 8 | (b < ks ? static_cast<uint8_t>(key[b]) : 0);
      order[r - 1] = {prefix, r - 1};
    }
  }
  const char* base = keys.data();
  std::sort(order.begin(), order.end(), [&](const auto& x, const auto& y) {
    if (x.first != y.first) return x.first < y.first;
    if (ks > 8) {
      int c = std::memcmp(base + size_t{x.second} * stride + 8, base + size_t{y.second} * stride + 8, ks - 8);
      if (c != 0) return c < 0;
    }
    return x.second < y.second;
  });
  std::string sorted(keys.size(), '\0');
  for (size_t i = 0; i < order.size(); ++i)
    std::memcpy(sorted.data() + i * stride, base + size_t{order[i].second} * stride, stride);
  keys.clear();
  keys.shrink_to_fit();
  order.clear();
  order.shrink_to_fit();
  IndexLocks held;
  ZEL_RETURN_IF_ERROR(held.take(*a.ntx));
  return a.ntx->build(sorted.data(), count_);
}

Status Table::createIndex(const std::string& path, std::string_view keyText, bool unique) {
  ZEL_RETURN_IF_ERROR(checkWritable());
  if (!exclusive()) ZEL_RETURN_IF_ERROR(refreshCount());
  auto expr = KeyExpr::parse(keyText, layout_.fields);
  if (!expr.ok()) return expr.status();
  OpenOptions o;
  o.create = true;
  auto f = env_.open(path, o);
  if (!f.ok()) return f.status();
  std::shared_ptr<File> file = std::move(f).value();
  auto ix = NtxIndex::create(std::make_unique<SharedFile>(file), path, *expr, unique);
  if (!ix.ok()) return ix.status();
  if (exclusive()) ZEL_RETURN_IF_ERROR((*ix)->setDeferred(true));
  auto a = std::make_unique<Attached>(Attached{path, std::move(ix).value(), *expr, file});
  ZEL_RETURN_IF_ERROR(buildIndex(*a));
  indexes_.push_back(std::move(a));
  if (order_ == 0 && indexes_.size() == 1) order_ = 1;
  return goTop();
}

Status Table::attachIndex(const std::string& path) {
  ZEL_RETURN_IF_ERROR(checkOpen());
  OpenOptions o;
  o.readOnly = readOnly_;
  auto f = env_.open(path, o);
  if (!f.ok()) return f.status();
  std::shared_ptr<File> file = std::move(f).value();
  auto ix = retryIndex([&] { return NtxIndex::open(std::make_unique<SharedFile>(file), path); });
  if (!ix.ok()) return ix.status();
  auto expr = KeyExpr::parse((*ix)->keyText(), layout_.fields);
  if (!expr.ok())
    return Status::Corruption(path + ": key '" + (*ix)->keyText() + "' does not fit " + path_ +
                              " (" + expr.status().message() + ")");
  ZEL_RETURN_IF_ERROR((*ix)->matches(*expr));
  if (exclusive() && !readOnly_) ZEL_RETURN_IF_ERROR((*ix)->setDeferred(true));
  indexes_.push_back(std::make_unique<Attached>(Attached{path, std::move(ix).value(), *expr, file}));
  if (order_ == 0 && indexes_.size() == 1) order_ = 1;
  return goTop();
}

Status Table::setOrder(int n) {
  if (n < 0 || n > indexCount())
    return Status::InvalidArgument(path_ + ": no index number " + std::to_string(n));
  order_ = n;
  landed_.reset();
  return Status::OK();
}

std::string Table::indexKey(int n) const {
  if (n < 1 || n > indexCount()) return {};
  return indexes_[static_cast<size_t>(n - 1)]->expr.text();
}

std::string Table::indexPath(int n) const {
  if (n < 1 || n > indexCount()) return {};
  return indexes_[static_cast<size_t>(n - 1)]->path;
}

void Table::clearIndexes() {
  // Each index writes what it kept in memory as it goes.
  indexes_.clear();
  landed_.reset();
  order_ = 0;
}

Status Table::reindex() {
  ZEL_RETURN_IF_ERROR(checkWritable());
  for (auto& a : indexes_) ZEL_RETURN_IF_ERROR(buildIndex(*a));
  return Status::OK();
}

Status Table::flush() {
  ZEL_RETURN_IF_ERROR(checkOpen());
  if (readOnly_) return Status::OK();
  ZEL_RETURN_IF_ERROR(commitDeferred());
  if (modified_) ZEL_RETURN_IF_ERROR(writeDate());
  ZEL_RETURN_IF_ERROR(file_->sync());
  if (memo_) ZEL_RETURN_IF_ERROR(memo_->sync());
  for (auto& a : indexes_) ZEL_RETURN_IF_ERROR(a->file->sync());
  return Status::OK();
}

}  // namespace zel::db
