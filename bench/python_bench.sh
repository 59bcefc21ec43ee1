#!/usr/bin/env bash
# The Python package against the tool, medians of three runs each (not a test):
# - zarfileio.read of the 80 markers x 60000 frames TRC file and of the same capture as C3D,
#   beside `zarfileio trc check` / `c3d check` of the file (target: at most 1.3x), and the
#   read's peak memory over the arrays it returns (target: at most 1.5x);
# - pandas.read_csv of the same TRC rows, for comparison;
# - zarfileio.batch.convert of 200 TRC files to CSV on a LocalCluster of 2 workers and of 1
#   (target: 2 workers at least 1.7x faster).
#
#   bench/python_bench.sh
#
# Environment as for bench/whole_process.sh (ZAR_BENCH_BUILD, ZAR_BENCH_DIR).
set -euo pipefail
cd "$(dirname "$0")/.."
source bench/setup.sh
cmake --build "$build" -j2 --target zarfileio_python >/dev/null
python=/usr/bin/python3
driver() { PYTHONPATH=$build/python "$python" bench/python_bench.py "$@"; }

# median COMMAND...: the median of three runs of COMMAND's first output field (seconds), with
# the rest of the median run's output.
median() {
  local runs=$work/runs.txt
  : >"$runs"
  for _ in 1 2 3; do "$@" >>"$runs"; done
  sort -g "$runs" | sed -n 2p
}

# tool_seconds ARGS...: the tool's wall time for ARGS.
tool_seconds() {
  /usr/bin/time -f %e -o "$work/t.txt" "$tool" "$@" >/dev/null
  cat "$work/t.txt"
}

trc=$work/large.trc
c3d=$work/large.c3d
[ -f "$trc" ] || "$bench" generate-trc "$trc"
[ -f "$c3d" ] || "$tool" convert "$trc" "$c3d" >/dev/null
cat "$trc" "$c3d" >/dev/null
echo "== python: zarfileio.read of the TRC file (80 markers x 60000 frames, 2% missing) and its C3D"
for file in "$trc" "$c3d"; do
  kind=${file##*.}
  read -r check_s < <(median tool_seconds "$kind" check "$file")
  read -r read_s grown arrays < <(median driver read "$file")
  [ "$kind" = trc ] && trc_read_s=$read_s
  awk -v k="$kind" -v c="$check_s" -v r="$read_s" -v g="$grown" -v a="$arrays" 'BEGIN {
    printf "  .%s: zarfileio.read %.2f s, %s check %.2f s: %.2fx (target 1.3x): %s\n",
      k, r, k, c, r / c, (r <= 1.3 * c ? "met" : "MISSED")
    printf "  .%s: peak memory grew %.1f MB for %.1f MB of arrays: %.2fx (target 1.5x): %s\n",
      k, g / 1048576, a / 1048576, g / a, (g <= 1.5 * a ? "met" : "MISSED") }'
done
read -r pandas_s _ < <(median driver pandas "$trc")
awk -v p="$pandas_s" -v r="$trc_read_s" 'BEGIN {
  printf "  pandas.read_csv of the TRC rows: %.2f s, %.1fx zarfileio.read of the TRC file\n", p, p / r }'

echo "== python: zarfileio.batch.convert of 200 TRC files (40 markers x 5000 frames) to CSV"
# In memory where there is a tmpfs: 200 files in and 1 GB out per run, which a disk's writeback
# would otherwise pace rather than the workers.
dir=$work/python-batch
if [ -d /dev/shm ] && [ -w /dev/shm ]; then
  dir=$(mktemp -d /dev/shm/zarfileio-python-batch.XXXXXX)
  previous=$(trap -p EXIT | sed -e "s/^trap -- '//" -e "s/' EXIT$//")
  trap "rm -rf '$dir'; $previous" EXIT
fi
echo "  (files in $dir)"
if [ ! -f "$dir/in/f199.trc" ]; then
  mkdir -p "$dir/in"
  "$tool" convert "$trc" "$dir/f000.trc" --to 5000 >/dev/null
  # 40 of the 80 markers: the generated file's first 2 + 40 * 3 columns.
  cut -f 1-122 "$dir/f000.trc" >"$dir/in/f000.trc"
  sed -i '3s/\t80\t/\t40\t/' "$dir/in/f000.trc"
  for i in $(seq -f %03g 1 199); do cp "$dir/in/f000.trc" "$dir/in/f$i.trc"; done
fi
declare -A seconds
for workers in 1 2; do
  rm -rf "$dir/out"
  read -r seconds[$workers] _ < <(median driver batch "$dir/in" "$dir/out" "$workers")
done
awk -v one="${seconds[1]}" -v two="${seconds[2]}" 'BEGIN {
  printf "  1 worker %.2f s, 2 workers %.2f s: %.2fx faster (target 1.7x): %s\n", one, two,
    one / two, (one / two >= 1.7 ? "met" : "MISSED") }'
