// Table: one open DBF table with its memo file and attached indexes, and a
// cursor over its records with the xBase positioning rules.
//
// Cursor. Records are numbered from 1. Past the last record the cursor sits
// on a phantom record recordCount() + 1 whose fields are blank, and eof() is
// true. A skip back from the first visible record stays on it and sets
// bof(); on a table with no visible record both flags are set. goTo() lands
// on the record asked for even when it is hidden (as GOTO does). A record is
// visible when the global hideDeleted() setting does not hide it and the
// filter (if any) accepts it; goTop, goBottom, skip and seek step over the
// others. With a controlling index the cursor follows key order, otherwise
// record order. found() tells whether the last seek found its key; every
// other move clears it.
//
// Sharing. A table is opened shared or exclusive (lock_ranges.h says how the
// two modes see each other). In shared use every write goes straight to the
// file and nothing is cached across calls: positioning re-reads the header's
// record count and the record, so what another process appended or changed
// is seen. Writing a record (put, markDeleted, recall) in shared use REQUIRES
// a lock on it (lockRecord) or the file lock (lockFile); appendBlank locks
// the new record itself. Lock calls return at once with Status::Locked when
// another process or handle holds the lock; waiting is the caller's
// business. Exclusive use needs no locks, and as no other process can open
// the table then, it keeps appended records (up to 64 KB), the header's
// record count and changed index pages in memory until flush(), close(), a
// rebuild or a read that needs them; records are read ahead in blocks. A
// process killed meanwhile leaves whole records past the header's count
// (every open counts them) and an index that may miss keys: reindex() or
// the table tool's index command rebuilds it. In shared use index files are changed under
// their update lock and memos are placed under the memo lock; those two are
// held by another process only for the few writes of one change, so the
// table waits them out (up to two seconds for an index, one for a memo)
// rather than failing a cursor move or a write.
//
// Errors are Status values, never exceptions. Not thread-safe: one Table
// per thread (two Tables on one file lock each other out as two processes
// would).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "platform/db/dbf.h"
#include "platform/db/dbt.h"
#include "platform/db/env.h"
#include "platform/db/key_expr.h"
#include "platform/db/ntx.h"

namespace zel::db {

enum class OpenMode { kShared, kExclusive };

// The global setting that hides deleted records from every operation
// (cursor moves, seeks, copies, exports). Off at start.
void setHideDeleted(bool hide);
bool hideDeleted();

class Table;
// A record filter: true keeps the current record. It reads the record
// through the table it is given and must not move its cursor.
using RecordFilter = std::function<bool(const Table&)>;

class Table final : public RecordView {
 public:
  // Writes a new, empty table file (and an empty DBT when a field is a
  // memo), replacing any file of that name. `path` is the DBF file. Locked
  // when a table of that name is open (here or in another process).
  static Status create(Env& env, const std::string& path, const std::vector<FieldDef>& fields);

  // Opens a table. Locked when another process or handle holds the file in
  // a way the mode cannot share ("network-open failure"); NotFound when the
  // file (or its memo file) is missing; Corruption when it is malformed.
  // The cursor starts on the first record in record order (or eof). A
  // read-only open takes the shared open lock whatever the mode.
  static Result<std::unique_ptr<Table>> open(Env& env, const std::string& path,
                                             OpenMode mode = OpenMode::kShared,
                                             bool readOnly = false);

  Table(const Table&) = delete;
  Table& operator=(const Table&) = delete;
  ~Table() override;

