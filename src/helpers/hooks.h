// What the helpers need from the layers above them, installed at start-up:
// the alert box that shows their messages, and the search of a taxpayer by
// name that an empty CPF opens. Tests install recorders instead.
#pragma once

#include <functional>
#include <string_view>

namespace zel {

struct HelperState {
  // Shows an alert with the single button "Ok"; lines separated by ';'.
  // Unset, the message is not shown (the caller still refuses the entry).
  std::function<void(std::string_view lines)> alert;
  // VER_NOME: the taxpayer search by name; unset, nothing is searched.
  std::function<bool()> nameSearch;
};

HelperState& helperState();
// Back to a fresh state (tests).
void resetHelperState();

// Shows lines through the installed alert, when there is one.
void helperAlert(std::string_view lines);

}  // namespace zel
