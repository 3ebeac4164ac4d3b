#!/usr/bin/env bash
# Sets up, builds (natively and for Windows) and runs every test: the
# Windows build's under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh build windows
scripts/build-windows.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DIC9100_WINDOWS_BUILD="$PWD/build-win" >/dev/null
cmake --build build -j"$(nproc)"
cd build
ctest --output-on-failure --timeout 300 -j"$(nproc)"
