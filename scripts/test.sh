#!/usr/bin/env bash
# Sets up, builds and runs every test: under AddressSanitizer and
# UndefinedBehaviorSanitizer, each fuzz target for a bounded time
# (FUZZ_SECONDS, default 60), then the release builds, native and for
# Windows (under Wine), and what their packages hold; the release suite's
# summary closes the output.
set -euo pipefail
cd "$(dirname "$0")/.."
# Wine wants a home even where the environment names none.
: "${HOME:=$(getent passwd "$(id -u)" | cut -d: -f6)}"
export HOME
scripts/setup.sh build windows fuzz package
scripts/sanitize.sh
scripts/fuzz.sh "${FUZZ_SECONDS:-60}"
scripts/build-windows.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DIC9100_WINDOWS_BUILD="$PWD/build-win" >/dev/null
cmake --build build -j"${CMAKE_BUILD_PARALLEL_LEVEL:-$(nproc)}"
scripts/check-package.sh deb build
scripts/check-package.sh zip build-win
cd build
ctest --output-on-failure --timeout 300 -j"${CMAKE_BUILD_PARALLEL_LEVEL:-$(nproc)}"
