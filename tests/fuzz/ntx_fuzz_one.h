// One fuzz input through the index code: the bytes are taken as an NTX file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace zel::db {

// Opens, checks, walks, seeks and changes the index held in `data`. Returns
// an empty string, or what went wrong where a sound file was promised
// (check() passed but a later call failed or disagreed). Crashes, hangs and
// sanitizer reports are the other failures a fuzzer looks for.
std::string ntxFuzzOne(const uint8_t* data, size_t size);

}  // namespace zel::db
