#!/usr/bin/env bash
# Sets up, builds and runs every test: natively, the Windows build under
# Wine, everything again under AddressSanitizer and UndefinedBehaviorSanitizer,
# then each fuzz target for a bounded time (FUZZ_SECONDS, default 60).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh build windows fuzz
scripts/build-windows.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DIC9100_WINDOWS_BUILD="$PWD/build-win" >/dev/null
cmake --build build -j"$(nproc)"
(cd build && ctest --output-on-failure --timeout 300 -j"$(nproc)")
scripts/sanitize.sh
scripts/fuzz.sh "${FUZZ_SECONDS:-60}"
