#include "shell/shell_state.h"

#include "platform/sys/cp850.h"

namespace zel::shell {

ShellState& shellState() {
  static ShellState s;
  return s;
}

void resetShellState() { shellState() = ShellState{}; }

void setPrintLists(ShellState& s) {
  auto list = [](std::initializer_list<std::string_view> v) {
    return std::vector<std::string>(v.begin(), v.end());
  };
  s.ALISTIMP = list({"Atividade Rural ", "Livro caixa     ", "aNotaçöes       "_cp});
  s.NOMEMOD = list({"Rascunho      "});
  s.NOMECONT = list({"Form. Branco  "});
  s.NOMEPAGR = list({"Todas    ", "página 1 "_cp, "página 2 "_cp});
  s.NOMEUNI = list({"Folha única"_cp});
  s.NOMECON = list({"Individual  ", "Vários      "_cp, "Todos       "});
  s.NOMEATV = list({"Ativi. no Brasil  ", "Ativi. no Exterior"});
  s.AQUEIT2 = {1, 1, 1};
  s.AQUEIT3 = {3, 1, 1};
}

}  // namespace zel::shell
