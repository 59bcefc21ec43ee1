# Sourced by the whole-process benchmark scripts: the build folder with the tool and the file
# generator built in release, and the folder for generated files.
#
# Environment: ZAR_BENCH_BUILD (build folder, default build/bench), ZAR_BENCH_DIR (folder for the
# generated files, default a temporary folder removed when the script ends).
# Sets: build, work (an absolute path), tool (zarfileio), bench (filelib_bench).

build=${ZAR_BENCH_BUILD:-build/bench}
if [ -n "${ZAR_BENCH_DIR:-}" ]; then
  work=$ZAR_BENCH_DIR
  mkdir -p "$work"
  work=$(realpath "$work")
else
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
fi

scripts/deps.sh
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DZAR_BUILD_BENCH=ON \
  -DZAR_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" -j2 --target zarfileio filelib_bench >/dev/null
tool=$build/cli/zarfileio
bench=$build/bench/filelib_bench
