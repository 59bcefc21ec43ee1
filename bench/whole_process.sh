#!/usr/bin/env bash
# Whole-process benchmark. Builds zarfileio and the benchmark programs, generates large files,
# runs each job as a process of its own under /usr/bin/time (wall time, throughput, peak
# memory), then runs the in-process benchmarks and prints each job's ratio to its bare loop.
#
#   bench/whole_process.sh [SECTION...]       every section when none is named
#
# Environment: ZAR_BENCH_BUILD (build folder, default build/bench), ZAR_BENCH_DIR (folder for
# the generated files, default a temporary folder removed at the end).
#
# Adding a subject: write a function section_<name> below (use `measure` and `ratio`) and add
# <name> to SECTIONS.
set -euo pipefail
cd "$(dirname "$0")/.."

SECTIONS=(filelib pnx convert)

build=${ZAR_BENCH_BUILD:-build/bench}
if [ -n "${ZAR_BENCH_DIR:-}" ]; then
  work=$ZAR_BENCH_DIR
  mkdir -p "$work"
else
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
fi

scripts/deps.sh
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DZAR_BUILD_BENCH=ON \
  -DZAR_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" -j2 --target zarfileio filelib_bench >/dev/null
tool=$build/cli/zarfileio
bench=$build/bench/filelib_bench

mb() { awk -v b="$1" 'BEGIN { printf "%.1f", b / 1048576 }'; }

# measure LABEL BYTES LIMIT_BYTES COMMAND...
# Runs COMMAND once; prints its wall time, BYTES per second and peak resident memory, and
# whether the peak stays within LIMIT_BYTES (skipped when LIMIT_BYTES is "-").
measure() {
  local label=$1 bytes=$2 limit=$3
  shift 3
  local times=$work/time.txt
  /usr/bin/time -f '%e %M' -o "$times" "$@" >/dev/null
  local seconds kib
  read -r seconds kib <"$times"
  local rate verdict=""
  rate=$(awk -v b="$bytes" -v s="$seconds" 'BEGIN { printf "%.0f", (s > 0 ? b / 1048576 / s : 0) }')
  if [ "$limit" != "-" ]; then
    if [ $((kib * 1024)) -le "$limit" ]; then verdict="within"; else verdict="OVER"; fi
    verdict="  ($verdict file + model = $(mb "$limit") MB)"
  fi
  printf '  %-44s %7.2f s %7s MB/s  peak %7s MB%s\n' "$label" "$seconds" "$rate" \
    "$(mb $((kib * 1024)))" "$verdict"
}

# ratio JSON LABEL JOB BASELINE: the job's median time over the baseline's (wall clock, and
# process CPU time, which a busy machine disturbs less), and both throughputs, from a Google
# Benchmark JSON report with repetitions.
ratio() {
  local json=$1 label=$2 job=$3 base=$4
  jq -r --arg job "$job" --arg base "$base" --arg title "$label" '
    def r: . * 100 | round / 100;
    def median($n): .benchmarks | map(select(.aggregate_name == "median"
        and (.run_name | split("/")[0]) == $n))[0];
    median($job) as $j | median($base) as $b
    | "  \($title): \($j.real_time / $b.real_time | r)x the bare loop in wall time, \($j.cpu_time / $b.cpu_time | r)x in CPU time  (\($j.bytes_per_second / 1048576 | round) MB/s vs \($b.bytes_per_second / 1048576 | round) MB/s)"
  ' "$json"
}

section_filelib() {
  echo "== filelib: HTR (60 segments x 20000 frames) and TRC (80 markers x 60000 frames, 2% missing)"
  local htr=$work/large.htr trc=$work/large.trc
  [ -f "$htr" ] || "$bench" generate-htr "$htr"
  [ -f "$trc" ] || "$bench" generate-trc "$trc"
  local htr_bytes trc_bytes htr_model trc_model
  htr_bytes=$(stat -c %s "$htr")
  trc_bytes=$(stat -c %s "$trc")
  htr_model=$("$bench" model-bytes "$htr")
  trc_model=$("$bench" model-bytes "$trc")
  echo "  HTR file $(mb "$htr_bytes") MB, model $(mb "$htr_model") MB;" \
    "TRC file $(mb "$trc_bytes") MB, model $(mb "$trc_model") MB"
  # Warm the page cache so that every job reads from memory alike.
  cat "$htr" "$trc" >/dev/null
  echo "  whole processes:"
  measure "zarfileio htr check (read)" "$htr_bytes" $((htr_bytes + htr_model)) \
    "$tool" htr check "$htr"
  measure "bare parse of the HTR file" "$htr_bytes" - "$bench" bare-parse "$htr"
  measure "zarfileio htr convert (read + write)" "$htr_bytes" $((htr_bytes + htr_model)) \
    "$tool" htr convert "$htr" "$work/converted.htr"
  measure "zarfileio trc check (read)" "$trc_bytes" $((trc_bytes + trc_model)) \
    "$tool" trc check "$trc"
  measure "bare parse of the TRC file" "$trc_bytes" - "$bench" bare-parse "$trc"
  echo "  in one process (medians of 5 runs):"
  local json=$work/filelib_bench.json
  ZAR_BENCH_DIR=$work "$bench" --benchmark_repetitions=5 --benchmark_filter=BM_ --benchmark_report_aggregates_only=true \
    --benchmark_format=json >"$json"
  ratio "$json" "HTR reader" BM_HtrRead BM_HtrBareParse
  ratio "$json" "TRC reader" BM_TrcRead BM_TrcBareParse
  ratio "$json" "HTR writer" BM_HtrWrite BM_HtrBareFormat
  echo "  targets: readers and writer at most 1.2x; peak memory within file + model"
}

