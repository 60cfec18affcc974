// The menu tree as data: titles, captions, shortcuts, status texts and ids.
#pragma once

#include <string_view>
#include <vector>

namespace zel::shell {

struct MenuEntry {
  std::string_view caption;  // CP850; "─" for a separator; empty: built from the print choices
  int shortcut;
  std::string_view status;
  int id;
};

struct MenuTitle {
  std::string_view title;
  std::vector<MenuEntry> entries;
};

// The six pull-downs, left to right.
const std::vector<MenuTitle>& menuTree();

}  // namespace zel::shell
