// The table catalogue: every table the program opens by number, where its
// file lives, its fields in order, its index files with their keys, and the
// rows written into a freshly created configuration table.
//
// This is data only; creating and opening the files is rotirur.h.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/db/field.h"
#include "platform/sys/value.h"

namespace zel::data {

// Which directory prefix a table's file name is joined to.
enum class Dir {
  kData,     // LOCARQ: taxpayers and declarations
  kProgram,  // ARQDEF: configuration, reference and per-terminal tables
  kWork,     // LOCTRAB: per-terminal work copies and print files
};

// One index file of a table: its file name is the table's file name plus
// `suffix` ("" for the first index, "B", "C" for the register's others).
struct IndexDef {
  std::string_view suffix;
  std::string_view key;
};

struct TableDef {
  int number = 0;
  std::string_view file;   // without extension; per-terminal names get NUSU appended
  Dir dir = Dir::kData;
  bool perTerminal = false;
  // Delivered with the program and never created: a missing file is
  // reported. Their fields are the ones the program reads.
  bool delivered = false;
  std::vector<db::FieldDef> fields;
  std::vector<IndexDef> indexes;  // attach order; the first controls
  // Progress text shown while the table is created; empty shows none.
  std::string_view createText;

  // Index of a field by name (case-insensitive), -1 when absent.
  int fieldIndex(std::string_view name) const;
  // 1 (deletion flag) + the widths of the fields.
  int recordLength() const;
  // The file name for a terminal ("DIRAR" + "07"); the plain name otherwise.
  std::string fileName(std::string_view nusu) const;
};

// Every table with a number of its own, in number order.
const std::vector<TableDef>& catalogue();

// The table with exactly this number, or nullptr (7, 8, 11..20 have none).
const TableDef* findTable(int number);

// The layout the creation of table `number` uses: 11..16 and 19 are the
// layouts of 1..6 and 9 (second areas of a copy). nullptr when the number
// has no layout that can be created (unknown, or a delivered table).
const TableDef* creatableLayout(int number);

// The numbers the program opens by number (ABERTURA) and that name a table.
std::span<const int> openedNumbers();

// The areas of a declaration's work copies are 11..16 (tables 1..6).
inline constexpr int kFirstWorkCopyArea = 11;

// Work copy of declaration table `digit` (1..6) for a terminal: "PRA_3" + NUSU.
std::string workCopyName(int digit, std::string_view nusu);
// Key of the index of a work copy ("" when the copy has none): copies 1 and 5
// `cpf`, 3 `I8_0`, 4 `I9_0`.
std::string_view workCopyKey(int digit);
// Key the cash-book copy is re-indexed on before a save.
inline constexpr std::string_view kWorkCopy5SaveKey = "DTOS(DT_LC)";

// Keys of the cash-book index: the one ABERTURA builds (date order) and the
// one the reorganisation, the print loader and the copy build.
inline constexpr std::string_view kCashBookKeyByDate = "CPF+ATV_EXTER+DTOS(DT_LC)";
inline constexpr std::string_view kCashBookKeyPlain = "CPF+ATV_EXTER";

// A field value written into a new row.
using FieldValue = std::pair<std::string_view, Value>;

// What a new CONFIG row depends on besides constants.
struct ConfigRowInputs {
  std::string nusu;        // terminal number
  std::string programDir;  // program directory without trailing backslash
  std::string dirprov;     // directory named by the environment (may be empty)
  Date today;
};
// The values of a terminal's new CONFIG row, in field order; fields left
// out stay empty.
std::vector<FieldValue> configNewRow(const ConfigRowInputs& in);

// The one row appended when DEFINE is created.
std::vector<FieldValue> defineNewRow();

}  // namespace zel::data
