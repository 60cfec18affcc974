// A program directory made from the delivered reference data.
#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "data/catalogue.h"
#include "platform/db/env.h"
#include "platform/db/table.h"
#include "platform/sys/cp850.h"
#include "shell/zel2009.h"

#ifndef ZEL_DELIVERED_DATA_DIR
#define ZEL_DELIVERED_DATA_DIR "data"
#endif

namespace zel::shell {

namespace {

struct Delivered {
  int number;
  const char* csv;
};
constexpr Delivered kDelivered[] = {{21, "codabens.csv"}, {60, "tabpais.csv"}, {44, "status.csv"}};

// One line of comma-separated fields; a quoted field may hold commas and
// doubled quotes.
std::vector<std::string> splitCsv(const std::string& line) {
  std::vector<std::string> out;
  std::string cur;
  bool quoted = false;
  for (size_t i = 0; i < line.size(); ++i) {
    char c = line[i];
    if (quoted) {
      if (c == '"' && i + 1 < line.size() && line[i + 1] == '"') {
        cur += '"';
        ++i;
      } else if (c == '"') {
        quoted = false;
      } else {
        cur += c;
      }
    } else if (c == '"') {
      quoted = true;
    } else if (c == ',') {
      out.push_back(cur);
      cur.clear();
    } else {
      cur += c;
    }
  }
  out.push_back(cur);
  return out;
}

bool makeDirectories(const std::string& dir, std::string* log) {
  std::string path;
  std::stringstream parts(dir);
  std::string part;
  if (!dir.empty() && dir[0] == '/') path = "/";
  while (std::getline(parts, part, '/')) {
    if (part.empty()) continue;
    path += part;
    if (mkdir(path.c_str(), 0777) != 0 && errno != EEXIST) {
      *log += "cannot create " + path + "\n";
      return false;
    }
    path += '/';
  }
  struct stat sb;
  if (stat(dir.c_str(), &sb) != 0 || !S_ISDIR(sb.st_mode)) {
    *log += dir + " is not a directory\n";
    return false;
  }
  return true;
}

Status buildTable(db::Env& env, const data::TableDef& def, const std::string& dbf,
                  const std::string& csvPath) {
  std::ifstream in(csvPath);
  if (!in) return Status::NotFound(csvPath);
  ZEL_RETURN_IF_ERROR(db::Table::create(env, dbf, def.fields));
  auto opened = db::Table::open(env, dbf, db::OpenMode::kExclusive);
  if (!opened.ok()) return opened.status();
  db::Table& t = **opened;
  std::string line;
  std::vector<std::string> header;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) continue;
    std::vector<std::string> cells = splitCsv(line);
    if (header.empty()) {
      header = cells;
      continue;
    }
    ZEL_RETURN_IF_ERROR(t.appendBlank());
    for (size_t i = 0; i < header.size() && i < cells.size(); ++i) {
      int f = t.fieldIndex(header[i]);
      if (f < 0) continue;
      bool lossless = true;
      std::string text = utf8ToCp850(cells[i], &lossless);
      if (!lossless) return Status::InvalidArgument(csvPath + ": text outside code page 850");
      const db::FieldDef& fd = t.fields()[static_cast<size_t>(f)];
      Value v = fd.type == 'N' ? Value(std::strtod(text.c_str(), nullptr)) : Value(text);
      ZEL_RETURN_IF_ERROR(t.put(f, v));
    }
  }
  const std::string ntx = dbf.substr(0, dbf.size() - 4) + ".NTX";
  if (!def.indexes.empty()) ZEL_RETURN_IF_ERROR(t.createIndex(ntx, def.indexes[0].key));
  ZEL_RETURN_IF_ERROR(t.flush());
  return t.close();
}

}  // namespace

std::string deliveredDataDir() {
  const char* env = std::getenv("ZEL_DATA_DIR");
  return env && *env ? std::string(env) : std::string(ZEL_DELIVERED_DATA_DIR);
}

bool initProgramDirectory(const std::string& dir, const std::string& dataDir, std::string* log) {
  if (!makeDirectories(dir, log)) return false;
  db::Env& env = db::posixEnv();
  bool ok = true;
  for (const Delivered& d : kDelivered) {
    const data::TableDef* def = data::findTable(d.number);
    const std::string dbf = dir + "/" + std::string(def->file) + ".DBF";
    // A table that is there may hold the office's own changes.
    bool present = false;
    if (auto names = env.list(dir); names.ok()) {
      for (const auto& n : *names)
        if (cp850Upper(n) == std::string(def->file) + ".DBF") present = true;
    }
    if (present) continue;
    Status s = buildTable(env, *def, dbf, dataDir + "/" + d.csv);
    if (!s.ok()) {
      *log += std::string(def->file) + ": " + s.toString() + "\n";
      (void)env.remove(dbf);
      ok = false;
    }
  }
  return ok;
}

}  // namespace zel::shell
