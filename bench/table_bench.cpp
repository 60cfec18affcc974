// The table engine on the cash-book layout (ZEL509, key
// CPF+ATV_EXTER+DTOS(DT_LC)): appends with the index kept, an index built
// from scratch, random seeks, a full scan reading every field, and a pack
// of a table with 10 % of its records deleted. The peers of the same run are
// in peers_bench.cpp and run.sh.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>

#include "bench_files.h"
#include "platform/db/bulk.h"
#include "platform/db/table.h"
#include "rows.h"

namespace zel::bench {
namespace {

constexpr uint64_t kSeed = 509;

void die(const char* what, const Status& s) {
  std::cerr << what << ": " << s << "\n";
  std::exit(1);
}

std::unique_ptr<db::Table> open(const std::string& path, db::OpenMode mode, bool readOnly = false) {
  auto t = db::Table::open(db::posixEnv(), path, mode, readOnly);
  if (!t.ok()) die("open", t.status());
  return std::move(t.value());
}

// Appends `rows` rows to a new table at `path` with its index attached.
void appendRows(const std::string& path, const std::string& ntx, uint64_t rows, db::OpenMode mode,
                benchmark::State* state) {
  if (state) state->PauseTiming();
  removeFile(path);
  removeFile(ntx);
  if (Status s = db::Table::create(db::posixEnv(), path, cashBookFields()); !s.ok()) die("create", s);
  auto t = open(path, mode);
  if (Status s = t->createIndex(ntx, kCashBookKey); !s.ok()) die("index", s);
  if (state) state->ResumeTiming();
  for (uint64_t i = 0; i < rows; ++i) {
    if (Status s = t->appendRaw(" " + cashRow(kSeed, i).recordBytes()); !s.ok()) die("append", s);
    if (mode == db::OpenMode::kShared) (void)t->unlockAll();
  }
  if (Status s = t->flush(); !s.ok()) die("flush", s);
}

const std::string& tablePath() {
  static const std::string p = benchPath("ZEL509.DBF");
  return p;
}
const std::string& indexPath() {
  static const std::string p = benchPath("ZEL509.NTX");
  return p;
}

// The table the read benchmarks use, made once when an earlier benchmark
// did not leave it.
void ensureTable() {
  uint64_t rows = benchRows();
  if (std::filesystem::exists(tablePath()) && std::filesystem::exists(indexPath())) {
    auto t = open(tablePath(), db::OpenMode::kShared, true);
    if (t->recordCount() == rows) return;
  }
  appendRows(tablePath(), indexPath(), rows, db::OpenMode::kExclusive, nullptr);
}

// Appends in exclusive use (as the program's bulk copies do) or shared use
// (each append takes the append lock, a record lock and the index lock).
void BM_EngineAppendIndexed(benchmark::State& state) {
  uint64_t rows = benchRows();
  auto mode = state.range(0) ? db::OpenMode::kShared : db::OpenMode::kExclusive;
  for (auto _ : state) appendRows(tablePath(), indexPath(), rows, mode, &state);
  state.SetItemsProcessed(static_cast<int64_t>(rows * state.iterations()));
  state.SetLabel(state.range(0) ? "shared" : "exclusive");
}

void BM_EngineIndexBuild(benchmark::State& state) {
  ensureTable();
  std::string ntx = benchPath("ZEL509B.NTX");
  auto t = open(tablePath(), db::OpenMode::kExclusive);
  for (auto _ : state) {
    if (Status s = t->createIndex(ntx, kCashBookKey); !s.ok()) die("index", s);
    if (Status s = t->flush(); !s.ok()) die("flush", s);
  }
  state.SetItemsProcessed(static_cast<int64_t>(t->recordCount() * state.iterations()));
  removeFile(ntx);
}

void BM_EngineSeek(benchmark::State& state) {
  ensureTable();
  uint64_t rows = benchRows();
  constexpr uint64_t kSeeks = 100'000;
  auto t = open(tablePath(), db::OpenMode::kShared, true);
  if (Status s = t->attachIndex(indexPath()); !s.ok()) die("attach", s);
  uint64_t found = 0;
  for (auto _ : state) {
    for (uint64_t k = 0; k < kSeeks; ++k) {
      std::string key = cashRow(kSeed, (k * 2654435761ULL) % rows).key();
      if (Status s = t->seek(key); !s.ok()) die("seek", s);
      found += t->found();
    }
  }
  if (found != kSeeks * state.iterations()) die("seek", Status::NotFound("a key that exists was not found"));
  state.SetItemsProcessed(static_cast<int64_t>(kSeeks * state.iterations()));
}

// Every field of every record as a value, in record order: read-only
// (shared: every move asks the file whether it grew and reads its record)
// or exclusive (records read ahead in blocks).
void BM_EngineScan(benchmark::State& state) {
  ensureTable();
  auto t = state.range(0) ? open(tablePath(), db::OpenMode::kExclusive)
                          : open(tablePath(), db::OpenMode::kShared, true);
  uint64_t n = 0;
  for (auto _ : state) {
    double sum = 0;
    size_t bytes = 0;
    if (Status s = t->goTop(); !s.ok()) die("top", s);
    while (!t->eof()) {
      for (int i = 0; i < t->fieldCount(); ++i) {
        auto v = t->get(i);
        if (!v.ok()) die("get", v.status());
        sum += v->number();
        bytes += v->text().size();
      }
      ++n;
      if (Status s = t->skip(1); !s.ok()) die("skip", s);
    }
    benchmark::DoNotOptimize(sum);
    benchmark::DoNotOptimize(bytes);
  }
  state.SetItemsProcessed(static_cast<int64_t>(n));
  state.SetLabel(state.range(0) ? "exclusive" : "shared, read-only");
}

// Pack of a copy of the table with every tenth record deleted; the index
// is rebuilt as part of the pack.
void BM_EnginePack(benchmark::State& state) {
  ensureTable();
  std::string path = benchPath("PACK.DBF"), ntx = benchPath("PACK.NTX");
  uint32_t kept = 0;
  for (auto _ : state) {
    state.PauseTiming();
    std::filesystem::copy_file(tablePath(), path, std::filesystem::copy_options::overwrite_existing);
    std::filesystem::copy_file(indexPath(), ntx, std::filesystem::copy_options::overwrite_existing);
    auto t = open(path, db::OpenMode::kExclusive);
    for (uint32_t r = 1; r <= t->recordCount(); r += 10) {
      if (Status s = t->goTo(r); !s.ok()) die("goto", s);
      if (Status s = t->markDeleted(); !s.ok()) die("delete", s);
    }
    if (Status s = t->attachIndex(ntx); !s.ok()) die("attach", s);
    state.ResumeTiming();
    if (Status s = db::pack(*t); !s.ok()) die("pack", s);
    if (Status s = t->flush(); !s.ok()) die("flush", s);
    kept = t->recordCount();
  }
  state.counters["kept"] = kept;
  state.SetItemsProcessed(static_cast<int64_t>(benchRows() * state.iterations()));
  removeFile(path);
  removeFile(ntx);
}

BENCHMARK(BM_EngineAppendIndexed)->Arg(0)->Arg(1)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_EngineIndexBuild)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_EngineSeek)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_EngineScan)->Arg(0)->Arg(1)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_EnginePack)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace zel::bench
