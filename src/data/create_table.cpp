#include <string>

#include "data/catalogue.h"
#include "data/data_state.h"
#include "data/rotirur.h"
#include "data/rotirur_internal.h"
#include "platform/sys/cp850.h"

namespace zel::data {

namespace detail {

Created createTable(int number, const std::string& file) {
  DataState& st = dataState();
  DataUi& ui = st.out();
  const TableDef* def = creatableLayout(number);
  if (!def) {
    ui.notice(std::string("Arquivo ") + file + std::string(" näo localizado!"_cp));
    return Created::kNoLayout;
  }
  if (!def->createText.empty()) ui.progress(def->createText);
  Status s = db::Table::create(st.files(), st.host(createdName(file)), def->fields);
  if (!def->createText.empty()) ui.closeProgress();
  if (!s.ok()) {
    ui.alert(s.toString());
    return Created::kFailed;
  }
  if (def->number == 43) {
    // The year constants: one row, and the table stays open in its area.
    selectArea("43");
    std::string name = file;
    if (size_t dot = name.find_last_of('.');
        dot != std::string::npos && dot > name.find_last_of("\\/") + 1)
      name.resize(dot);
    if (!NETUSE(name, false, 10) || !ADD_REC(5)) return Created::kFailed;
    db::Table* t = currentTable();
    for (const auto& [field, value] : defineNewRow()) {
      Status w = t->put(field, value);
      if (!w.ok()) {
        ui.alert(w.toString());
        (void)t->unlockAll();
        return Created::kFailed;
      }
    }
    (void)t->unlockAll();
  }
  return Created::kCreated;
}

}  // namespace detail

bool CRIA(int number, const std::string& file) {
  return detail::createTable(number, file) == detail::Created::kCreated;
}

}  // namespace zel::data
