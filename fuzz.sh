#!/usr/bin/env bash
# Builds the libFuzzer harnesses (clang, build/fuzz) and fuzzes one of them for a while:
#   ./fuzz.sh <harness> [seconds] [libFuzzer options...]
# for example './fuzz.sh images 1200' for twenty minutes of tests/fuzz/fuzz_images.cpp.
# It starts from tests/fuzz/corpus/<harness> and keeps what it learns in build/fuzz/corpus/<harness>;
# inputs that crash, leak or hang land in build/fuzz/crashes/<harness>/, the run's output in
# build/fuzz/logs/. One fuzzing process; it ends with libFuzzer's final statistics.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")"

if [[ $# -lt 1 || ! -f tests/fuzz/fuzz_$1.cpp ]]; then
    harnesses=$(cd tests/fuzz && ls fuzz_*.cpp | sed 's/^fuzz_//; s/\.cpp$//' | tr '\n' ' ')
    echo "usage: $0 <harness> [seconds] [libFuzzer options...]; harnesses: $harnesses" >&2
    exit 2
fi
name=$1
seconds=${2:-600}
shift $(($# >= 2 ? 2 : 1))

./scripts/install-deps.sh
./scripts/install-deps.sh scripts/fuzz-packages.txt
if [[ ! -f build/fuzz/build.ninja ]]; then
    cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=Debug -DAMBRELO_TESTS=OFF -DAMBRELO_FUZZ=ON \
        -DCMAKE_CXX_COMPILER=clang++
fi
cmake --build build/fuzz -j2 --target "fuzz_$name"

work=build/fuzz/corpus/$name
crashes=build/fuzz/crashes/$name
mkdir -p "$work" "$crashes" build/fuzz/logs
log=build/fuzz/logs/$name-$(date +%Y%m%d-%H%M%S).log
options=(-max_total_time="$seconds" -max_len=65536 -rss_limit_mb=2048 -timeout=10
         -artifact_prefix="$crashes/" -print_final_stats=1)
[[ -f tests/fuzz/$name.dict ]] && options+=(-dict="tests/fuzz/$name.dict")

export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0
export LSAN_OPTIONS="suppressions=$PWD/scripts/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
status=0
"build/fuzz/tests/fuzz/fuzz_$name" "${options[@]}" "$@" "$work" "tests/fuzz/corpus/$name" 2>&1 | tee "$log" ||
    status=${PIPESTATUS[0]}

echo
echo "Log: $log"
grep -E '^#[0-9]+[[:space:]]+DONE|^stat::' "$log" || true
if [[ $status -ne 0 ]]; then
    echo "The fuzzer stopped with status $status; its input is in $crashes/:" >&2
    ls -t "$crashes" | head -5 >&2
fi
exit "$status"
