#!/usr/bin/env bash
# Builds everything and runs the main job on the bundled samples.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
cmake --preset default >/dev/null
cmake --build --preset default
tool=build/default/cli/zarfileio
if [ ! -x "$tool" ]; then
  echo "Built; the command-line tool is not part of this build yet."
  exit 0
fi

# The motion file library through the tool: check, inspect and rewrite the bundled samples.
out=build/default/demo
mkdir -p "$out"
echo "== zarfileio htr check samples/*.htr"
"$tool" htr check samples/*.htr
echo "== zarfileio htr info samples/walk.htr"
"$tool" htr info samples/walk.htr
echo "== zarfileio htr convert samples/walk.htr $out/walk_mm.htr --units mm --rotation-units radians"
"$tool" htr convert samples/walk.htr "$out/walk_mm.htr" --units mm --rotation-units radians
"$tool" htr check "$out/walk_mm.htr"
echo "== zarfileio trc check samples/*.trc"
"$tool" trc check samples/*.trc
echo "== zarfileio trc info samples/markers.trc"
"$tool" trc info samples/markers.trc
