#!/usr/bin/env bash
# Runs every table-engine benchmark and its peers on the same rows, in one go.
#
#   bench/run.sh                 1,000,000 rows (ZEL_BENCH_ROWS to change)
#   ZEL_BENCH_ROWS=100000 bench/run.sh
#
# Files go to ZEL_BENCH_DIR (default /tmp/zel-bench); results to
# $ZEL_BENCH_DIR/results.txt and the Google Benchmark JSON beside it.
set -euo pipefail
cd "$(dirname "$0")/.."
export ZEL_BENCH_ROWS=${ZEL_BENCH_ROWS:-1000000}
export ZEL_BENCH_DIR=${ZEL_BENCH_DIR:-/tmp/zel-bench}
LOOKUPS=${ZEL_BENCH_LOOKUPS:-10000}
rm -rf "$ZEL_BENCH_DIR"
mkdir -p "$ZEL_BENCH_DIR"
D=$ZEL_BENCH_DIR
OUT=$D/results.txt

scripts/setup.sh
# ZEL_BENCH_BUILD: a build folder of its own instead of the release preset's.
if [ -n "${ZEL_BENCH_BUILD:-}" ]; then
  cmake -S . -B "$ZEL_BENCH_BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZEL_BUILD_BENCHMARKS=ON >/dev/null
  BUILD=$ZEL_BENCH_BUILD
else
  cmake --preset release >/dev/null
  BUILD=build/release
fi
nice cmake --build "$BUILD" --target zel_bench_table zel_bench_peers zel_bench_rows >/dev/null
B=$BUILD/bench

say() { echo "$*" | tee -a "$OUT"; }
# Wall-clock seconds of a command, its output discarded.
seconds() {
  local t0 t1
  t0=$(date +%s%N)
  "$@" >/dev/null 2>&1
  t1=$(date +%s%N)
  awk -v a="$t0" -v b="$t1" 'BEGIN { printf "%.3f", (b - a) / 1e9 }'
}
rate() { awk -v n="$1" -v s="$2" 'BEGIN { if (s > 0) printf "%.0f", n / s; else print "-" }'; }

say "rows: $ZEL_BENCH_ROWS   machine: $(nproc) cores, $(uname -r)   $(date -u '+%Y-%m-%d %H:%M UTC')"
say ""
say "== table engine and in-process peers (Google Benchmark; real time) =="
"$B/zel_bench_table" --benchmark_out="$D/engine.json" --benchmark_out_format=json \
  --benchmark_counters_tabular=true | tee -a "$OUT"
"$B/zel_bench_peers" --benchmark_out="$D/peers.json" --benchmark_out_format=json \
  --benchmark_counters_tabular=true | tee -a "$OUT"

say ""
say "== external peers (wall clock, including process start) =="
"$B/zel_bench_rows" csv "$D/rows.csv"
printf '"String(11)","String(1)","String(8)","String(41)","Real(14.2)","Integer(2)","String(1)"\n' \
  >"$D/rows.csvt"
"$B/zel_bench_rows" keys "$D/keys.txt"
"$B/zel_bench_rows" cpfs "$D/cpfs.txt" "$LOOKUPS"

s=$(seconds env LC_ALL=C sort "$D/keys.txt" -o "$D/keys.sorted")
say "GNU sort of the $ZEL_BENCH_ROWS index keys (LC_ALL=C, byte order): ${s} s"

rm -f "$D"/gdal.*
s=$(seconds ogr2ogr -f "ESRI Shapefile" "$D/gdal.dbf" "$D/rows.csv")
say "GDAL ogr2ogr append from CSV (no index): ${s} s, $(rate "$ZEL_BENCH_ROWS" "$s") rows/s"
s=$(seconds ogr2ogr -f CSV /vsistdout/ "$D/gdal.dbf")
say "GDAL scan of every field (ogr2ogr to CSV, discarded): ${s} s, $(rate "$ZEL_BENCH_ROWS" "$s") rows/s"
s=$(seconds ogrinfo "$D/gdal.dbf" -sql "CREATE INDEX ON gdal USING CPF")
say "GDAL CREATE INDEX ON CPF: ${s} s"
read -r n secs found < <(/usr/bin/python3 bench/gdal_lookups.py "$D/gdal.dbf" "$D/cpfs.txt")
say "GDAL lookups through its attribute index: $n lookups in ${secs} s" \
    "($(awk -v n="$n" -v s="$secs" 'BEGIN { printf "%.1f", s * 1e6 / n }') us each, $found rows)"

if [ -f "$D/ZEL509.DBF" ]; then
  s=$(seconds cat "$D/ZEL509.DBF")
  say "cat of the engine's table ($(stat -c %s "$D/ZEL509.DBF") bytes, warm cache): ${s} s"
fi
say ""
say "results: $OUT"