  // Structure.
  const std::string& path() const { return path_; }
  Env& env() const { return env_; }
  bool exclusive() const { return mode_ == OpenMode::kExclusive; }
  bool readOnly() const { return readOnly_; }
  const std::vector<FieldDef>& fields() const override { return layout_.fields; }
  int fieldCount() const { return static_cast<int>(layout_.fields.size()); }
  // Field position by name (case-insensitive), -1 when absent.
  int fieldIndex(std::string_view name) const { return layout_.fieldIndex(name); }
  std::vector<std::string> fieldNames() const;
  int recordSize() const { return static_cast<int>(layout_.recordLength); }
  int headerSize() const { return static_cast<int>(layout_.headerLength); }
  const DbfLayout& layout() const { return layout_; }
  // Record count; in shared use re-read from the file first.
  uint32_t recordCount();
  // Re-reads the record count (and the current record) from the file.
  Status refresh();
  // Whether the header's record count disagreed with the whole records in
  // the file at open (a writer stopped between record and header, a file
  // cut short); the records present count. An exclusive open also rewrites
  // the header count and tidies the end of the file (a partial record or
  // garbage cut off, the end mark written).
  bool countRepaired() const { return countRepaired_; }

  // Cursor.
  Status goTop();
  Status goBottom();
  Status goTo(uint32_t recno);
  Status skip(long n = 1);
  // Seeks in the controlling index: the first visible record whose key
  // starts with `key`. Not found: with `soft` the next greater key's record
  // (eof when none), otherwise eof. InvalidArgument without an index.
  Status seek(std::string_view key, bool soft = false);
  // The same with the key made from a value the way the index stores it.
  Status seekValue(const Value& v, bool soft = false);
  bool eof() const { return eof_; }
  bool bof() const { return bof_; }
  bool found() const { return found_; }
  uint32_t recno() const { return recno_; }
  bool deleted() const { return !rec_.empty() && rec_[0] == '*'; }

  // Fields of the current record. A memo field gives its text.
  Result<Value> get(int i) const;
  Result<Value> get(std::string_view name) const;
  // Raw bytes of field i as stored (for M: the block number).
  std::string_view raw(int i) const override;
  // Text of a field with trailing blanks removed (empty for unknown fields).
  std::string text(std::string_view name) const;
  double number(std::string_view name) const;
  // Writes one field of the current record to the file at once and keeps
  // the attached indexes in step. A memo field takes a text.
  Status put(int i, const Value& v);
  Status put(std::string_view name, const Value& v);
  // Writes the raw bytes of a field (exactly its width).
  Status putRaw(int i, std::string_view bytes);

  // Appends a blank record and moves to it; in shared use it stays locked
  // (other record locks of this table are released). Locked when another
  // process holds the append lock or the file lock.
  Status appendBlank();
  // Appends a record from its bytes (deletion byte and fields, recordSize()
  // bytes); the bulk operations use it.
  Status appendRaw(std::string_view record);
  Status markDeleted();
  Status recall();

  void setFilter(RecordFilter f) { filter_ = std::move(f); }
  void clearFilter() { filter_ = nullptr; }
  bool hasFilter() const { return static_cast<bool>(filter_); }
  // Whether the current record passes the deleted setting and the filter.
  bool visible() const;

  // Locks. lockRecord locks one record and, like RLOCK, first releases the
  // other record locks of this table; addRecordLock adds one to those held.
  Status lockRecord();
  Status lockRecord(uint32_t recno);
  Status addRecordLock(uint32_t recno);
  Status lockFile();
  Status unlockRecord(uint32_t recno);
  Status unlockAll();
  bool recordLocked(uint32_t recno) const;
  bool fileLocked() const { return fileLocked_; }
  const std::set<uint32_t>& lockedRecords() const { return locked_; }

  // Indexes. createIndex builds an index file on a key expression from all
  // records (deleted ones too) and attaches it; attachIndex opens an
  // existing file and parses its key against the table's fields. Attached
  // indexes are numbered from 1 in attach order; the first attached becomes
  // the controlling one. setOrder(0) is record order.
  Status createIndex(const std::string& path, std::string_view keyText, bool unique = false);
  Status attachIndex(const std::string& path);
  Status setOrder(int n);
  int order() const { return order_; }
  int indexCount() const { return static_cast<int>(indexes_.size()); }
  // Key expression text of index n (1-based); empty when none.
  std::string indexKey(int n) const;
  std::string indexPath(int n) const;
  void clearIndexes();
  // Rebuilds every attached index from the records.
  Status reindex();

