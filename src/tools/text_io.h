// Delimited text and JSON lines: how the table tool talks to the outside.
//
// Everything here works on UTF-8 text; conversion to and from the tables'
// code page happens in the value layer (field_text.h).
#pragma once

#include <cstddef>
#include <istream>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/sys/status.h"

namespace zel::tools {

// One CSV field, quoted when it holds a comma, a quote, a line break or
// blanks at either end (so that reading it back keeps them).
std::string csvField(std::string_view text);
std::string csvLine(const std::vector<std::string>& fields);

// Reads CSV records (RFC 4180: quoted fields may hold commas, doubled quotes
// and line breaks; CRLF or LF line ends). Blank lines are skipped.
class CsvReader {
 public:
  explicit CsvReader(std::istream& in) : in_(in) {}
  // The next record; nullopt at the end of input. *err is set on a malformed
  // record (an unterminated quote).
  std::optional<std::vector<std::string>> next(Status* err);
  long line() const { return line_; }  // line where the last record started

 private:
  std::istream& in_;
  long line_ = 0;
  long nextLine_ = 1;
};

// A JSON scalar as read from a line: the tool's rows hold nothing else.
struct JsonValue {
  enum class Kind { kNull, kBool, kNumber, kString };
  Kind kind = Kind::kNull;
  bool boolean = false;
  std::string text;  // the string, or the number's literal as written
};

// A flat JSON object: member names and scalar values in input order.
using JsonObject = std::vector<std::pair<std::string, JsonValue>>;

// Parses one line holding one object. Nested objects and arrays are refused.
Result<JsonObject> parseJsonObject(std::string_view line);

// A JSON string literal, quotes included, for UTF-8 text.
std::string jsonString(std::string_view utf8);

}  // namespace zel::tools
