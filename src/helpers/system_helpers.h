// Thin wrappers over the drive map and the printing system, as the screens
// and the start-up ask for them.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace zel {

// Current drive and directory, "C:\ZEL2009".
std::string GETDIR();
// Whether the current drive is a network (NFS or SMB/CIFS) drive.
bool TA_NA_REDE();
// Whether the directory (isDirectory) or the file exists.
bool LF_ISFILE(std::string_view path, bool isDirectory = false);
// Creates one directory; true when it was created.
bool CRIADIR(std::string_view path);

// The system's default printer (lpstat -d); nullopt when there is none or
// the printing system does not answer.
std::optional<std::string> systemDefaultPrinter();
// Whether the printing system reports the printer enabled (idle or printing).
bool printerReady(std::string_view printer);
// Printer readiness for port 1..9: the printer named (the system's default
// when the name is empty) must report ready. False for any other port.
bool LPT_OK(int port, std::string_view printer);

// Drive check of a directory entry: the second character of the trimmed text
// must be ':'. Shows "Especifique o drive com ':' após a letra" otherwise.
bool espcifAccepts(std::string_view text);
bool ESPCIF(std::string_view text);
std::string espcifMessage();

}  // namespace zel
