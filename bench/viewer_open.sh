#!/usr/bin/env bash
# The viewer on large captures: generates an 80 markers x 60000 frames TRC file (2% of the samples
# missing) and a 60 segments x 20000 frames HTR file, writes a page from each with `zarfileio
# view` (wall time and peak memory of the process), then prints each page's size against the
# float32 size of its positions and the time headless chromium takes to open it (navigation
# until the player's ready flag; three runs, each in a fresh tab).
#
#   bench/viewer_open.sh
#
# Environment: ZAR_BENCH_BUILD (build folder, default build/bench), ZAR_BENCH_DIR (folder for
# the generated files and pages, default a temporary folder removed at the end).
set -euo pipefail
cd "$(dirname "$0")/.."

source bench/setup.sh

trc=$work/large.trc
htr=$work/large.htr
[ -f "$trc" ] || "$bench" generate-trc "$trc"
[ -f "$htr" ] || "$bench" generate-htr "$htr"

# The bytes of base64 text that hold the positions of a page's first input.
base64_bytes() {
  grep -o 'id="zar-positions-0">[A-Za-z0-9+/=]*' "$1" | tr -d '\n' | wc -c |
    awk '{ print $1 - length("id=\"zar-positions-0\">") }'
}

# The fixed page: the page for the smallest input, less its positions.
small=$work/small.html
"$tool" view samples/markers.trc -o "$small" >/dev/null
fixed=$(($(stat -c %s "$small") - $(base64_bytes "$small")))

pages=("$small")
for input in "$trc" "$htr"; do
  page=$input.html
  pages+=("$page")
  /usr/bin/time -f '%e %M' -o "$work/time.txt" "$tool" view "$input" -o "$page" >"$work/wrote.txt"
  read -r seconds kib <"$work/time.txt"
  size=$(stat -c %s "$page")
  floats=$(($(base64_bytes "$page") / 4 * 3))
  awk -v w="$(cat "$work/wrote.txt")" -v s="$seconds" -v k="$kib" -v size="$size" \
      -v fixed="$fixed" -v floats="$floats" 'BEGIN {
    printf "%s\n  in %.2f s, peak %.0f MB; page %.1f MB = fixed page %.2f MB + %.3f x the " \
           "%.1f MB of float32 positions\n", w, s, k / 1024, size / 1048576, fixed / 1048576,
           (size - fixed) / floats, floats / 1048576 }'
done

(cd js && node viewer-test/open_time.mjs "${pages[@]}")
