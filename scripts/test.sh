#!/usr/bin/env bash
# Builds everything and runs every test suite (release build).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
cmake --preset default >/dev/null
cmake --build --preset default
ctest --preset default
