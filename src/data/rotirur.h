// Opening tables by number or by file, creating what is missing, and the
// locks of shared use with their bounded waits.
//
// Every other part of the program opens its tables through these routines.
// They read the directory prefixes, the terminal number and the switches of
// dataState() (MOS_MENS, APELIDO, REFAZ_IND), show their texts through its
// DataUi, and wait on the program's clock. Paths are DOS paths ("C:\ZEL\ZEL109"),
// turned into host paths by the drive map.
#pragma once

#include <optional>
#include <string>

#include "data/areas.h"

namespace zel::data {

// Opens table `number` in its area (shared unless `exclusive`); true when it
// is open. 0 and every number without a table of its own open the reference
// set (0 closes everything and upgrades the assets table first).
bool ABERTURA(int number, bool exclusive = false);

// Opens one table file in `area`. `file` is a path without extension; key1 is
// the key of the index named like the table; key2/name2 and key3/name3 a
// second and third index (name2 defaults to the table's path + "B"). Empty
// texts stand for arguments not given. Creates a missing table from the
// catalogue layout of `area` and builds missing indexes (packing first).
bool ABREARQ(const std::string& area, bool exclusive, const std::string& file,
             const std::string& key1 = "", const std::string& key2 = "",
             const std::string& name2 = "", const std::string& key3 = "",
             const std::string& name3 = "");

// Opens `file` in the current area under APELIDO (or the file's own name),
// retrying while another workstation holds it: up to `seconds` tries a
// second apart, without end for 0.
bool NETUSE(const std::string& file, bool exclusive, int seconds);

// Lock of the current record, of the whole table, and append of a blank
// record (left locked), in the current area; each waits as documented in
// waits.h and shows its messages. Released with the table's unlock.
bool REC_LOCK(std::optional<double> seconds = std::nullopt);
bool FIL_LOCK(std::optional<double> seconds = std::nullopt);
bool ADD_REC(std::optional<double> seconds = std::nullopt);

// Deletes the index files of length 0 in the data and program directories,
// so that the next open builds them again.
void NTX();

// Closes the areas of an open declaration's work copies (11..18), and those
// plus the declaration tables (1..8).
void FECHA_PROV();
void FECHA_TODO();

// Creates the table file `file` (a path ending in ".dbf", any case) with
// the layout of table `number` (11..16 and 19 are the layouts of 1..6 and 9),
// showing its progress text. False, after a notice, for a number without a
// layout. DEFINE is left open in area "43" with its one row.
bool CRIA(int number, const std::string& file);

// Upgrade of the assets table of the data directory: a ZEL309 without the
// field I8_4 is rebuilt in the current layout, keeping every record.
void CORRECAO();
void CORRIGE(int number);

}  // namespace zel::data
