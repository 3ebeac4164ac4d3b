#!/usr/bin/env bash
# Builds the fuzz targets with clang (libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs each for a bounded time.
#   scripts/fuzz.sh [SECONDS]   default 60 per target
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
scripts/setup.sh build fuzz
san="-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer"
cmake -S . -B build-fuzz -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DIC9100_FUZZ=ON -DIC9100_TESTS=OFF -DCMAKE_CXX_FLAGS="$san" -DCMAKE_EXE_LINKER_FLAGS="$san" >/dev/null
cmake --build build-fuzz -j"${CMAKE_BUILD_PARALLEL_LEVEL:-$(nproc)}" --target frames_fuzz dialogue_fuzz

# Seeds from the layouts: the frames the radio and the program send, and
# the kinds of answer an operator gives.
seeds=build-fuzz/seeds
rm -rf "$seeds" && mkdir -p "$seeds/frames" "$seeds/dialogue"
hex() { printf "$(echo "$1" | sed 's/\([0-9A-Fa-f][0-9A-Fa-f]\) */\\x\1/g')"; }
hex "FE FE E0 7C FB FD" >"$seeds/frames/answer"
hex "FE FE E0 7C FA FD" >"$seeds/frames/negative"
hex "FE FE 7C E0 20 00 00 01 FD FE FE 7C E0 20 01 00 01 FD" >"$seeds/frames/echoes"
{ hex "FE FE E0 7C 20 00 01 00 01"; printf 'N1DEMO  9100CQCQCQ  N0RPT  BN0RPT  G'; hex FD; } >"$seeds/frames/callsign"
{ hex "FE FE E0 7C 20 01 01"; printf 'CQ CQ \xba\xdd\x0d\xe0 73       '; hex FD; } >"$seeds/frames/message"
{ hex "31 32 FE FE E0 7C 20 00 01 00 02"; head -c 300 /dev/zero | tr '\0' 'A'; hex "FE FD"; } >"$seeds/frames/long"
printf '3\n' >"$seeds/dialogue/number"
printf '\001 12\r\n\n' >"$seeds/dialogue/blank-then-empty"
printf '\002abc\n7x\n-5\n+8\n' >"$seeds/dialogue/mixed"
printf '\000999999999999\n' >"$seeds/dialogue/too-long"

status=0
for target in frames dialogue; do
  mkdir -p "build-fuzz/corpus-$target"
  echo "fuzzing $target for ${seconds}s" >&2
  rm -f build-fuzz/artifacts-$target-*
  log="build-fuzz/$target.log"
  fuzzed=0
  "build-fuzz/${target}_fuzz" -max_total_time="$seconds" -max_len=4096 -print_final_stats=1 \
    -artifact_prefix="build-fuzz/artifacts-$target-" \
    "build-fuzz/corpus-$target" "$seeds/$target" >"$log" 2>&1 || fuzzed=$?
  grep -E 'Done|stat::number_of_executed_units|ERROR|property|SUMMARY' "$log" || true
  # A fuzzer that ends in any other way than by running out its time
  # failed, whether or not it left the input that did it behind.
  if [ "$fuzzed" -ne 0 ] || ls build-fuzz/artifacts-$target-* >/dev/null 2>&1; then
    echo "fuzzing $target failed (exit status $fuzzed); the end of $log:" >&2
    tail -n 40 "$log" >&2
    status=1
  fi
done
exit $status
