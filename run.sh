#!/usr/bin/env bash
# Installs what is missing, builds the program (Release, build/release) and starts it
# with the given arguments.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")"

./scripts/install-deps.sh
if [[ ! -f build/release/build.ninja ]]; then
    cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DAMBRELO_TESTS=OFF
fi
cmake --build build/release
exec ./build/release/ambrelo "$@"
