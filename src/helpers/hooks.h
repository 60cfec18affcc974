// What the helpers need from the layers above them: the alert box that shows
// their messages, and the search of a taxpayer by name that an empty CPF
// opens, installed at start-up. Tests install recorders instead.
#pragma once

#include <functional>
#include <string_view>

namespace zel {

// The console's alert box with "Ok" in "N/W+", the alerts' first colour.
void defaultAlert(std::string_view lines);

struct HelperState {
  // Shows an alert with the single button "Ok"; lines separated by ';'.
  // Starts as the console's alert box in the default alert colour; start-up
  // may route it through the program's own notice routine instead.
  std::function<void(std::string_view lines)> alert = defaultAlert;
  // VER_NOME: the taxpayer search by name; unset, nothing is searched.
  std::function<bool()> nameSearch;
};

HelperState& helperState();
// Back to a fresh state (tests).
void resetHelperState();

// Shows lines through the installed alert, when there is one.
void helperAlert(std::string_view lines);

}  // namespace zel
