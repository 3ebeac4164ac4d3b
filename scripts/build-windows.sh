#!/usr/bin/env bash
# Cross-builds ic9100-monitor.exe (and its unit tests) in build-win/.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh build windows
cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build-win -j"${CMAKE_BUILD_PARALLEL_LEVEL:-$(nproc)}"
