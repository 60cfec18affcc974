// dump and seek: records out as CSV or JSON lines.
#include <cstdlib>

#include "platform/sys/cp850.h"
#include "tools/command_list.h"
#include "tools/field_text.h"
#include "tools/text_io.h"
#include "tools/tool_common.h"

namespace zel::tools {

namespace {

int printCurrent(db::Table& t, bool json, Io io) {
  auto line = json ? jsonRecord(t) : csvRecord(t);
  if (!line.ok()) return fail(io, "record " + std::to_string(t.recno()), line.status());
  io.out << *line << "\n";
  return kExitOk;
}

Status attach(db::Table& t, const std::string& index) {
  return retryWhileLocked([&] { return t.attachIndex(index); });
}

}  // namespace

int cmdDump(const CommandLine& cl, Io io) {
  const std::string& path = cl.args[0];
  auto t = openTable(path, db::OpenMode::kShared, true);
  if (!t.ok()) return fail(io, "cannot open " + path, t.status());
  db::Table& table = **t;
  if (!cl.index.empty()) {
    if (Status s = attach(table, cl.index); !s.ok()) return fail(io, "cannot use the index " + cl.index, s);
  }
  if (!cl.json) io.out << csvLine(csvHeader(table)) << "\n";
  Status s = retryWhileLocked([&] { return table.goTop(); });
  uint64_t shown = 0;
  while (s.ok() && !table.eof()) {
    // An index lists each record once; more entries than records means a
    // damaged index that leads round in a circle.
    if (++shown > table.recordCount())
      return fail(io, "the index " + cl.index + " leads to more entries than the table has records; it is "
                      "damaged (zeldbf check tells more, zeldbf index rebuilds it)");
    if (int rc = printCurrent(table, cl.json, io); rc != kExitOk) return rc;
    s = retryWhileLocked([&] { return table.skip(1); });
  }
  if (!s.ok()) return fail(io, "reading " + path, s);
  io.out.flush();
  return kExitOk;
}

int cmdSeek(const CommandLine& cl, Io io) {
  const std::string& path = cl.args[0];
  const std::string& index = cl.args[1];
  auto t = openTable(path, db::OpenMode::kShared, true);
  if (!t.ok()) return fail(io, "cannot open " + path, t.status());
  db::Table& table = **t;
  if (Status s = attach(table, index); !s.ok()) return fail(io, "cannot use the index " + index, s);

  bool lossless = true;
  std::string key = utf8ToCp850(cl.args[2], &lossless);
  if (!lossless) return fail(io, "the key holds a character that code page 850 lacks");
  auto expr = db::KeyExpr::parse(table.indexKey(1), table.fields());
  Status s;
  if (expr.ok() && expr->isNumeric()) {
    // A bare numeric key is stored in its own coding: seek the number.
    char* end = nullptr;
    double v = std::strtod(key.c_str(), &end);
    if (key.empty() || *end) return fail(io, "the index " + index + " holds numbers; \"" + cl.args[2] + "\" is not one");
    s = retryWhileLocked([&] { return table.seekValue(Value(v), cl.soft); });
  } else {
    s = retryWhileLocked([&] { return table.seek(std::string_view(key), cl.soft); });
  }
  if (!s.ok()) return fail(io, "seeking in " + index, s);
  if (table.eof()) {
    io.err << "zeldbf: key not found\n";
    return kExitNo;
  }
  io.out << csvLine(csvHeader(table)) << "\n";
  if (int rc = printCurrent(table, false, io); rc != kExitOk) return rc;
  if (!table.found()) {
    io.err << "zeldbf: key not found; the record shown has the next greater key\n";
    return kExitNo;
  }
  return kExitOk;
}

}  // namespace zel::tools
