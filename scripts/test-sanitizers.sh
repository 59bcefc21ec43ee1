#!/usr/bin/env bash
# Builds with the address and undefined-behaviour sanitizers and runs every test suite.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
cmake --preset asan >/dev/null
cmake --build --preset asan
# The browser tests check the page, not the tool's memory: the release run covers them.
ctest --preset asan -LE browser
