#!/usr/bin/env bash
# Builds everything with clang under AddressSanitizer and
# UndefinedBehaviorSanitizer in build-asan/ and runs the whole suite once,
# the end-to-end scenarios with the instrumented monitor included.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh build fuzz
san="-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer"
cmake -S . -B build-asan -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=Debug \
  -DCMAKE_CXX_FLAGS="$san" -DCMAKE_EXE_LINKER_FLAGS="$san" >/dev/null
cmake --build build-asan -j"${CMAKE_BUILD_PARALLEL_LEVEL:-$(nproc)}"
cd build-asan
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --output-on-failure --timeout 300 -j"${CMAKE_BUILD_PARALLEL_LEVEL:-$(nproc)}"
