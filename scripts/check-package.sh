#!/usr/bin/env bash
# Packs an already built tree with CPack and checks what the package holds:
#   scripts/check-package.sh deb build       the .deb of a native build
#   scripts/check-package.sh zip build-win   the .zip of a Windows build
set -euo pipefail
cd "$(dirname "$0")/.."
kind=$1 tree=$2
out="$tree/package-check"
rm -rf "$out"
if [ "$kind" = deb ]; then
  (cd "$tree" && cpack -G DEB -B "$PWD/package-check" >/dev/null)
  files=$(dpkg-deb -c "$out"/*.deb | awk '$1 !~ /^d/ { print $6 }' | sort)
  expected="./usr/bin/ic9100-monitor
./usr/bin/radio-sim
./usr/share/doc/ic9100-monitor/changelog.gz
./usr/share/doc/ic9100-monitor/copyright
./usr/share/man/man1/ic9100-monitor.1.gz
./usr/share/man/man1/radio-sim.1.gz"
else
  (cd "$tree" && cpack -G ZIP -B "$PWD/package-check" >/dev/null)
  files=$(unzip -Z1 "$out"/*.zip | sed 's|^[^/]*/||' | sort)
  expected="LICENSE.txt
README.ja.txt
README.txt
ic9100-monitor.exe"
  for text in README.ja.txt README.txt LICENSE.txt; do
    if unzip -p "$out"/*.zip "*/$text" | grep -qv $'\r$'; then
      echo "check-package: $text has a line that does not end in CR LF" >&2
      exit 1
    fi
  done
fi
if [ "$(ls "$out"/*."$kind" | wc -l)" -ne 1 ] || [ "$files" != "$expected" ]; then
  echo "check-package: the $kind holds:" >&2
  echo "$files" >&2
  echo "check-package: expected:" >&2
  echo "$expected" >&2
  exit 1
fi
echo "check-package: the $kind holds what it should"
