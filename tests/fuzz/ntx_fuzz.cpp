// libFuzzer entry for the index code (clang, ZEL_BUILD_FUZZERS).
#include <cstdio>
#include <cstdlib>

#include "ntx_fuzz_one.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string fault = zel::db::ntxFuzzOne(data, size);
  if (!fault.empty()) {
    std::fprintf(stderr, "%s\n", fault.c_str());
    std::abort();
  }
  return 0;
}
