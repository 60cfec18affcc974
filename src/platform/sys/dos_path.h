// DOS paths over the host's file system.
//
// The tables hold directories as DOS paths ("C:\ZEL2009\DADOS", CP850, upper
// case) and users type them so. A drive map turns them into host paths:
//
//   - drive X: is the folder named by the environment variable ZEL_DRIVE_X;
//     C: is the host's root "/" when ZEL_DRIVE_C is unset; any other drive
//     without a variable is not mapped (like a drive with no disk);
//   - each component is matched case-insensitively against what exists
//     (an exact match wins; among several others, the first in byte order);
//   - a component that does not exist yet keeps the name given when it is the
//     last one of a file path, and is lower-cased otherwise (new directories
//     follow the host's convention);
//   - "\" and "/" both separate, "." and ".." work as on DOS, blanks around
//     the whole path are ignored (the tables pad their fields);
//   - a path without a drive is taken on the current drive, and one that does
//     not start with a separator below the current directory.
//
// Host names are UTF-8; DOS names are CP850: the map converts between them.
// The environment is read at every call, so tests point ZEL_DRIVE_C at a
// temporary folder with setenv().
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/sys/status.h"

namespace zel::dos {

enum class PathKind { kFile, kDirectory };

// Host folder of a drive letter (either case); nullopt when not mapped.
std::optional<std::string> driveRoot(char letter);

// Host path of a DOS path. NotFound when the drive is not mapped,
// InvalidArgument for an empty path or a malformed drive.
Result<std::string> toHost(std::string_view dosPath, PathKind kind = PathKind::kFile);

// DOS path of a host path ("C:\ZEL2009\DADOS", CP850, upper case, the root
// as "C:\"), on the mapped drive whose folder holds it (the deepest one when
// several do; C: on a tie). nullopt when no drive holds it. Relative host
// paths are taken from the host's current directory.
std::optional<std::string> fromHost(std::string_view hostPath);

// Current drive and directory: "C:\" plus the host's current directory, as
// fromHost gives it. When the host's current directory lies outside every
// mapped drive, the root of C: ("C:\") stands for it.
std::string currentDirectory();

// Whether the file system holding the path (its nearest existing folder) is
// NFS or SMB/CIFS. false for an unmapped drive.
bool isNetworkDrive(std::string_view dosPath);
// The same test on a statfs magic number.
bool isNetworkFsType(unsigned long magic);

bool directoryExists(std::string_view dosPath);
// An existing entry that is not a directory.
bool fileExists(std::string_view dosPath);
// Creates one directory whose parent exists; false when it already existed
// or could not be made.
bool createDirectory(std::string_view dosPath);

}  // namespace zel::dos
