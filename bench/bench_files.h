// Where the benchmarks put their files: ZEL_BENCH_DIR, else a folder in /tmp.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>

namespace zel::bench {

inline std::string benchPath(const std::string& name) {
  const char* e = std::getenv("ZEL_BENCH_DIR");
  std::filesystem::path dir = e && *e ? e : "/tmp/zel-bench";
  std::filesystem::create_directories(dir);
  return (dir / name).string();
}

inline void removeFile(const std::string& path) {
  std::error_code ec;
  std::filesystem::remove(path, ec);
}

}  // namespace zel::bench
