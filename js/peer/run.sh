#!/bin/sh
# Runs one of the Node peer checks: run.sh CHECK.mjs ARGUMENTS... Exits 77 (skipped) when Node
# or the pinned packages of js/ (scripts/deps.sh installs them) are not there.
here=$(dirname "$0")
if ! command -v node >/dev/null 2>&1; then
  echo "skipped: node is not installed"
  exit 77
fi
if [ ! -d "$here/../node_modules/three" ] || [ ! -d "$here/../node_modules/gltf-validator" ]; then
  echo "skipped: js/node_modules is not installed (scripts/deps.sh installs it)"
  exit 77
fi
script=$1
shift
exec node "$here/$script" "$@"
