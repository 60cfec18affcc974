// Pieces the commands share: plain-words errors, opening tables with a short
// wait for other processes, and printing records.
#pragma once

#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "platform/db/table.h"
#include "platform/sys/status.h"
#include "tools/commands.h"

namespace zel::tools {

// Exit statuses.
inline constexpr int kExitOk = 0;
inline constexpr int kExitNo = 1;     // seek found nothing, check found a fault
inline constexpr int kExitError = 2;  // the command could not do its work

// Prints "zeldbf: what: why" on the error stream; returns kExitError.
int fail(Io io, const std::string& what, const Status& why);
int fail(Io io, const std::string& message);

// The reason of a status in plain words (no code name for the common cases).
std::string plainReason(const Status& s);

// Retries `op` while it reports Locked (another process holds the lock for
// the moment), for up to `seconds`; returns its last status.
Status retryWhileLocked(const std::function<Status()>& op, double seconds = 10.0);

// Opens a table, waiting a little while another process holds it in a way
// the mode cannot share.
Result<std::unique_ptr<db::Table>> openTable(const std::string& path, db::OpenMode mode,
                                             bool readOnly);

// Field names, plus the two columns the tool adds.
std::vector<std::string> csvHeader(const db::Table& t);
// The current record as a CSV line or a JSON object (UTF-8); fails when a
// memo cannot be read.
Result<std::string> csvRecord(const db::Table& t);
Result<std::string> jsonRecord(const db::Table& t);

}  // namespace zel::tools
