// Work areas: open tables named by their table number as text ("9" and "09"
// are the same area), each under an alias, and the selected one.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "platform/db/table.h"

namespace zel::data {

// "09" -> "9"; names that are not numbers are kept, upper-cased.
std::string areaName(std::string_view area);

// Makes an area the current one (it may be empty).
void selectArea(std::string_view area);
std::string currentArea();

// The table open in an area (the current one when omitted); nullptr when
// the area is empty.
db::Table* areaTable(std::string_view area);
db::Table* currentTable();
// Alias of the table in an area; empty when the area is empty.
std::string areaAlias(std::string_view area);

// Puts an open table into the current area under `alias`, closing what the
// area held.
void useInCurrentArea(std::unique_ptr<db::Table> table, std::string alias);

// Closes the table of an area (nothing when empty), and every area.
void closeArea(std::string_view area);
void closeAllAreas();

}  // namespace zel::data
