#!/usr/bin/env bash
# Installs what is missing, builds everything in Debug with AddressSanitizer and
# UndefinedBehaviorSanitizer (build/test) and runs every test.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")"

./scripts/install-deps.sh
if [[ ! -f build/test/build.ninja ]]; then
    cmake -S . -B build/test -G Ninja -DCMAKE_BUILD_TYPE=Debug -DAMBRELO_SANITIZE=ON -DAMBRELO_TESTS=ON
fi
cmake --build build/test

export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0
export LSAN_OPTIONS="suppressions=$PWD/scripts/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
cd build/test
ctest --output-on-failure --timeout 300 -j2

# The Debian package, from a Release build, checked.
cd ../..
./scripts/package.sh
