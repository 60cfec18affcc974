// Writes the benchmark rows for the peers that run as external programs:
//   zel_bench_rows csv FILE      UTF-8 CSV with a header line (GDAL)
//   zel_bench_rows keys FILE     one index key a line (GNU sort)
//   zel_bench_rows cpfs FILE N   N CPFs of existing rows, in random order
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <string>

#include "platform/sys/cp850.h"
#include "rows.h"

int main(int argc, char** argv) {
  using namespace zel::bench;
  if (argc < 3) {
    std::cerr << "usage: zel_bench_rows csv|keys|cpfs FILE [N]\n";
    return 2;
  }
  std::string what = argv[1];
  std::ofstream out(argv[2], std::ios::binary);
  if (!out) {
    std::cerr << "zel_bench_rows: cannot write " << argv[2] << "\n";
    return 2;
  }
  uint64_t rows = benchRows();
  if (what == "csv") {
    out << "CPF,ATV_EXTER,DT_LC,DESCR,VALOR,NROIMO,TIPOCR\n";
    for (uint64_t i = 0; i < rows; ++i) {
      CashRow r = cashRow(509, i);
      out << r.cpf << ',' << r.atv << ',' << r.date << ',' << zel::cp850ToUtf8(r.descr) << ','
          << r.valor << ',' << r.nroimo << ',' << r.tipo << '\n';
    }
  } else if (what == "keys") {
    for (uint64_t i = 0; i < rows; ++i) out << cashRow(509, i).key() << '\n';
  } else if (what == "cpfs" && argc > 3) {
    uint64_t n = std::strtoull(argv[3], nullptr, 10);
    for (uint64_t k = 0; k < n; ++k) out << cashRow(509, (k * 7919 + 13) % rows).cpf << '\n';
  } else {
    std::cerr << "zel_bench_rows: unknown request " << what << "\n";
    return 2;
  }
  return out ? 0 : 2;
}
