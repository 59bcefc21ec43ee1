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

SECTIONS=(filelib pnx scenes nodes convert batch)

source bench/setup.sh

mb() { awk -v b="$1" 'BEGIN { printf "%.1f", b / 1048576 }'; }

# measure_median RUNS LABEL BYTES LIMIT_BYTES COMMAND...
# Runs COMMAND RUNS times; prints the median wall time, BYTES per second at it and the highest
# peak resident memory, and whether the peak stays within LIMIT_BYTES (skipped when LIMIT_BYTES is
# "-"). The median keeps one run slowed by the rest of a shared machine from deciding a ratio.
measure_median() {
  local runs=$1 label=$2 bytes=$3 limit=$4
  shift 4
  local times=$work/time.txt all=$work/times.txt
  : >"$all"
  for ((run = 0; run < runs; run++)); do
    /usr/bin/time -f '%e %M %U %S' -o "$times" "$@" >/dev/null
    cat "$times" >>"$all"
  done
  local middle=$(((runs + 1) / 2)) seconds kib cpu
  seconds=$(awk '{ print $1 }' "$all" | sort -g | sed -n "${middle}p")
  cpu=$(awk '{ print $3 + $4 }' "$all" | sort -g | sed -n "${middle}p")
  kib=$(awk '$2 > m { m = $2 } END { print m }' "$all")
  local rate verdict=""
  rate=$(awk -v b="$bytes" -v s="$seconds" 'BEGIN { printf "%.0f", (s > 0 ? b / 1048576 / s : 0) }')
  if [ "$limit" != "-" ]; then
    if [ $((kib * 1024)) -le "$limit" ]; then verdict="within"; else verdict="OVER"; fi
    verdict="  ($verdict file + model = $(mb "$limit") MB)"
  fi
  local note=""
  [ "$runs" -gt 1 ] && note="  (median of $runs)"
  printf '  %-44s %7.2f s %7s MB/s  peak %7s MB%s%s\n' "$label" "$seconds" "$rate" \
    "$(mb $((kib * 1024)))" "$note" "$verdict"
  # For the sections that compare jobs: wall clock, CPU time (user + system) and peak memory.
  last_seconds=$seconds
  last_cpu=$cpu
  last_bytes=$((kib * 1024))
}

# measure LABEL BYTES LIMIT_BYTES COMMAND...: one run.
measure() { measure_median 1 "$@"; }

