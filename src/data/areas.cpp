#include "data/areas.h"

#include "data/data_state.h"

namespace zel::data {

std::string areaName(std::string_view area) { return db::WorkAreas::normalize(area); }

void selectArea(std::string_view area) { (void)dataState().areas().select(areaName(area)); }

std::string currentArea() { return dataState().areas().selected(); }

db::Table* areaTable(std::string_view area) { return dataState().areas().table(area); }

db::Table* currentTable() { return dataState().areas().current(); }

std::string areaAlias(std::string_view area) { return dataState().areas().alias(area); }

void useInCurrentArea(std::unique_ptr<db::Table> table, std::string alias) {
  db::WorkAreas& a = dataState().areas();
  a.adopt(a.selected(), std::move(table), std::move(alias));
}

void closeArea(std::string_view area) { (void)dataState().areas().close(area); }

void closeAllAreas() { (void)dataState().areas().closeAll(); }

}  // namespace zel::data
