#!/usr/bin/env bash
# Builds the benchmarks (Release, build/bench) and runs them; arguments go to every
# benchmark program (for example --benchmark_filter=ObjectAt).
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")"

./scripts/install-deps.sh
if [[ ! -f build/bench/build.ninja ]]; then
    cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DAMBRELO_TESTS=OFF -DAMBRELO_BENCH=ON
fi
cmake --build build/bench
export QT_QPA_PLATFORM=offscreen
for program in build/bench/bench/bench_*; do
    [[ -f "$program" && -x "$program" ]] || continue
    "$program" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true "$@"
done
