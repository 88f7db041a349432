#!/usr/bin/env bash
# Fails, naming the files, when a C++ source differs from what clang-format makes of it
# under the project's .clang-format.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
mapfile -d '' sources < <(find core input plot app cli tools tests bench fuzz methods analysis ellipsoid image \
  \( -name '*.cpp' -o -name '*.h' \) -print0)
unformatted=()
for source in "${sources[@]}"; do
  clang-format --dry-run --Werror "$source" >/dev/null 2>&1 || unformatted+=("$source")
done
if ((${#unformatted[@]})); then
  echo "Not formatted as .clang-format says (run clang-format -i on them):" >&2
  printf '  %s\n' "${unformatted[@]}" >&2
  exit 1
fi
