#include "platform/sys/dos_path.h"

#include <dirent.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include "platform/sys/cp850.h"

namespace zel::dos {
namespace {

namespace fs = std::filesystem;

bool isSeparator(char c) { return c == '\\' || c == '/'; }

std::string_view trimBlanks(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

unsigned char cp850Lower(unsigned char b) {
  static const auto table = [] {
    std::array<unsigned char, 256> t{};
    for (int i = 0; i < 256; ++i) t[static_cast<size_t>(i)] = static_cast<unsigned char>(i);
    // Every byte that upper-cases to another is the lower case of that one;
    // scanning downwards lets a-z win over accented look-alikes.
    for (int i = 255; i >= 0; --i) {
      auto up = cp850Upper(static_cast<unsigned char>(i));
      if (up != i) t[up] = static_cast<unsigned char>(i);
    }
    return t;
  }();
  return table[b];
}

std::string lowerCp850(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(cp850Lower(static_cast<unsigned char>(c)));
  return out;
}

// Splits on either separator, dropping empty pieces and ".", resolving ".."
// (never above the root).
void appendComponents(std::vector<std::string>& out, std::string_view s) {
  size_t i = 0;
  while (i <= s.size()) {
    size_t j = i;
    while (j < s.size() && !isSeparator(s[j])) ++j;
    std::string_view part = s.substr(i, j - i);
    if (part == "..") {
      if (!out.empty()) out.pop_back();
    } else if (!part.empty() && part != ".") {
      out.emplace_back(part);
    }
    i = j + 1;
  }
}

bool statPath(const std::string& host, struct stat& st) { return ::stat(host.c_str(), &st) == 0; }

std::string joinHost(const std::string& dir, const std::string& name) {
  if (!dir.empty() && dir.back() == '/') return dir + name;
  return dir + "/" + name;
}

// The existing entry of `dir` that matches `component` (CP850) ignoring case.
std::optional<std::string> matchEntry(const std::string& dir, const std::string& component) {
  std::string exact = cp850ToUtf8(component);
  struct stat st {};
  if (statPath(joinHost(dir, exact), st)) return exact;
  DIR* d = ::opendir(dir.c_str());
  if (!d) return std::nullopt;
  std::string want = cp850Upper(component);
  std::optional<std::string> best;
  while (dirent* e = ::readdir(d)) {
    std::string name = e->d_name;
    if (name == "." || name == "..") continue;
    if (cp850Upper(utf8ToCp850(name)) != want) continue;
    if (!best || name < *best) best = name;
  }
  ::closedir(d);
  return best;
}

std::string normalHost(const std::string& p) {
  std::error_code ec;
  fs::path abs = fs::absolute(fs::path(p), ec);
  if (ec) abs = fs::path(p);
  fs::path canon = fs::weakly_canonical(abs, ec);
  std::string s = (ec ? abs.lexically_normal() : canon.lexically_normal()).string();
  while (s.size() > 1 && s.back() == '/') s.pop_back();
  return s;
}

struct Parsed {
  char drive = 'C';
  std::vector<std::string> components;  // CP850, from the drive's root
};

Result<Parsed> parse(std::string_view dosPath) {
  std::string_view s = trimBlanks(dosPath);
  if (s.empty()) return Status::InvalidArgument("empty path");
  Parsed p;
  bool hasDrive = s.size() >= 2 && s[1] == ':';
  if (hasDrive) {
    if (!std::isalpha(static_cast<unsigned char>(s[0])))
      return Status::InvalidArgument("bad drive in path");
    p.drive = static_cast<char>(std::toupper(static_cast<unsigned char>(s[0])));
    s.remove_prefix(2);
  }
  bool absolute = !s.empty() && isSeparator(s.front());
  // Only drive C: has a current directory other than its root.
  if (!absolute && p.drive == 'C') {
    std::string cur = currentDirectory();
    appendComponents(p.components, std::string_view(cur).substr(2));
  }
  appendComponents(p.components, s);
  return p;
}

std::string hostOf(const std::string& root, const std::vector<std::string>& comps, PathKind kind) {
  std::string host = root;
  bool existing = true;
  for (size_t i = 0; i < comps.size(); ++i) {
    const std::string& c = comps[i];
    bool last = i + 1 == comps.size();
    std::optional<std::string> found;
    if (existing) found = matchEntry(host, c);
    if (found) {
      host = joinHost(host, *found);
      continue;
    }
    existing = false;
    bool keepName = last && kind == PathKind::kFile;
    host = joinHost(host, cp850ToUtf8(keepName ? c : lowerCp850(c)));
  }
  return host;
}

}  // namespace

std::optional<std::string> driveRoot(char letter) {
  char up = static_cast<char>(std::toupper(static_cast<unsigned char>(letter)));
  if (up < 'A' || up > 'Z') return std::nullopt;
  std::string var = std::string("ZEL_DRIVE_") + up;
  const char* v = std::getenv(var.c_str());
  if (v && *v) {
    std::string s = v;
    while (s.size() > 1 && s.back() == '/') s.pop_back();
    return s;
  }
  if (up == 'C') return std::string("/");
  return std::nullopt;
}

Result<std::string> toHost(std::string_view dosPath, PathKind kind) {
  auto parsed = parse(dosPath);
  if (!parsed.ok()) return parsed.status();
  auto root = driveRoot(parsed->drive);
  if (!root) return Status::NotFound(std::string("drive ") + parsed->drive + ": is not mapped");
  return hostOf(*root, parsed->components, kind);
}

std::optional<std::string> fromHost(std::string_view hostPath) {
  std::string path = normalHost(std::string(hostPath));
  std::optional<char> bestDrive;
  std::string bestRoot;
  for (char letter = 'A'; letter <= 'Z'; ++letter) {
    auto root = driveRoot(letter);
    if (!root) continue;
    std::string r = normalHost(*root);
    bool inside = r == "/" || path == r || path.starts_with(r + "/");
    if (!inside) continue;
    bool better = !bestDrive || r.size() > bestRoot.size() ||
                  (r.size() == bestRoot.size() && letter == 'C');
    if (better) {
      bestDrive = letter;
      bestRoot = r;
    }
  }
  if (!bestDrive) return std::nullopt;
  std::string rest = bestRoot == "/" ? path.substr(1) : path.substr(bestRoot.size());
  std::vector<std::string> comps;
  appendComponents(comps, rest);
  std::string out = std::string(1, *bestDrive) + ":\\";
  for (size_t i = 0; i < comps.size(); ++i) {
    if (i) out += '\\';
    out += cp850Upper(utf8ToCp850(comps[i]));
  }
  return out;
}

std::string currentDirectory() {
  std::error_code ec;
  fs::path cwd = fs::current_path(ec);
  if (!ec) {
    if (auto d = fromHost(cwd.string())) return *d;
  }
  return "C:\\";
}

bool isNetworkFsType(unsigned long magic) {
  switch (magic) {
    case 0x6969UL:      // NFS
    case 0x517BUL:      // SMB
    case 0xFF534D42UL:  // CIFS
    case 0xFE534D42UL:  // SMB2
      return true;
    default:
      return false;
  }
}

bool isNetworkDrive(std::string_view dosPath) {
  auto host = toHost(dosPath, PathKind::kDirectory);
  if (!host.ok()) return false;
  fs::path p = *host;
  for (;;) {
    struct statfs sf {};
    if (::statfs(p.c_str(), &sf) == 0)
      return isNetworkFsType(static_cast<unsigned long>(sf.f_type));
    if (!p.has_parent_path() || p.parent_path() == p) return false;
    p = p.parent_path();
  }
}

bool directoryExists(std::string_view dosPath) {
  auto host = toHost(dosPath, PathKind::kDirectory);
  struct stat st {};
  return host.ok() && statPath(*host, st) && S_ISDIR(st.st_mode);
}

bool fileExists(std::string_view dosPath) {
  auto host = toHost(dosPath, PathKind::kFile);
  struct stat st {};
  return host.ok() && statPath(*host, st) && !S_ISDIR(st.st_mode);
}

bool createDirectory(std::string_view dosPath) {
  auto host = toHost(dosPath, PathKind::kDirectory);
  if (!host.ok()) return false;
  return ::mkdir(host->c_str(), 0777) == 0;
}

}  // namespace zel::dos
