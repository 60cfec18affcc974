// Captions of the Selecao menu built from the print choices.
#pragma once

#include <string>

#include "shell/shell_state.h"

namespace zel::shell {

// Brings the stored choices into the ranges of their lists before the
// captions are built.
void normalisePrintChoices(ShellState& st);
// Caption of item 41..45 or 48 from the current choices.
std::string printCaption(int id);

}  // namespace zel::shell
