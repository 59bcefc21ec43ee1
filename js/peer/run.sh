#!/bin/sh
# Runs one of the Node peer checks: run.sh CHECK.mjs ARGUMENTS... Exits 77 (skipped) when Node
# or the pinned packages of js/ (scripts/deps.sh installs them) are not there; in continuous
# integration (CI=true) that is a failure (exit 1) instead, so that the checks never pass unrun.
here=$(dirname "$0")
skip() {
  if [ "${CI:-}" = true ]; then
    echo "failed: $1; CI=true needs every peer check to run" >&2
    exit 1
  fi
  echo "skipped: $1"
  exit 77
}
command -v node >/dev/null 2>&1 || skip "node is not installed"
if [ ! -d "$here/../node_modules/three" ] || [ ! -d "$here/../node_modules/gltf-validator" ]; then
  skip "js/node_modules is not installed (scripts/deps.sh installs it)"
fi
script=$1
shift
exec node "$here/$script" "$@"
