// Shared by the opening, creation and upgrade sources of the data layer.
#pragma once

#include <string>
#include <string_view>

#include "platform/sys/text.h"

namespace zel::data::detail {

using zel::upperTrim;
// The part after the last separator ("\" or "/").
std::string lastComponent(std::string_view path);
// A path without its trailing separator.
std::string withoutSeparator(std::string_view path);
// Whether the DOS path names an existing file.
bool fileThere(const std::string& dosPath);
// The table file of a name: the name itself when its last component has an
// extension, else name + ".dbf".
std::string tableFileOf(const std::string& name);
// The extension of a file we create, upper-cased (".dbf" -> ".DBF").
std::string createdName(const std::string& path);

enum class Created { kCreated, kNoLayout, kFailed };
Created createTable(int number, const std::string& file);

}  // namespace zel::data::detail
