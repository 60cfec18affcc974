// append: rows from standard input (CSV with a header line, or JSON lines)
// become records, with the named indexes kept in step. Every row is checked
// before the first is written, so a bad row leaves the table untouched.
#include <cctype>
#include <istream>
#include <map>

#include "tools/command_list.h"
#include "tools/field_text.h"
#include "tools/text_io.h"
#include "tools/tool_common.h"

namespace zel::tools {

namespace {

struct Row {
  std::string record;                       // deletion byte + fields
  std::vector<std::pair<int, std::string>> memos;  // field, CP850 text
};

std::string upper(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

class RowBuilder {
 public:
  explicit RowBuilder(const db::Table& t) : fields_(t.fields()), offsets_(t.layout().offsets) {
    blank_ = std::string(t.layout().recordLength, ' ');
  }

  // Column name -> field (or a marker column); InvalidArgument when unknown.
  Result<int> column(const std::string& name) const {
    std::string u = upper(name);
    if (u == "_DELETED") return kDeleted;
    if (u == "_RECNO") return kRecno;
    for (size_t i = 0; i < fields_.size(); ++i)
      if (fields_[i].name == u) return static_cast<int>(i);
    return Status::InvalidArgument("the table has no field \"" + name + "\"");
  }

  Row start() const { return Row{blank_, {}}; }

  Status set(Row& row, int col, const Result<FieldInput>& in) const {
    if (!in.ok()) return in.status();
    const auto& f = fields_[static_cast<size_t>(col)];
    if (f.type == 'M') {
      if (!in->bytes.empty()) row.memos.emplace_back(col, in->bytes);
      return Status::OK();
    }
    row.record.replace(offsets_[static_cast<size_t>(col)], static_cast<size_t>(f.width), in->bytes);
    return Status::OK();
  }

  const db::FieldDef& field(int col) const { return fields_[static_cast<size_t>(col)]; }

  static constexpr int kDeleted = -1;
  static constexpr int kRecno = -2;

 private:
  const std::vector<db::FieldDef>& fields_;
  const std::vector<uint32_t>& offsets_;
  std::string blank_;
};

Result<bool> parseDeleted(std::string_view v) {
  std::string u = upper(std::string(v));
  if (u.empty() || u == "FALSE" || u == "F" || u == "0" || u == "N") return false;
  if (u == "TRUE" || u == "T" || u == "1" || u == "Y" || u == "*") return true;
  return Status::InvalidArgument("_deleted is true or false, not \"" + std::string(v) + "\"");
}

Status lineError(long line, const Status& s) {
  return Status::InvalidArgument("line " + std::to_string(line) + ": " + s.message());
}

Status readCsv(std::istream& in, const RowBuilder& b, std::vector<Row>* rows) {
  CsvReader r(in);
  Status st;
  auto header = r.next(&st);
  if (!st.ok()) return lineError(r.line(), st);
  if (!header) return Status::OK();  // no input at all
  std::vector<int> cols;
  for (const auto& name : *header) {
    auto c = b.column(name);
    if (!c.ok()) return lineError(r.line(), c.status());
    for (int seen : cols)
      if (seen == *c) return lineError(r.line(), Status::InvalidArgument("the column " + name + " is named twice"));
    cols.push_back(*c);
  }
  while (auto cells = r.next(&st)) {
    if (cells->size() != cols.size())
      return lineError(r.line(), Status::InvalidArgument("the row has " + std::to_string(cells->size()) +
                                                         " cells and the header " + std::to_string(cols.size())));
    Row row = b.start();
    for (size_t i = 0; i < cols.size(); ++i) {
      if (cols[i] == RowBuilder::kRecno) continue;
      if (cols[i] == RowBuilder::kDeleted) {
        auto d = parseDeleted((*cells)[i]);
        if (!d.ok()) return lineError(r.line(), d.status());
        row.record[0] = *d ? '*' : ' ';
        continue;
      }
      Status s = b.set(row, cols[i], csvToField(b.field(cols[i]), (*cells)[i]));
      if (!s.ok()) return lineError(r.line(), s);
    }
    rows->push_back(std::move(row));
  }
  if (!st.ok()) return lineError(r.line(), st);
  return Status::OK();
}

Status readJson(std::istream& in, const RowBuilder& b, std::vector<Row>* rows) {
  std::string line;
  long n = 0;
  while (std::getline(in, line)) {
    ++n;
    if (line.find_first_not_of(" \t\r") == std::string::npos) continue;
    auto obj = parseJsonObject(line);
    if (!obj.ok()) return lineError(n, obj.status());
    Row row = b.start();
    for (const auto& [name, value] : *obj) {
      auto c = b.column(name);
      if (!c.ok()) return lineError(n, c.status());
      if (*c == RowBuilder::kRecno) continue;
      if (*c == RowBuilder::kDeleted) {
        bool del = value.kind == JsonValue::Kind::kBool && value.boolean;
        if (value.kind != JsonValue::Kind::kBool && value.kind != JsonValue::Kind::kNull)
          return lineError(n, Status::InvalidArgument("_deleted is true or false"));
        row.record[0] = del ? '*' : ' ';
        continue;
      }
      Status s = b.set(row, *c, jsonToField(b.field(*c), value));
      if (!s.ok()) return lineError(n, s);
    }
    rows->push_back(std::move(row));
  }
  return Status::OK();
}

Status appendRow(db::Table& t, const Row& row) {
  ZEL_RETURN_IF_ERROR(retryWhileLocked([&] { return t.appendRaw(row.record); }));
  if (!row.memos.empty()) {
    uint32_t recno = t.recno();
    if (!t.exclusive() && !t.recordLocked(recno))
      ZEL_RETURN_IF_ERROR(retryWhileLocked([&] { return t.lockRecord(recno); }));
    for (const auto& [col, text] : row.memos) ZEL_RETURN_IF_ERROR(t.put(col, Value(text)));
  }
  if (!t.exclusive()) return t.unlockAll();
  return Status::OK();
}

}  // namespace

int cmdAppend(const CommandLine& cl, Io io) {
  const std::string& path = cl.args[0];
  auto t = openTable(path, db::OpenMode::kShared, false);
  if (!t.ok()) return fail(io, "cannot open " + path, t.status());
  db::Table& table = **t;
  for (size_t i = 1; i < cl.args.size(); ++i) {
    Status s = retryWhileLocked([&] { return table.attachIndex(cl.args[i]); });
    if (!s.ok()) return fail(io, "cannot use the index " + cl.args[i], s);
  }
  RowBuilder builder(table);
  // Spreadsheets often start their UTF-8 files with a byte-order mark.
  if (io.in.peek() == 0xEF) {
    char bom[3] = {};
    io.in.read(bom, 3);
    if (std::string_view(bom, static_cast<size_t>(io.in.gcount())) != "\xEF\xBB\xBF")
      return fail(io, "nothing appended: the input does not start with text");
  }
  std::vector<Row> rows;
  Status read = cl.json ? readJson(io.in, builder, &rows) : readCsv(io.in, builder, &rows);
  if (!read.ok()) return fail(io, "nothing appended: " + read.message());
  size_t done = 0;
  for (const Row& row : rows) {
    if (Status s = appendRow(table, row); !s.ok()) {
      io.err << "zeldbf: " << done << " of " << rows.size() << " rows were appended before the error\n";
      return fail(io, "cannot append to " + path, s);
    }
    ++done;
  }
  if (Status s = table.flush(); !s.ok()) return fail(io, "writing " + path, s);
  io.out << "appended " << done << (done == 1 ? " record to " : " records to ") << path << "\n";
  return kExitOk;
}

}  // namespace zel::tools
