#!/usr/bin/env bash
# Runs the benchmarks, prints each figure beside its goal and writes the
# table to docs/performance.md. Figures only: nothing here fails on a slow
# machine.   scripts/bench.sh [--quick]
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh build bench
scripts/build.sh >/dev/null
[ -f build-win/ic9100-monitor.exe ] || scripts/build-windows.sh >/dev/null

# Instructions per received byte in the monitor's own code, counted by
# callgrind (stable on a busy machine): a stream of N frames less none.
instructions() {
  local out; out=$(mktemp)
  valgrind --tool=callgrind --callgrind-out-file="$out" build/core_bytes "$1" >/dev/null 2>&1
  sed -n 's/^summary: //p' "$out"
  rm -f "$out"
}
frames=20000
base=$(instructions 0)
full=$(instructions $frames)
bytes=$((frames * 37))   # half 46-byte call-sign reports, half 28-byte messages
per_byte=$(awk -v a="$full" -v b="$base" -v n="$bytes" 'BEGIN { printf "%.1f", (a - b) / n }')

size_of() { stat -c %s "$1" | awk '{ printf "%.0f KiB", $1 / 1024 }'; }

command="scripts/bench.sh${*:+ $*}"
build/monitor_bench "$@" --markdown docs/performance.md --command "$command" \
  --figure "instructions per received byte (callgrind)" "$per_byte" "(figure only)" "$frames report frames through frame assembly and both lines" \
  --figure "size of the Linux binary" "$(size_of build/ic9100-monitor)" "(figure only)" "build/ic9100-monitor, release" \
  --figure "size of the Windows .exe" "$(size_of build-win/ic9100-monitor.exe)" "(figure only)" "static, stripped; needs only KERNEL32 and msvcrt"
echo "written: docs/performance.md"