# verdict LABEL VALUE LIMIT: "LABEL VALUE (limit LIMIT): met" or "... MISSED".
verdict() {
  awk -v l="$1" -v v="$2" -v m="$3" \
    'BEGIN { printf "  %-58s %8.2f (limit %.2f): %s\n", l, v, m, (v <= m ? "met" : "MISSED") }'
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

section_scenes() {
  echo "== scenes: import-trc of the TRC file (80 markers x 60000 frames), its scene document,"
  echo "   export-htr of the HTR file's skeleton (60 segments x 20000 frames); the jobs that the"
  echo "   ratios compare are timed three times and compared by their medians"
  cmake --build "$build" -j2 --target zarfileio_plugin scene_bench >/dev/null
  local scene_bench=$build/bench/scene_bench trc=$work/large.trc htr=$work/large.htr
  [ -f "$trc" ] || "$bench" generate-trc "$trc"
  [ -f "$htr" ] || "$bench" generate-htr "$htr"
  cat "$trc" "$htr" >/dev/null
  export ZARFILEIO_REGISTRY=$work/registry.json
  local doc=$work/trc_scene.json skeleton=$work/htr_scene.json exported=$work/exported.htr
  rm -f "$doc" "$skeleton"
  # The two jobs the targets compare are timed three times each and compared by their medians;
  # the scene is imported afresh each time.
  measure_median 3 "zarfileio trc check (read)" "$(stat -c %s "$trc")" - "$tool" trc check "$trc"
  local check=$last_seconds check_cpu=$last_cpu
  measure_median 3 "zarfileio import-trc (read, key, save)" "$(stat -c %s "$trc")" - \
    sh -c 'rm -f "$1" && exec "$2" import-trc --no-prompts --scene "$1" "$3"' sh "$doc" "$tool" "$trc"
  local import=$last_seconds import_cpu=$last_cpu import_peak=$last_bytes
  local doc_bytes scene_bytes
  doc_bytes=$(stat -c %s "$doc")
  scene_bytes=$("$scene_bench" scene-bytes "$doc")
  echo "  scene document $(mb "$doc_bytes") MB; scene in memory $(mb "$scene_bytes") MB"
  local save_load save_load_cpu
  read -r save_load save_load_cpu < <("$scene_bench" save-load "$doc")
  echo "  saving plus loading the scene in one process: $save_load s ($save_load_cpu s CPU)"
  measure "zarfileio scene info (load, list)" "$doc_bytes" - "$tool" scene info "$doc"
  local info_peak=$last_bytes
  "$tool" import-htr --no-prompts --scene "$skeleton" "$htr" >/dev/null
  local skeleton_bytes
  skeleton_bytes=$("$scene_bench" scene-bytes "$skeleton")
  echo "  skeleton scene in memory $(mb "$skeleton_bytes") MB"
  measure_median 3 "zarfileio export-htr (load, sample, write)" "$(stat -c %s "$skeleton")" - \
    "$tool" export-htr --no-prompts --scene "$skeleton" --select Segment0 "$exported"
  local export=$last_seconds export_cpu=$last_cpu export_peak=$last_bytes
  measure_median 3 "zarfileio htr check of the exported file" "$(stat -c %s "$exported")" - \
    "$tool" htr check "$exported"
  local htr_check=$last_seconds htr_check_cpu=$last_cpu
  echo "  targets (wall clock; CPU time, which a busy machine disturbs less, in the second line):"
  verdict "save + load, s (limit: trc check)" "$save_load" "$check"
  verdict "  in CPU time" "$save_load_cpu" "$check_cpu"
  verdict "import-trc / trc check" "$(awk -v a="$import" -v b="$check" 'BEGIN { print a / b }')" 2.5
  verdict "  in CPU time" "$(awk -v a="$import_cpu" -v b="$check_cpu" 'BEGIN { print a / b }')" 2.5
  verdict "export-htr / htr check of its file" \
    "$(awk -v a="$export" -v b="$htr_check" 'BEGIN { print a / b }')" 4
  verdict "  in CPU time" "$(awk -v a="$export_cpu" -v b="$htr_check_cpu" 'BEGIN { print a / b }')" 4
  verdict "import-trc peak / scene in memory" \
    "$(awk -v a="$import_peak" -v b="$scene_bytes" 'BEGIN { print a / b }')" 1.5
  verdict "scene info peak / scene in memory" \
    "$(awk -v a="$info_peak" -v b="$scene_bytes" 'BEGIN { print a / b }')" 1.5
  verdict "export-htr peak / skeleton scene in memory" \
    "$(awk -v a="$export_peak" -v b="$skeleton_bytes" 'BEGIN { print a / b }')" 1.5
}

section_nodes() {
  echo "== nodes: import-trc of many markers, import-htr of deep chains, listings of a deep scene"
  cmake --build "$build" -j2 --target zarfileio_plugin scene_bench >/dev/null
  local scene_bench=$build/bench/scene_bench
  export ZARFILEIO_REGISTRY=$work/registry.json
  local n file doc
  for n in 40000 80000; do
    file=$work/markers_$n.trc doc=$work/markers_$n.json
    "$scene_bench" generate-markers "$n" "$file"
    rm -f "$doc"
    measure "import-trc of $n markers x 10 frames" "$(stat -c %s "$file")" - \
      "$tool" import-trc --no-prompts --scene "$doc" "$file"
    echo "    $(awk -v s="$last_cpu" -v n="$n" 'BEGIN { printf "%.1f", s / n * 1e6 }') us CPU per marker"
  done
  for n in 8000 16000; do
    file=$work/chain_$n.htr doc=$work/chain_$n.json
    "$scene_bench" generate-chain "$n" "$file"
    rm -f "$doc"
    measure "import-htr of a chain $n deep" "$(stat -c %s "$file")" - \
      "$tool" import-htr --no-prompts --scene "$doc" "$file"
    echo "    $(awk -v s="$last_cpu" -v n="$n" 'BEGIN { printf "%.1f", s / n * 1e6 }') us CPU per segment"
    echo "    scene info: $("$tool" scene info "$doc" | wc -c) bytes;" \
      "htr info: $("$tool" htr info "$file" | wc -c) bytes for $n nodes"
  done
  echo "  target: the same time per node at every size; listings linear in the node count"
}

section_convert() {
  echo "== convert: the HTR file (60 segments x 20000 frames) to BVH and GLB, the TRC file (80"
  echo "   markers x 60000 frames, 2% missing) to TRC, GLB and CSV, each beside the plain read of"
  echo "   its source"
  local htr=$work/large.htr trc=$work/large.trc
  [ -f "$htr" ] || "$bench" generate-htr "$htr"
  [ -f "$trc" ] || "$bench" generate-trc "$trc"
  cat "$htr" "$trc" >/dev/null
  local source out bytes model written read_s convert_s convert_peak
  for job in "$htr bvh" "$htr glb" "$trc trc" "$trc glb" "$trc csv"; do
    read -r source out <<<"$job"
    bytes=$(stat -c %s "$source")
    model=$("$bench" model-bytes "$source")
    measure_median 3 "zarfileio ${source##*.} check (read)" "$bytes" - \
      "$tool" "${source##*.}" check "$source"
    read_s=$last_seconds
    measure_median 3 "zarfileio convert to .$out" "$bytes" - \
      "$tool" convert "$source" "$work/converted.$out"
    convert_s=$last_seconds convert_peak=$last_bytes
    written=$(stat -c %s "$work/converted.$out")
    awk -v c="$convert_s" -v r="$read_s" -v peak="$convert_peak" \
      -v limit="$((model + written))" -v out="$out" -v w="$written" 'BEGIN {
        printf "  .%s: %.1f MB written; time %.2fx the read (target 2x): %s; peak %.1f MB, source model + output %.1f MB: %s\n",
          out, w / 1048576, (r > 0 ? c / r : 0), (c <= 2 * r ? "met" : "MISSED"),
          peak / 1048576, limit / 1048576, (peak <= limit ? "met" : "MISSED") }'
  done
}

