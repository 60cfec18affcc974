// Bulk operations over whole tables: pack, zap, copies to new tables and
// text files, appends from other tables, and a loop over records.
//
// Those that walk the source do so from its top in its controlling order,
// over visible records only (the hideDeleted() setting and the filter), and
// leave it at eof.
#pragma once

#include <functional>
#include <string>

#include "platform/db/table.h"

namespace zel::db {

// A condition on the current record of a table.
using Condition = std::function<bool(const Table&)>;

// Removes the records marked deleted and rebuilds the attached indexes.
// REQUIRES the table open exclusive. Memo blocks are left as they are.
Status pack(Table& t);

// Removes every record, empties the memo file, rebuilds the indexes empty.
// REQUIRES the table open exclusive.
Status zap(Table& t);

// Writes a new table file at `path` (replacing one that exists) with the
// fields of `src` and the visible records of `src` meeting `cond` (all when
// empty), deletion marks and memo texts included.
Status copyTo(Table& src, Env& env, const std::string& path, const Condition& cond = nullptr);

// Appends to `dst` every visible record of the table file at `srcPath`
// meeting `cond`, matching fields by name: a field of `dst` missing in the
// source stays blank; texts are cut or padded to the new width, numbers are
// written again in the new width and decimals (asterisks when they do not
// fit), a text and a memo exchange their text, other type changes stay
// blank. Deletion marks are kept. The source is opened shared, read-only.
Status appendFrom(Table& dst, Env& env, const std::string& srcPath, const Condition& cond = nullptr);

// Writes the visible, not deleted records of `src` to a comma-delimited
// text file, replacing it: one line per record ending CR LF, every field in
// table order separated by commas; texts (and memos) without trailing
// blanks in double quotes (a quote inside is written as it is), numbers in
// the field's width and decimals without leading blanks, dates YYYYMMDD or
// nothing when empty, logicals T or F; then one 0x1A when a line was
// written. The bytes are the table's own (code page 850).
Status copyDelimited(Table& src, Env& env, const std::string& path);

// Calls `fn` on every visible record of `t` meeting `cond`, from the top in
// the controlling order; stops at the first failure and returns it.
Status forEach(Table& t, const Condition& cond, const std::function<Status(Table&)>& fn);

}  // namespace zel::db