  // Writes everything to disk (what exclusive use kept in memory, then an
  // fsync of the table, memo and index files).
  Status flush();
  // Closes the files and releases every lock; later calls fail.
  Status close();

  // Used by bulk operations: writes the records for which keep(recordBytes)
  // is true to a new file beside the table, renames it over the table,
  // rebuilds the indexes and goes to the top. A failure leaves the old
  // table. REQUIRES exclusive use.
  Status rewrite(const std::function<bool(std::string_view)>& keep);
  // Raw bytes of the current record (deletion byte first).
  std::string_view recordBytes() const { return rec_; }
  MemoFile* memoFile() const { return memo_.get(); }

 private:
  struct Attached;

  Table(Env& env, std::string path, OpenMode mode, bool readOnly);

  Status checkOpen() const;
  Status checkWritable() const;
  Status checkRecordWritable() const;
  Status readRecord(uint32_t recno);
  void setEof();
  Status writeHeaderCount(uint32_t count);
  Status writeDate();
  Status refreshCount();
  // Exclusive use keeps the header count and index changes in memory;
  // these write them.
  Status writeDeferredCount();  // with the pending records
  Status writePending();
  Status commitDeferred();
  Status appendRecord(std::string record);
  bool passes() const;

  // Moves in record order (no index) to the first visible record at or
  // after (step +1) or before (step -1) `from`; eof when none.
  Status scanNatural(uint32_t from, int step, bool* landed);
  // Same through the controlling index, from an entry.
  Status scanIndex(std::optional<NtxEntry> from, int step, bool* landed);
  Status skipOne(int step, bool* moved);
  Status goEdge(int dir);
  Status takeRecordLock(uint32_t recno, bool only);
  NtxEntry indexPosition(Attached& a) const;
  // Corruption when a step from key `from` went the wrong way in key order.
  Status checkStep(const NtxIndex& ix, const std::string& from, const std::optional<NtxEntry>& to,
                   int step) const;
  Attached* controlling() const;
  Status writeRecordBytes(uint32_t recno, std::string newRecord);
  Status buildIndex(Attached& a);

  Env& env_;
  std::string path_;
  OpenMode mode_;
  bool readOnly_;
  bool open_ = false;
  bool modified_ = false;
  bool countRepaired_ = false;
  std::unique_ptr<File> file_;
  std::unique_ptr<MemoFile> memo_;
  DbfLayout layout_;
  uint32_t count_ = 0;
  bool countDirty_ = false;   // count_ not yet in the header (exclusive use)
  bool countKnown_ = false;   // count_ reconciled with a file of countSize_ bytes
  uint64_t countSize_ = 0;
  // Exclusive use: appended records not yet written, from pendingFirst_ on.
  static constexpr size_t kWriteBehind = 64 * 1024;
  std::string pending_;
  uint32_t pendingFirst_ = 0;
  // Exclusive use: records read ahead, from record blockFirst_ on.
  static constexpr size_t kReadAhead = 64 * 1024;
  std::string block_;
  uint32_t blockFirst_ = 0;
  uint32_t recno_ = 0;
  std::string rec_;
  bool eof_ = true;
  bool bof_ = true;
  bool found_ = false;
  RecordFilter filter_;
  std::set<uint32_t> locked_;
  bool fileLocked_ = false;
  std::vector<std::unique_ptr<Attached>> indexes_;
  int order_ = 0;
  // The controlling index's entry the cursor last landed on.
  std::optional<NtxEntry> landed_;
};

// The memo file path of a table file: the same name with .DBT (or .dbt when
// the table's extension is lower case).
std::string memoPathFor(const std::string& tablePath);

}  // namespace zel::db
