#!/usr/bin/env bash
# The README's install command on this checkout: a fresh venv over Debian's Python packages,
# pip install --no-build-isolation ./python (offline: the build backend runs CMake), then the
# package imported from the venv and one file read.
set -euo pipefail
repository="$(cd "$(dirname "$0")/../.." && pwd)"
venv="$1"
rm -rf "$venv"
/usr/bin/python3 -m venv --system-site-packages "$venv"
"$venv/bin/pip" install --quiet --no-build-isolation --no-index "$repository/python"
cd "$venv"
"$venv/bin/python" - "$repository/samples/markers.trc" <<'PYTHON'
import sys
import zarfileio
assert zarfileio.__file__.startswith(sys.prefix), zarfileio.__file__
markers = zarfileio.read(sys.argv[1])
assert markers.frames > 0 and markers.positions.shape[1] == len(markers.names)
print("installed", zarfileio.__file__, markers)
PYTHON
