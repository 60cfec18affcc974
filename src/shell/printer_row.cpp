// The terminal's printer row in CONFIMP and its control strings.
#include <string>

#include "data/areas.h"
#include "data/data_state.h"
#include "data/rotirur.h"
#include "helpers/system_helpers.h"
#include "helpers/text_helpers.h"
#include "platform/sys/cp850.h"
#include "shell/comum.h"
#include "shell/shell_state.h"

namespace zel::shell {

namespace {

constexpr std::string_view kArea = "57";

std::vector<data::FieldValue> defaultPrinterRow(const std::string& nusu, const std::string& rede) {
  return {
      {"NRO_TERM", Value(nusu)},         {"NROIMPR", Value(1)},
      {"LOCIMPR", Value("L")},           {"NROLPT", Value(1)},
      {"NROCOM", Value(0)},              {"SAIDAPR", Value(std::string(8, ' '))},
      {"NOMEIMP", Value("Impressora padrao")}, {"SEQ0", Value("<018>")},
      {"SEQ1", Value("<015>")},          {"SEQ2", Value("<027>A")},
      {"SEQ3", Value("<014>//<020>")},   {"VERMELHO", Value("N")},
      {"NOMEREDE", Value(rede)},
  };
}

}  // namespace

std::string MONTASTRG(std::string_view text) {
  std::string s(text);
  size_t from = 0;
  for (;;) {
    size_t lt = s.find('<', from);
    if (lt == std::string::npos) break;
    std::string code = s.substr(lt + 1, 3);
    if (cp850Upper(code) == "ESC") code = "027";
    if (code == "###") {
      shellState().TEM_LASER = static_cast<int>(lt) + 1;
      s.replace(lt, 5, "###");
      from = lt + 3;
    } else {
      // Scanning goes on after the byte made, so "<060>" gives a "<".
      auto byte = static_cast<long>(leadingNumber(code)) & 0xFF;
      s.replace(lt, 5, std::string(1, static_cast<char>(byte)));
      from = lt + 1;
    }
  }
  return trim(s);
}

void CRIA_SEQ() {
  ShellState& st = shellState();
  const std::string& nusu = data::dataState().NUSU;
  if (!data::ABERTURA(57)) return;
  db::Table* t = data::areaTable(kArea);
  if (!t) return;
  std::optional<std::string> system = systemDefaultPrinter();
  bool have = seekTerminalRow(kArea);
  if (!have && data::ADD_REC(5)) {
    Status s = putFields(*t, defaultPrinterRow(nusu, system.value_or("")));
    (void)t->unlockAll();
    have = s.ok();
  }
  if (!have) {
    data::closeArea(kArea);
    return;
  }
  st.NOMEREDE = system ? *system : trim(t->text("NOMEREDE"));
  st.NROIMPR = static_cast<int>(t->number("NROIMPR"));
  st.LOCIMPR = t->text("LOCIMPR");
  st.NROLPT = static_cast<int>(t->number("NROLPT"));
  st.NROCOM = static_cast<int>(t->number("NROCOM"));
  st.SAIDAPR = t->text("SAIDAPR");
  st.SAIDAPR.resize(8, ' ');
  st.NOMEIMP = t->text("NOMEIMP");
  st.STRING0 = MONTASTRG(trim(t->text("SEQ0")));
  st.STRING1 = MONTASTRG(trim(t->text("SEQ1")));
  st.STRING2 = MONTASTRG(trim(t->text("SEQ2")));
  std::string seq3 = t->text("SEQ3");
  if (size_t p = seq3.find("//"); p != std::string::npos) {
    st.STRING3 = MONTASTRG(seq3.substr(0, p));
    st.STRING4 = MONTASTRG(seq3.substr(p + 2));
  } else {
    st.STRING3 = MONTASTRG(trim(seq3));
    st.STRING4.clear();
  }
  data::closeArea(kArea);
}

}  // namespace zel::shell
