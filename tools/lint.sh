#!/usr/bin/env bash
# Runs clang-tidy over the game's sources (slow: a few minutes on two cores).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
bash "$root/tools/install-deps.sh"
cmake -S "$root" -B "$root/build-lint" -G Ninja -DCMAKE_EXPORT_COMPILE_COMMANDS=ON >/dev/null
cmake --build "$root/build-lint" -j"$(nproc)" >/dev/null # generated sources must exist
mapfile -t files < <(cd "$root" && git ls-files 'src/*.cpp')
cd "$root"
printf '%s\n' "${files[@]}" | xargs -P "$(nproc)" -n 4 clang-tidy -p build-lint --quiet
echo "clang-tidy: ${#files[@]} files clean"
