#!/usr/bin/env bash
# Installs what is missing, then builds and runs every test: a build with
# warnings as errors (the real program under X11 and Wayland included), the same
# suite under AddressSanitizer and UndefinedBehaviorSanitizer, the file readers
# under libFuzzer for a while, the Debian package, and the formatting check.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
bash "$root/tools/install-deps.sh" --deb-check
export QT_QPA_PLATFORM=offscreen

echo "== build (warnings are errors)"
bash "$root/tools/build.sh" "$root/build-ci" -DCLOCKWELL_WERROR=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo
echo "== tests"
(cd "$root/build-ci" && ctest --output-on-failure -j2)

if [ "${CLOCKWELL_SKIP_SANITIZERS:-0}" != 1 ]; then
  echo "== build with AddressSanitizer and UndefinedBehaviorSanitizer"
  bash "$root/tools/build.sh" "$root/build-asan" -DCLOCKWELL_WERROR=ON -DCLOCKWELL_SANITIZE=ON \
    -DCMAKE_BUILD_TYPE=Debug
  echo "== tests under the sanitizers"
  export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:halt_on_error=1"
  export LSAN_OPTIONS="suppressions=$root/tools/lsan.supp:print_suppressions=0"
  export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
  # A quarter of the soak's games: the build above plays all of them; here they look for memory faults.
  (cd "$root/build-asan" && CLOCKWELL_SOAK_GAMES=250 ctest --output-on-failure -j2 -LE no-sanitizer)
fi

# The file readers under libFuzzer for a bounded time (clang builds only; the
# suite above has already fed them a fixed set of random inputs).
fuzz_seconds="${CLOCKWELL_FUZZ_SECONDS:-15}"
if [ "$fuzz_seconds" != 0 ] && command -v clang++ >/dev/null; then
  echo "== file readers under libFuzzer, ${fuzz_seconds}s each"
  FUZZ_BUILD_DIR="$root/build-fuzz" bash "$root/tools/fuzz.sh" "$fuzz_seconds" scores config
fi

# The package installed into a fresh Debian 12 and started there by root and by a player (chroot: root only).
echo "== the Debian package"
[ "$(id -u)" -eq 0 ] || { echo "the package check needs root (debootstrap and chroot): run the test command as root, as CI does"; exit 1; }
bash "$root/tools/check-deb.sh"

echo "== formatting"
mapfile -t files < <(cd "$root" && git ls-files '*.cpp' '*.h')
(cd "$root" && clang-format --dry-run --Werror "${files[@]}")
echo "formatting: ${#files[@]} files clean"

# The suite's size against the code's: every tracked file under tests/, against every tracked C++, CMake and
# shell file outside it.
cd "$root"
test_lines="$(git ls-files tests | xargs cat | wc -l)"
code_lines="$(git ls-files | grep -v '^tests/' | grep -E '\.(cpp|h|sh|cmake)$|CMakeLists\.txt$|^\.ci/run$' | xargs cat | wc -l)"
echo "test lines / code lines: $test_lines / $code_lines = $(awk "BEGIN { printf \"%.3f\", $test_lines / $code_lines }")"
