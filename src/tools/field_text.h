// Field values between the table's bytes (CP850, fixed width) and the text
// users exchange with the tool (UTF-8 CSV cells and JSON values).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/db/field.h"
#include "platform/sys/status.h"
#include "tools/text_io.h"

namespace zel::tools {

// The UTF-8 text of a field for a CSV cell. `raw` is the field's bytes in the
// record; for a memo field `memo` is the memo's CP850 text. Character fields
// lose their trailing blanks, numbers their leading ones; a blank logical
// reads as "F", as xBase reads it.
std::string fieldToCsv(const db::FieldDef& f, std::string_view raw, std::string_view memo);

// The same as a JSON value: numbers as numbers (blank 0, an overflowed
// "****" null), logicals true/false, dates "YYYYMMDD" or "".
std::string fieldToJson(const db::FieldDef& f, std::string_view raw, std::string_view memo);

// What a cell or JSON value becomes in a record: the field's exact bytes
// (width bytes, CP850) or, for a memo, the memo's CP850 text.
struct FieldInput {
  std::string bytes;
};

// Converts user text (UTF-8) for a field. Refuses, with a plain message,
// text the code page lacks, text wider than the field, a malformed number
// or date, and a number that does not fit the field's width and decimals.
Result<FieldInput> csvToField(const db::FieldDef& f, std::string_view utf8);
Result<FieldInput> jsonToField(const db::FieldDef& f, const JsonValue& v);

// The blank bytes of a field (what an appended blank record holds).
std::string blankField(const db::FieldDef& f);

// "NAME:TYPE:WIDTH[:DEC]" as typed on the command line. The width may be
// left out for D, L and M, whose widths are fixed.
Result<db::FieldDef> parseFieldSpec(std::string_view spec);

// Checks a whole field list: names unique, at least one field, record length
// within what the format can hold.
Status checkFieldList(const std::vector<db::FieldDef>& fields);

// Formats a decimal number (as text: "-12.5", "3", "1e3") into a numeric
// field of the given width and decimals, rounding half away from zero.
Result<std::string> formatNumber(std::string_view number, int width, int decimals);

}  // namespace zel::tools
