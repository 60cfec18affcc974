// The data subsystem's settings and services, in one place.
//
// The upper-case members keep the names the rest of the program knows them
// by. The shell owns their start-up values and sets them here; the data layer
// only reads them (and APELIDO, which the copy commands set around an open).
// Tests start from a fresh state with resetDataState().
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "data/data_ui.h"
#include "platform/db/env.h"
#include "platform/db/work_areas.h"

namespace zel::data {

struct DataState {
  // Terminal number, two digits: suffix of the directory lists' file names.
  std::string NUSU = "00";
  // Program, data and work directory prefixes, each ending in a backslash.
  std::string ARQDEF;
  std::string LOCARQ;
  std::string LOCTRAB;
  // Default directory for files named without a path (the data directory,
  // without trailing backslash); the assets upgrade works there.
  std::string ROTA;
  // Show progress texts while tables are opened and created.
  bool MOS_MENS = false;
  // Alias for the next table opened; empty: the file's own name.
  std::string APELIDO;
  // Rebuild the named indexes on every open even when their files exist.
  bool REFAZ_IND = false;
  // Current data directory (as stored, up to 40 wide), the work directory
  // (40 wide), the data directory at start-up (prefix) and the current data
  // directory as the directory list writes it (upper case, no backslash).
  std::string ROTATIVID;
  std::string DIRTRAB;
  std::string DIRORIG;
  std::string DIRETOR;

  // Services: files and locks, what the user sees, and how a DOS path of
  // the tables becomes a host path.
  db::Env* env = nullptr;  // set by the shell (the POSIX one) or a test
  DataUi* ui = nullptr;  // nullptr: a silent one
  std::function<std::string(const std::string&)> hostPath;

  // The program's work areas, made on first use over files().
  std::unique_ptr<db::WorkAreas> workAreas;

  DataUi& out();
  db::Env& files();
  db::WorkAreas& areas();
  std::string host(const std::string& dosPath) const;
};

DataState& dataState();
// A fresh state (tests).
void resetDataState();

// Joins a directory prefix and a file name (the prefix ends in "\" or "/").
std::string joinPath(const std::string& prefix, const std::string& name);

}  // namespace zel::data
