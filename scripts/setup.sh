#!/usr/bin/env bash
# Installs the Debian packages a task needs, if any are missing.
#   scripts/setup.sh build     compiler, CMake, GoogleTest
#   scripts/setup.sh windows   the MinGW-w64 cross compiler and Wine
#   scripts/setup.sh fuzz      clang with libFuzzer and the sanitizers
#   scripts/setup.sh bench     valgrind
set -euo pipefail

packages=()
for group in "$@"; do
  case "$group" in
    build) packages+=(g++ cmake make googletest libgtest-dev) ;;
    windows) packages+=(g++-mingw-w64-x86-64 wine wine64) ;;
    fuzz) packages+=(clang libclang-rt-dev) ;;
    bench) packages+=(valgrind time) ;;
    *) echo "setup.sh: unknown group $group" >&2; exit 2 ;;
  esac
done

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
  sudo=sudo
else
  sudo=
fi
echo "Installing: ${missing[*]}" >&2
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}" >&2
