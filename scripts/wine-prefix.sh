#!/usr/bin/env bash
# A fresh, private Wine prefix for one test run, and a wineserver that is
# already running: one started by the program under test would inherit its
# standard error and write into it.
#   scripts/wine-prefix.sh DIR        make DIR a new prefix, start the server
#   scripts/wine-prefix.sh --stop DIR stop that prefix's server
set -euo pipefail
export WINEDEBUG=-all
if [ "${1:-}" = "--stop" ]; then
  WINEPREFIX="$2" wineserver -k >/dev/null 2>&1 || true
  exit 0
fi
export WINEPREFIX="$1"
wineserver -k >/dev/null 2>&1 || true
rm -rf "$WINEPREFIX"
wineboot -i >/dev/null 2>&1
wineserver -w  # the one wineboot started, which outlives it by a little
# Stays up 60 s after the last Wine program ends.
wineserver -p60 >/dev/null 2>&1 </dev/null
# The first program starts Wine's background services, which keep the
# standard streams they were given: let them have none of a test's, or
# whoever reads the test's output waits for them to end.
wine cmd /c exit >/dev/null 2>&1 </dev/null
