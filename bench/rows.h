// The rows every benchmark and peer works on: cash-book entries in the
// ZEL509 layout, made by a fixed-seed generator so each run and each peer
// sees the same data.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/db/field.h"

namespace zel::bench {

// CPF C 11, ATV_EXTER C 1, DT_LC D 8, DESCR C 41, VALOR N 14.2, NROIMO N 2,
// TIPOCR C 1; key CPF+ATV_EXTER+DTOS(DT_LC).
const std::vector<db::FieldDef>& cashBookFields();
inline constexpr const char* kCashBookKey = "CPF+ATV_EXTER+DTOS(DT_LC)";

struct CashRow {
  std::string cpf;     // 11 digits
  std::string atv;     // " " or "X"
  std::string date;    // YYYYMMDD
  std::string descr;   // CP850, at most 41 bytes
  std::string valor;   // decimal text with two decimals, "-12.50"
  int nroimo = 1;
  char tipo = 'C';

  // The fields' bytes as stored in a record (without the deletion byte).
  std::string recordBytes() const;
  // CPF + ATV_EXTER + DT_LC: the index key.
  std::string key() const { return cpf + atv + date; }
};

// Row i of the sequence for `seed` (random access, so seeks can pick rows
// without keeping them all).
CashRow cashRow(uint64_t seed, uint64_t i);

// The number of rows to use: ZEL_BENCH_ROWS, else 1,000,000.
uint64_t benchRows();

}  // namespace zel::bench
