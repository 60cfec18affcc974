// libFuzzer entry for the DBT memo reader (clang, ZEL_BUILD_FUZZERS).
#include <cstdio>
#include <cstdlib>

#include "dbf_fuzz_one.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string fault = zel::db::dbtFuzzOne(data, size);
  if (!fault.empty()) {
    std::fprintf(stderr, "%s\n", fault.c_str());
    std::abort();
  }
  return 0;
}
