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

# The plug-in through the stand-in host: the tool loads it as the host does. A registry file of
# the demo's own keeps the options apart from the user's.
export ZARFILEIO_REGISTRY="$out/registry.json"
rm -f "$out"/*.json
echo "== zarfileio plugin info"
"$tool" plugin info
echo "== zarfileio import-htr samples/walk.htr (create a skeleton, key every frame)"
"$tool" import-htr samples/walk.htr --scene "$out/walk_scene.json" --create --all --set-frame-rate
"$tool" scene info "$out/walk_scene.json"
root=$("$tool" htr info samples/walk.htr | awk '/\(root\)/ {print $1; exit}')
echo "== zarfileio export-htr $out/walk_exported.htr --select $root (saved base pose, all frames)"
"$tool" export-htr "$out/walk_exported.htr" --scene "$out/walk_scene.json" --select "$root"
"$tool" htr check "$out/walk_exported.htr"
echo "== zarfileio import-trc samples/markers.trc (a new marker cloud)"
"$tool" import-trc samples/markers.trc --scene "$out/markers_scene.json" --create --root-node --all --set-frame-rate
"$tool" scene info "$out/markers_scene.json"
echo "== zarfileio pnx convert samples/markers.trc --out $out (every marker, batch with log)"
"$tool" pnx convert samples/markers.trc --no-filter --batch --out "$out" --quiet
ls -l "$out"/markers.pnx "$out"/ConvertPNXLog.txt
echo "== zarfileio view samples/walk.htr samples/markers.trc (a page that plays both)"
"$tool" view samples/walk.htr samples/markers.trc -o "$out/viewer.html"
echo "Open $PWD/$out/viewer.html in a web browser to play the samples."
echo "Demo output is in $out"
