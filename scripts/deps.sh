#!/usr/bin/env bash
# Installs the Debian packages the build needs, only when one is missing (quick when all are there),
# then the pinned JavaScript packages of js/ (three.js for the viewer, the other readers and the
# headless browser for the checks) when js/node_modules is missing or older than the lock file.
set -euo pipefail
packages=(cmake ninja-build g++ libgtest-dev libgmock-dev libbenchmark-dev libcli11-dev
          nlohmann-json3-dev libsimdjson-dev ccache nodejs chromium python3 strace clang-format
          python3-dev pybind11-dev python3-numpy python3-pandas python3-pytest python3-distributed
          python3-setuptools python3-pip python3-venv python3-matplotlib
          "$@")
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}" >&2
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# Node.js may come from elsewhere than Debian (then it carries its own npm); Debian's splits it out.
if ! command -v npm >/dev/null 2>&1; then
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends npm
fi
js="$(dirname "$0")/../js"
if [ ! -f "$js/node_modules/.package-lock.json" ] ||
   [ "$js/package-lock.json" -nt "$js/node_modules/.package-lock.json" ]; then
  echo "Installing the pinned JavaScript packages in js/" >&2
  (cd "$js" && npm ci --ignore-scripts --no-audit --no-fund --loglevel=error)
fi
