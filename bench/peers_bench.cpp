// Peers measured in the same run as the engine, on the same rows: Debian's
// shapelib DBF writer and reader (no index), and the raw bounds of a plain
// buffered write and read of the same number of bytes.
#include <benchmark/benchmark.h>
#include <shapefil.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench_files.h"
#include "rows.h"

namespace zel::bench {
namespace {

constexpr uint64_t kSeed = 509;

void shapelibWrite(const std::string& path, uint64_t rows) {
  DBFHandle h = DBFCreate(path.c_str());
  if (!h) std::abort();
  for (const auto& f : cashBookFields()) {
    DBFFieldType t = f.type == 'N' ? FTDouble : f.type == 'D' ? FTDate : FTString;
    if (DBFAddField(h, f.name.c_str(), t, f.width, f.decimals) < 0) std::abort();
  }
  for (uint64_t i = 0; i < rows; ++i) {
    CashRow r = cashRow(kSeed, i);
    int n = static_cast<int>(i);
    DBFWriteStringAttribute(h, n, 0, r.cpf.c_str());
    DBFWriteStringAttribute(h, n, 1, r.atv.c_str());
    DBFWriteAttributeDirectly(h, n, 2, const_cast<char*>(r.date.c_str()));
    DBFWriteStringAttribute(h, n, 3, r.descr.c_str());
    DBFWriteDoubleAttribute(h, n, 4, std::strtod(r.valor.c_str(), nullptr));
    DBFWriteIntegerAttribute(h, n, 5, r.nroimo);
    char tipo[2] = {r.tipo, 0};
    DBFWriteStringAttribute(h, n, 6, tipo);
  }
  DBFClose(h);
}

// Appends every row to a new table, without an index.
void BM_ShapelibAppend(benchmark::State& state) {
  uint64_t rows = benchRows();
  std::string path = benchPath("peer_shp.dbf");
  for (auto _ : state) {
    removeFile(path);
    shapelibWrite(path, rows);
  }
  state.SetItemsProcessed(static_cast<int64_t>(rows * state.iterations()));
}

// Reads every field of every record.
void BM_ShapelibScan(benchmark::State& state) {
  uint64_t rows = benchRows();
  std::string path = benchPath("peer_shp_scan.dbf");
  shapelibWrite(path, rows);
  for (auto _ : state) {
    DBFHandle h = DBFOpen(path.c_str(), "rb");
    if (!h) std::abort();
    int n = DBFGetRecordCount(h);
    size_t bytes = 0;
    double sum = 0;
    for (int i = 0; i < n; ++i) {
      bytes += std::string(DBFReadStringAttribute(h, i, 0)).size();
      bytes += std::string(DBFReadStringAttribute(h, i, 1)).size();
      bytes += std::string(DBFReadStringAttribute(h, i, 2)).size();
      bytes += std::string(DBFReadStringAttribute(h, i, 3)).size();
      sum += DBFReadDoubleAttribute(h, i, 4);
      sum += DBFReadIntegerAttribute(h, i, 5);
      bytes += std::string(DBFReadStringAttribute(h, i, 6)).size();
    }
    benchmark::DoNotOptimize(bytes);
    benchmark::DoNotOptimize(sum);
    DBFClose(h);
  }
  state.SetItemsProcessed(static_cast<int64_t>(rows * state.iterations()));
  removeFile(path);
}

// The same bytes as the tables' records, written with one buffered stream:
// the floor for any append.
void BM_RawBufferedWrite(benchmark::State& state) {
  uint64_t rows = benchRows();
  std::string path = benchPath("raw.bin");
  for (auto _ : state) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) std::abort();
    for (uint64_t i = 0; i < rows; ++i) {
      std::string rec = " " + cashRow(kSeed, i).recordBytes();
      std::fwrite(rec.data(), 1, rec.size(), f);
    }
    std::fclose(f);
  }
  state.SetItemsProcessed(static_cast<int64_t>(rows * state.iterations()));
}

// The generator alone, to subtract from the appends above.
void BM_RowGeneration(benchmark::State& state) {
  uint64_t rows = benchRows();
  for (auto _ : state) {
    size_t n = 0;
    for (uint64_t i = 0; i < rows; ++i) n += cashRow(kSeed, i).recordBytes().size();
    benchmark::DoNotOptimize(n);
  }
  state.SetItemsProcessed(static_cast<int64_t>(rows * state.iterations()));
}

// Reading the raw file back in 64 KB blocks: the floor for any scan.
void BM_RawRead(benchmark::State& state) {
  uint64_t rows = benchRows();
  std::string path = benchPath("raw.bin");
  for (auto _ : state) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) std::abort();
    std::vector<char> buf(1 << 16);
    size_t n, total = 0;
    while ((n = std::fread(buf.data(), 1, buf.size(), f)) > 0) total += n;
    std::fclose(f);
    benchmark::DoNotOptimize(total);
  }
  state.SetItemsProcessed(static_cast<int64_t>(rows * state.iterations()));
  removeFile(path);
}

BENCHMARK(BM_RowGeneration)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ShapelibAppend)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ShapelibScan)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_RawBufferedWrite)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_RawRead)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace zel::bench