section_pnx() {
  echo "== pnx: TRC to PNX conversion of the TRC file (80 markers x 60000 frames, 2% missing)"
  cmake --build "$build" -j2 --target pnx_bench zarfileio_plugin >/dev/null
  local pnx_bench=$build/bench/pnx_bench trc=$work/large.trc
  [ -f "$trc" ] || "$pnx_bench" generate-trc "$trc"
  cat "$trc" >/dev/null
  "$pnx_bench" convert "$trc" "$work/large.pnx"
  local pnx_bytes
  pnx_bytes=$(stat -c %s "$work/large.pnx")
  echo "  PNX file $(mb "$pnx_bytes") MB"
  echo "  whole processes (MB/s of PNX written):"
  measure "pnx_bench convert (read, map, write)" "$pnx_bytes" - \
    "$pnx_bench" convert "$trc" "$work/large.pnx"
  measure "zarfileio pnx convert (plug-in, panel)" "$pnx_bytes" - \
    env ZARFILEIO_REGISTRY="$work/registry.json" "$tool" pnx convert "$trc" --no-filter
  echo "  in one process (medians of 5 runs):"
  local json=$work/pnx_bench.json
  ZAR_BENCH_DIR=$work "$pnx_bench" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true \
    --benchmark_format=json >"$json"
  jq -r '
    def median($n): .benchmarks | map(select(.aggregate_name == "median"
        and (.run_name | split("/")[0]) == $n))[0];
    median("BM_PnxConvert") as $c | median("BM_TrcRead") as $r | median("BM_BareFormat") as $b
    | "  conversion \($c.real_time | round) ms = \($c.real_time / ($r.real_time + $b.real_time) * 100 | round / 100)x (read \($r.real_time | round) ms + bare format \($b.real_time | round) ms) in wall time, \($c.cpu_time / ($r.cpu_time + $b.cpu_time) * 100 | round / 100)x in CPU time; PNX written at \($c.bytes_per_second / 1048576 | round) MB/s, bare format \($b.bytes_per_second / 1048576 | round) MB/s"
  ' "$json"
  echo "  target: conversion at most 1.2x reading plus the bare format"
}

section_convert() {
  echo "== convert: the HTR file (60 segments x 20000 frames) to BVH, the TRC file (80 markers x"
  echo "   60000 frames, 2% missing) to TRC and CSV, each beside the plain read of its source"
  local htr=$work/large.htr trc=$work/large.trc
  [ -f "$htr" ] || "$bench" generate-htr "$htr"
  [ -f "$trc" ] || "$bench" generate-trc "$trc"
  cat "$htr" "$trc" >/dev/null
  local source out bytes model written read_s read_kib convert_s convert_kib
  for job in "$htr bvh" "$trc trc" "$trc csv"; do
    read -r source out <<<"$job"
    bytes=$(stat -c %s "$source")
    model=$("$bench" model-bytes "$source")
    measure "zarfileio ${source##*.} check (read)" "$bytes" - "$tool" "${source##*.}" check "$source"
    read -r read_s read_kib <"$work/time.txt"
    measure "zarfileio convert to .$out" "$bytes" - "$tool" convert "$source" "$work/converted.$out"
    read -r convert_s convert_kib <"$work/time.txt"
    written=$(stat -c %s "$work/converted.$out")
    awk -v c="$convert_s" -v r="$read_s" -v peak="$((convert_kib * 1024))" \
      -v limit="$((model + written))" -v out="$out" -v w="$written" 'BEGIN {
        printf "  .%s: %.1f MB written; time %.2fx the read (target 2x): %s; peak %.1f MB, source model + output %.1f MB: %s\n",
          out, w / 1048576, (r > 0 ? c / r : 0), (c <= 2 * r ? "met" : "MISSED"),
          peak / 1048576, limit / 1048576, (peak <= limit ? "met" : "MISSED") }'
  done
}

selected=("$@")
[ ${#selected[@]} -gt 0 ] || selected=("${SECTIONS[@]}")
for section in "${selected[@]}"; do
  "section_$section"
done
