#include "helpers/hooks.h"

namespace zel {

HelperState& helperState() {
  static HelperState state;
  return state;
}

void resetHelperState() { helperState() = HelperState{}; }

void helperAlert(std::string_view lines) {
  if (const auto& alert = helperState().alert) alert(lines);
}

}  // namespace zel
