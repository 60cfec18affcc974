#include "helpers/hooks.h"

#include "platform/widgets/alert.h"

namespace zel {

void defaultAlert(std::string_view lines) {
  AlertOptions options;
  options.colour = "N/W+";
  alert(lines, {"Ok"}, options);
}

HelperState& helperState() {
  static HelperState state;
  return state;
}

void resetHelperState() { helperState() = HelperState{}; }

void helperAlert(std::string_view lines) {
  if (const auto& alert = helperState().alert) alert(lines);
}

}  // namespace zel
