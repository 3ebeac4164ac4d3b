#!/usr/bin/env bash
# Builds the monitor and runs it.
#   scripts/run.sh           no radio needed: a simulated IC-9100 plays a demo
#   scripts/run.sh --radio   the real thing, on the serial ports you have
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh >/dev/null

if [ "${1:-}" = "--radio" ]; then
  exec build/ic9100-monitor
fi

# The simulator publishes its line in a Wine-prefix folder of its own, so
# nothing of yours (~/.wine) is touched.
prefix="$PWD/build/demo-prefix"
mkdir -p "$prefix"
log="$prefix/radio-sim.log"
build/radio-sim --prefix "$prefix" --loop --line-rate >"$log" 2>&1 &
sim=$!
trap 'kill $sim 2>/dev/null; wait $sim 2>/dev/null || true' EXIT
for _ in $(seq 50); do grep -q "type " "$log" 2>/dev/null && break; sleep 0.1; done
com=$(sed -n 's/^radio-sim: type \([0-9]*\) .*/\1/p' "$log")
if [ -z "$com" ]; then
  cat "$log" >&2
  exit 1
fi

cat <<MSG
------------------------------------------------------------------------
 ic9100-monitor demo: no radio needed.
 A simulated IC-9100 is on COM$com. It answers the monitor's setup and
 then plays a few made-up D-STAR stations, over and over.

 When the monitor asks for the COM number (the Japanese prompt below),
 type  $com  and press Enter.
 Esc stops monitoring; then any key leaves.
------------------------------------------------------------------------
MSG
WINEPREFIX="$prefix" build/ic9100-monitor
