// check: whether a table agrees with its memo file and its indexes.
//
// Records: deletion byte, numbers, dates, logicals; memo pointers inside
// the memo file, readable, never shared, and below the header's next free
// block. Indexes: sound structure (NtxIndex::check), keys in order, every
// live record exactly once, each key equal to its expression on its record.
// One verdict line on standard output; the details on standard error.
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>

#include "platform/db/lock_ranges.h"
#include "platform/db/ntx.h"
#include "platform/sys/date.h"
#include "tools/command_list.h"
#include "tools/tool_common.h"

namespace zel::tools {

namespace {

constexpr size_t kMaxShown = 20;

class Findings {
 public:
  void add(std::string what) {
    ++count_;
    if (shown_.size() < kMaxShown) shown_.push_back(std::move(what));
  }
  size_t count() const { return count_; }
  const std::vector<std::string>& shown() const { return shown_; }

 private:
  size_t count_ = 0;
  std::vector<std::string> shown_;
};

bool isNumberText(std::string_view raw) {
  size_t b = raw.find_first_not_of(' ');
  if (b == std::string_view::npos) return true;  // blank: empty number
  std::string_view t = raw.substr(b);
  while (!t.empty() && t.back() == ' ') t.remove_suffix(1);
  if (t.find_first_not_of('*') == std::string_view::npos) return true;  // overflow mark
  if (t[0] == '-' || t[0] == '+') t.remove_prefix(1);
  bool digit = false, point = false;
  for (char c : t) {
    if (c >= '0' && c <= '9') digit = true;
    else if (c == '.' && !point) point = true;
    else return false;
  }
  return digit;
}

std::string recordName(uint32_t r) { return "record " + std::to_string(r); }

// What the memo file says and what the records make of it.
struct MemoCheck {
  uint64_t size = 0;      // bytes
  uint32_t nextFree = 0;  // from the header
  std::map<uint32_t, uint32_t> owner;  // first block -> record
};

void checkFields(db::Table& t, uint32_t r, MemoCheck& memo, Findings& f) {
  std::string_view rec = t.recordBytes();
  if (!rec.empty() && rec[0] != ' ' && rec[0] != '*')
    f.add(recordName(r) + ": deletion byte is neither blank nor '*'");
  for (int i = 0; i < t.fieldCount(); ++i) {
    const db::FieldDef& fd = t.fields()[static_cast<size_t>(i)];
    std::string_view raw = t.raw(i);
    std::string where = recordName(r) + ", field " + fd.name;
    switch (fd.type) {
      case 'N':
        if (!isNumberText(raw)) f.add(where + ": \"" + std::string(raw) + "\" is not a number");
        break;
      case 'D':
        if (raw.find_first_not_of(' ') != std::string_view::npos && !Date::fromDtos(raw))
          f.add(where + ": \"" + std::string(raw) + "\" is not a date");
        break;
      case 'L':
        if (raw.size() != 1 || std::string_view("TtFfYyNn? ").find(raw[0]) == std::string_view::npos)
          f.add(where + ": \"" + std::string(raw) + "\" is not a logical");
        break;
      case 'M': {
        if (raw.find_first_not_of(' ') == std::string_view::npos) break;
        uint32_t block = db::memoBlock(raw);
        if (block == 0) {
          f.add(where + ": \"" + std::string(raw) + "\" is not a memo block number");
        } else if (static_cast<uint64_t>(block) * db::kMemoBlockSize >= memo.size) {
          f.add(where + ": memo block " + std::to_string(block) + " lies beyond the end of the memo file");
        } else if (auto v = t.get(i); !v.ok()) {
          f.add(where + ": " + v.status().message());
        } else {
          // Memos never share blocks, and the header's next free block must
          // lie past every memo, or the next writer overwrites one.
          auto [it, fresh] = memo.owner.emplace(block, r);
          if (!fresh) f.add(where + ": memo block " + std::to_string(block) + " is also used by record " +
                            std::to_string(it->second));
          uint64_t end = block + (v->text().size() + 2 + db::kMemoBlockSize - 1) / db::kMemoBlockSize;
          if (end > memo.nextFree)
            f.add(where + ": the memo at block " + std::to_string(block) + " runs past the next free block " +
                  std::to_string(memo.nextFree) + " named in the memo file's header");
        }
        break;
      }
    }
  }
}

struct IndexUnderCheck {
  std::string path;
  std::unique_ptr<db::NtxIndex> ntx;
  std::unique_ptr<db::KeyExpr> expr;
  std::vector<std::string> keys;  // expected key of each record, [0] unused
};

void checkIndex(IndexUnderCheck& ix, db::Table& t, uint32_t count, Findings& f) {
  auto stats = ix.ntx->check(count);
  if (!stats.ok()) {
    f.add(ix.path + ": " + stats.status().message());
    return;
  }
  std::vector<uint32_t> seen(count + 1, 0);
  std::string previous;
  bool first = true;
  Status walked = ix.ntx->walk([&](const db::NtxEntry& e) {
    if (!first && e.key < previous) f.add(ix.path + ": keys out of order at record " + std::to_string(e.recno));
    first = false;
    previous = e.key;
    if (e.recno < 1 || e.recno > count) {
      f.add(ix.path + ": points to record " + std::to_string(e.recno) + ", beyond the table");
      return true;
    }
    if (++seen[e.recno] == 2) f.add(ix.path + ": " + recordName(e.recno) + " is listed more than once");
    if (e.key != ix.keys[e.recno])
      f.add(ix.path + ": the key of " + recordName(e.recno) + " is \"" + e.key + "\", its record gives \"" +
            ix.keys[e.recno] + "\"");
    return true;
  });
  if (!walked.ok()) {
    f.add(ix.path + ": " + walked.message());
    return;
  }
  for (uint32_t r = 1; r <= count; ++r) {
    if (seen[r] || ix.ntx->unique()) continue;
    Status s = t.goTo(r);
    if (s.ok() && !t.deleted()) f.add(ix.path + ": " + recordName(r) + " is missing from the index");
  }
}

}  // namespace

int cmdCheck(const CommandLine& cl, Io io) {
  const std::string& path = cl.args[0];
  if (!std::filesystem::exists(path)) return fail(io, path + " does not exist");
  Findings found;
  auto verdict = [&](const std::string& good) {
    for (const auto& s : found.shown()) io.err << "  " << s << "\n";
    if (found.count() > found.shown().size())
      io.err << "  ... and " << (found.count() - found.shown().size()) << " more\n";
    if (found.count() == 0) {
      io.out << "consistent: " << good << "\n";
      return kExitOk;
    }
    io.out << "inconsistent: " << path << ": " << found.count() << " problem" << (found.count() > 1 ? "s" : "")
           << "; first: " << found.shown().front() << "\n";
    return kExitNo;
  };

  auto t = openTable(path, db::OpenMode::kShared, true);
  if (!t.ok()) {
    if (t.status().isCorruption() || t.status().isNotFound()) {
      found.add("cannot open: " + t.status().message());
      return verdict("");
    }
    return fail(io, "cannot open " + path, t.status());
  }
  db::Table& table = **t;
  const db::DbfLayout& layout = table.layout();
  uint32_t count = table.recordCount();

  std::error_code ec;
  uint64_t size = std::filesystem::file_size(path, ec);
  uint64_t dataEnd = layout.headerLength + static_cast<uint64_t>(count) * layout.recordLength;
  std::string notes;
  if (layout.headerCount != count)
    notes += "; the header count " + std::to_string(layout.headerCount) + " was reconciled to the file";
  if (size > dataEnd + 1) notes += "; " + std::to_string(size - dataEnd) + " bytes past the last whole record";

  MemoCheck memo;
  if (layout.hasMemo()) {
    std::string memoPath = db::memoPathFor(path);
    memo.size = std::filesystem::file_size(memoPath, ec);
    std::ifstream in(memoPath, std::ios::binary);
    unsigned char head[4] = {};
    in.read(reinterpret_cast<char*>(head), 4);
    memo.nextFree = uint32_t(head[0]) | uint32_t(head[1]) << 8 | uint32_t(head[2]) << 16 | uint32_t(head[3]) << 24;
  }

  std::vector<IndexUnderCheck> indexes;
  for (size_t i = 1; i < cl.args.size(); ++i) {
    IndexUnderCheck ix;
    ix.path = cl.args[i];
    if (!std::filesystem::exists(ix.path)) return fail(io, ix.path + " does not exist");
    auto n = db::NtxIndex::open(db::posixEnv(), ix.path, true);
    if (!n.ok()) {
      found.add(ix.path + ": " + n.status().message());
      continue;
    }
    auto e = db::KeyExpr::parse((*n)->keyText(), table.fields());
    if (!e.ok()) {
      found.add(ix.path + ": its key \"" + (*n)->keyText() + "\" does not fit the table: " + e.status().message());
      continue;
    }
    if (Status m = (*n)->matches(*e); !m.ok()) {
      found.add(ix.path + ": " + m.message());
      continue;
    }
    ix.ntx = std::move(n.value());
    ix.expr = std::make_unique<db::KeyExpr>(*e);
    ix.keys.resize(count + 1);
    indexes.push_back(std::move(ix));
  }

  for (uint32_t r = 1; r <= count; ++r) {
    if (Status s = table.goTo(r); !s.ok()) {
      found.add(recordName(r) + ": " + s.message());
      continue;
    }
    checkFields(table, r, memo, found);
    for (auto& ix : indexes) ix.keys[r] = ix.expr->evaluate(table);
  }
  for (auto& ix : indexes) checkIndex(ix, table, count, found);

  std::string good = path + ", " + std::to_string(count) + " records";
  if (layout.hasMemo()) good += ", memo file";
  good += ", " + std::to_string(indexes.size()) + " index" + (indexes.size() == 1 ? "" : "es") + notes;
  return verdict(good);
}

}  // namespace zel::tools
