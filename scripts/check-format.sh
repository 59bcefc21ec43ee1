#!/usr/bin/env bash
# Checks that every C++ source in the repository is laid out as .clang-format says; lists the
# files that are not (fix them with: clang-format -i FILE...). Exits 1 when there is any.
set -euo pipefail
cd "$(dirname "$0")/.."
unformatted=()
while IFS= read -r -d '' file; do
  clang-format --dry-run -Werror "$file" >/dev/null 2>&1 || unformatted+=("$file")
done < <(git ls-files -z '*.cpp' '*.h')
if ((${#unformatted[@]})); then
  echo "Not laid out as .clang-format says (clang-format -i fixes them):" >&2
  printf '  %s\n' "${unformatted[@]}" >&2
  exit 1
fi
echo "Every C++ source is laid out as .clang-format says."