section_batch() {
  echo "== batch: 1000 generated TRC files (10 markers x 500 frames) with --jobs 1 and --jobs 2"
  local dir=$work/batch
  if [ ! -f "$dir/in/f0999.trc" ]; then
    mkdir -p "$dir/in"
    awk 'BEGIN {
      m = 10; n = 500; printf "PathFileType\t4\t(X/Y/Z)\tbatch.trc\r\n"
      printf "DataRate\tCameraRate\tNumFrames\tNumMarkers\tUnits\tOrigDataRate\tOrigDataStartFrame\tOrigNumFrames\r\n"
      printf "120\t120\t%d\t%d\tmm\t120\t1\t%d\r\nFrame#\tTime", n, m, n
      for (j = 1; j <= m; j++) printf "\tM%d\t\t", j
      printf "\r\n\t"
      for (j = 1; j <= m; j++) printf "\tX%d\tY%d\tZ%d", j, j, j
      printf "\r\n\r\n"
      for (k = 1; k <= n; k++) {
        printf "%d\t%.5f", k, (k - 1) / 120
        for (j = 1; j <= m; j++) printf "\t%.5f\t%.5f\t%.5f", j * 10 + k / 7, j - k / 3, k / 11
        printf "\r\n"
      }
    }' >"$dir/in/f0000.trc"
    for i in $(seq -f %04g 1 999); do cp "$dir/in/f0000.trc" "$dir/in/f$i.trc"; done
  fi
  local bytes
  bytes=$(cat "$dir"/in/*.trc | wc -c)
  cat "$dir"/in/*.trc >/dev/null
  local job one one_cpu
  for job in "pnx convert --batch" "convert --format csv"; do
    for jobs in 1 2; do
      rm -rf "$dir/out"
      if [ "$job" = "pnx convert --batch" ]; then
        measure "$job --jobs $jobs" "$bytes" - env ZARFILEIO_REGISTRY="$work/registry.json" \
          "$tool" pnx convert --quiet --no-filter --out "$dir/out" --jobs "$jobs" "$dir"/in/*.trc
      else
        measure "$job --jobs $jobs" "$bytes" - \
          "$tool" convert --out-dir "$dir/out" --format csv --jobs "$jobs" "$dir"/in/*.trc
      fi
      if [ "$jobs" = 1 ]; then one=$last_seconds one_cpu=$last_cpu; fi
    done
    # CPU time (user + system, children included) tells a busy machine from work done twice.
    awk -v a="$last_seconds" -v b="$one" -v ac="$last_cpu" -v bc="$one_cpu" -v j="$job" 'BEGIN {
      printf "  %s: --jobs 1 %.2f s (CPU %.2f s), --jobs 2 %.2f s (CPU %.2f s): wall time ratio %.2f\n",
        j, b, bc, a, ac, (b > 0 ? a / b : 0) }'
  done
}

selected=("$@")
[ ${#selected[@]} -gt 0 ] || selected=("${SECTIONS[@]}")
for section in "${selected[@]}"; do
  "section_$section"
done
