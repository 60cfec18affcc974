// info: the structure of a table in plain lines.
#include <cstdio>
#include <filesystem>

#include "tools/command_list.h"
#include "tools/tool_common.h"

namespace zel::tools {

namespace {

std::string codePageName(uint8_t mark) {
  switch (mark) {
    case 0x00: return "not marked";
    case 0x01: return "437";
    case 0x02: return "850";
    case 0x03: return "1252";
    case 0x25: return "850 (Portuguese)";
    case 0x0A: case 0x0E: case 0x10: case 0x12: case 0x14: case 0x16: case 0x1A: case 0x1D:
    case 0x37: return "850";
    case 0x64: return "852";
    case 0x65: return "866";
    case 0x66: return "865";
  }
  return "unknown";
}

std::string hexByte(unsigned v) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "0x%02X", v & 0xFF);
  return buf;
}

}  // namespace

int cmdInfo(const CommandLine& cl, Io io) {
  const std::string& path = cl.args[0];
  auto t = openTable(path, db::OpenMode::kShared, true);
  if (!t.ok()) return fail(io, "cannot open " + path, t.status());
  db::Table& table = **t;
  const db::DbfLayout& l = table.layout();
  std::error_code ec;
  auto size = std::filesystem::file_size(path, ec);
  uint32_t count = table.recordCount();

  io.out << "table: " << path << "\n";
  io.out << "version: " << hexByte(l.version) << (l.hasMemo() ? " (with memo file)" : " (no memo file)")
         << "\n";
  io.out << "code page: " << hexByte(l.languageDriver) << " (" << codePageName(l.languageDriver) << ")\n";
  char date[16];
  std::snprintf(date, sizeof date, "%04d-%02d-%02d", l.year, l.month, l.day);
  io.out << "last update: " << date << "\n";
  io.out << "records: " << count;
  if (l.headerCount != count) io.out << " (the header says " << l.headerCount << ")";
  io.out << "\n";
  io.out << "header length: " << l.headerLength << " bytes\n";
  io.out << "record length: " << l.recordLength << " bytes\n";
  io.out << "file size: " << (ec ? 0 : size) << " bytes\n";
  if (l.hasMemo()) {
    std::string memo = db::memoPathFor(path);
    auto msize = std::filesystem::file_size(memo, ec);
    io.out << "memo file: " << memo << " (" << (ec ? 0 : msize) << " bytes)\n";
  }
  io.out << "fields: " << l.fields.size() << "\n";
  for (const auto& f : l.fields) {
    char line[64];
    std::snprintf(line, sizeof line, "  %-10s %c %5d", f.name.c_str(), f.type, f.width);
    io.out << line;
    if (f.type == 'N') io.out << " " << f.decimals;
    io.out << "\n";
  }
  return kExitOk;
}

}  // namespace zel::tools
