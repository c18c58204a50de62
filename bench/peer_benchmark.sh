#!/usr/bin/env bash
# Side by side with gLabels: the same 30-label sheet written to PDF by both programs from the
# command line, whole process (start-up included), for 1, 10 and 100 sheets; the median of five
# runs each, run alternately, and the size of each PDF.
#
#   bench/peer_benchmark.sh [PEER.glabels]
#
# The peer document defaults to ../shared/peers/wine.glabels beside the repository (or
# $PEER_DOCUMENT). gLabels is installed here, for this script only; the build and the tests
# never need it. Our program is the Release build of ./bench.sh (build/bench).
set -euo pipefail
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$repo"
peer_document=${1:-${PEER_DOCUMENT:-$repo/../shared/peers/wine.glabels}}
[[ -f "$peer_document" ]] || { echo "No peer document at $peer_document" >&2; exit 1; }
runs=5

./scripts/install-deps.sh
./scripts/install-deps.sh scripts/peer-packages.txt
if [[ ! -f build/bench/build.ninja ]]; then
    cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DAMBRELO_TESTS=OFF -DAMBRELO_BENCH=ON
fi
cmake --build build/bench --target ambrelo bench_printing

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$peer_document" "$work/wine.glabels"
build/bench/bench/bench_printing --write-peer-files "$work"

# Milliseconds one command takes, from start to exit.
time_ms() {
    local start end
    start=$(date +%s%N)
    "$@" >/dev/null 2>&1 || { echo "failed: $*" >&2; exit 1; }
    end=$(date +%s%N)
    echo $(((end - start) / 1000000))
}

median() {
    printf '%s\n' "$@" | sort -n | sed -n "$((($# + 1) / 2))p"
}

printf '%-7s | %12s | %12s | %7s | %14s | %14s\n' sheets "ours (ms)" "gLabels (ms)" faster "ours (bytes)" "gLabels (bytes)"
printf '%s\n' '--------|--------------|--------------|---------|----------------|----------------'
for sheets in 1 10 100; do
    ours=()
    peer=()
    for ((i = 0; i < runs; i++)); do
        ours+=("$(time_ms env -u DISPLAY -u WAYLAND_DISPLAY build/bench/ambrelo --export-pdf "$work/ours-$sheets.pdf" \
            --sheets "$sheets" "$work/wine.wlp" "$work/wine.wlt")")
        peer+=("$(time_ms env -u DISPLAY -u WAYLAND_DISPLAY glabels-3-batch -o "$work/peer-$sheets.pdf" \
            -s "$sheets" "$work/wine.glabels")")
    done
    o=$(median "${ours[@]}")
    p=$(median "${peer[@]}")
    printf '%-7s | %12s | %12s | %6sx | %14s | %14s\n' "$sheets" "$o" "$p" \
        "$(awk -v p="$p" -v o="$o" 'BEGIN { printf "%.1f", p / (o > 0 ? o : 1) }')" \
        "$(stat -c %s "$work/ours-$sheets.pdf")" "$(stat -c %s "$work/peer-$sheets.pdf")"
done
