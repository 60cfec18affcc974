// Shared by the directory sources.
#pragma once

#include <string>
#include <string_view>

#include "data/areas.h"
#include "data/rotirur.h"
#include "platform/sys/text.h"

namespace zel::data::dirs {

using zel::trim;
using zel::upperTrim;
// Cut or padded with blanks to the 40 columns of a directory field.
std::string pad40(std::string_view s);
// A directory without its trailing backslash, except a drive root ("C:\").
std::string withoutBackslash(std::string_view path);
// Writes one field of the current record (its lock held); a failure is
// shown in an alert and gives false.
bool putField(db::Table& t, std::string_view field, const std::string& value);
// Writes one field of this terminal's CONFIG row (area 42) under a 5-second
// record lock; false when the row is missing or its lock was not had.
bool storeInConfig(std::string_view field, const std::string& value);

}  // namespace zel::data::dirs
