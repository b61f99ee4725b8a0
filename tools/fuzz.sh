#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a while:
#   tools/fuzz.sh [seconds] [target...]
# seconds defaults to 60, the targets to every fuzz_* there is (e.g. "scores").
# The build tree is build-fuzz beside the sources unless FUZZ_BUILD_DIR says
# otherwise. Each target keeps its corpus in <build>/corpus/<target>, so a
# later run goes on where the last one stopped; findings land in
# <build>/findings/<target>.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
seconds="${1:-60}"
shift || true
dir="${FUZZ_BUILD_DIR:-$root/build-fuzz}"

CC=clang CXX=clang++ cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
    mapfile -t targets < <(cmake --build "$dir" --target help | sed -n 's/^\(fuzz_[A-Za-z0-9_]*\):.*/\1/p' | grep -v '_autogen' | sed 's/^fuzz_//' | sort -u)
fi
if [ ${#targets[@]} -eq 0 ]; then
    echo "no fuzz targets (is the compiler clang?)" >&2
    exit 1
fi
cmake --build "$dir" --target "${targets[@]/#/fuzz_}"
# The font libraries keep memory for the life of the process; the fuzzer looks for leaks at its end.
export LSAN_OPTIONS="suppressions=$root/tools/lsan.supp:print_suppressions=0"

# Starting inputs and the format's words, per target.
start_inputs() {
    local name="$1" corpus="$2"
    case "$name" in
    scores)
        # The default file and one with a few records.
        printf '###ZWEBSCO###\0\0\n\0\n\0\n\0\n\0\n\0\n\0\n\0\n\0\n\0\n' >"$corpus/default"
        printf '###ZWEBSCO###\0Bob\0\1\2\0\n\xc6\xf3\xea\0\t\t\t\t\n\0\0\n\0\n\0\n\0\n\0\n\0\n\0\n\0\n' >"$corpus/records"
        printf '"###ZWEBSCO###"\n"\\x00\\x0A"\n"\\x00\\x01\\x02\\x00\\x0A"\n' >"$dir/$name.dict"
        ;;
    config)
        # The default settings and a hand-edited file.
        printf '###ZWEBCFG###\r\nSound>\r\nYes\r\nNext>\r\nYes\r\nLevel>\r\n0\r\nLanguage>\r\nRus\r\n' >"$corpus/default"
        printf '###ZWEBCFG###\r\nSound>\r\nNo\r\nNext>\r\nyes\r\nLevel>\r\n 7.5 \r\nLanguage>\r\nEng\r\n' >"$corpus/edited"
        printf '"###ZWEBCFG###"\n"\\x0D\\x0A"\n"Sound>"\n"Next>"\n"Level>"\n"Language>"\n"Yes"\n"Rus"\n"e-"\n' >"$dir/$name.dict"
        ;;
    esac
}

status=0
for name in "${targets[@]}"; do
    corpus="$dir/corpus/$name"
    findings="$dir/findings/$name"
    mkdir -p "$corpus" "$findings"
    if [ -z "$(ls -A "$corpus")" ]; then
        start_inputs "$name" "$corpus"
    fi
    dict=()
    if [ -f "$dir/$name.dict" ]; then
        dict=("-dict=$dir/$name.dict")
    fi
    echo "== fuzz_$name for ${seconds}s"
    if ! "$dir/tests/fuzz/fuzz_$name" "${dict[@]}" -max_total_time="$seconds" -print_final_stats=1 \
        -artifact_prefix="$findings/" "$corpus"; then
        echo "fuzz_$name found a failure; see $findings" >&2
        status=1
    fi
done
exit "$status"
