// create, index and pack: whole-table operations.
#include <filesystem>

#include "platform/db/bulk.h"

#include "tools/command_list.h"
#include "tools/field_text.h"
#include "tools/tool_common.h"

namespace zel::tools {

int cmdCreate(const CommandLine& cl, Io io) {
  const std::string& path = cl.args[0];
  std::vector<db::FieldDef> fields;
  for (size_t i = 1; i < cl.args.size(); ++i) {
    auto f = parseFieldSpec(cl.args[i]);
    if (!f.ok()) return fail(io, f.status().message());
    fields.push_back(*f);
  }
  if (Status s = checkFieldList(fields); !s.ok()) return fail(io, s.message());
  // Never replace a table that holds data by accident.
  if (std::filesystem::exists(path)) return fail(io, path + " already exists; remove it first");
  if (Status s = db::Table::create(db::posixEnv(), path, fields); !s.ok())
    return fail(io, "cannot create " + path, s);
  io.out << "created " << path << " with " << fields.size() << " fields\n";
  return kExitOk;
}

int cmdIndex(const CommandLine& cl, Io io) {
  const std::string& path = cl.args[0];
  const std::string& index = cl.args[1];
  const std::string& key = cl.args[2];
  // A build reads every record: nobody may append meanwhile.
  auto t = openTable(path, db::OpenMode::kExclusive, false);
  if (!t.ok()) return fail(io, "cannot open " + path + " for exclusive use", t.status());
  db::Table& table = **t;
  if (Status s = table.createIndex(index, key); !s.ok()) return fail(io, "cannot build " + index, s);
  if (Status s = table.flush(); !s.ok()) return fail(io, "writing " + index, s);
  io.out << "indexed " << table.recordCount() << " records of " << path << " into " << index << " on "
         << key << "\n";
  return kExitOk;
}

int cmdPack(const CommandLine& cl, Io io) {
  const std::string& path = cl.args[0];
  auto t = openTable(path, db::OpenMode::kExclusive, false);
  if (!t.ok()) return fail(io, "cannot open " + path + " for exclusive use", t.status());
  db::Table& table = **t;
  for (size_t i = 1; i < cl.args.size(); ++i)
    if (Status s = table.attachIndex(cl.args[i]); !s.ok()) return fail(io, "cannot use the index " + cl.args[i], s);
  uint32_t before = table.recordCount();
  Status s = db::pack(table);
  if (!s.ok()) return fail(io, "cannot pack " + path, s);
  if (Status f = table.flush(); !f.ok()) return fail(io, "writing " + path, f);
  uint32_t after = table.recordCount();
  io.out << "packed " << path << ": " << after << " records kept, " << (before - after) << " removed\n";
  return kExitOk;
}

}  // namespace zel::tools
