// Work areas: the numbered slots in which tables are open, each with an
// alias, one of them selected.
//
// Areas are named by the table number as text; "9", "09" and " 9" are the
// same area. A name that is not a number is taken as an alias when
// selecting. Opening a table in an area first closes what the area held.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/db/table.h"

namespace zel::db {

class WorkAreas {
 public:
  explicit WorkAreas(Env& env) : env_(env) {}
  WorkAreas(const WorkAreas&) = delete;
  WorkAreas& operator=(const WorkAreas&) = delete;

  // "09" -> "9", " 42 " -> "42", "0" -> "0"; other names are trimmed and
  // upper-cased.
  static std::string normalize(std::string_view area);
  // File name without folder and extension, upper case: the default alias.
  static std::string defaultAlias(const std::string& path);

  // Opens `path` in `area` under `alias` (empty: the file's name) and
  // selects the area. On failure the area is left empty and the status
  // (Locked for a network-open failure) is returned.
  Status open(std::string_view area, const std::string& path, OpenMode mode,
              std::string alias = "", bool readOnly = false);
  // Puts a table opened elsewhere into an area.
  void adopt(std::string_view area, std::unique_ptr<Table> table, std::string alias = "");

  // Selects an area by number (an empty area may be selected) or an open
  // table by alias (NotFound when no area has it).
  Status select(std::string_view areaOrAlias);
  const std::string& selected() const { return selected_; }

  // The table in the selected area, in `area`, or under `alias`; nullptr
  // when there is none.
  Table* current() const { return table(selected_); }
  Table* table(std::string_view area) const;
  Table* byAlias(std::string_view alias) const;
  // Alias of the table in an area; empty when the area is empty.
  std::string alias(std::string_view area) const;
  // Area holding `alias`; empty when none.
  std::string areaOf(std::string_view alias) const;
  std::vector<std::string> openAreas() const;

  Status close(std::string_view area);
  Status closeCurrent() { return close(selected_); }
  // Closes every area; the first failure is returned, all are closed.
  Status closeAll();

  Env& env() const { return env_; }

 private:
  struct Slot {
    std::string alias;
    std::unique_ptr<Table> table;
  };
  Env& env_;
  std::map<std::string, Slot> slots_;
  std::string selected_ = "1";
};

}  // namespace zel::db
