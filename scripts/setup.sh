#!/usr/bin/env bash
# Installs what a task needs, if anything is missing: it looks for the tools
# themselves, says what it is about to install and why, and installs only
# that, with apt-get (Debian).
#   scripts/setup.sh build     compiler, CMake, make, GoogleTest
#   scripts/setup.sh windows   the MinGW-w64 cross compiler and Wine
#   scripts/setup.sh fuzz      clang with libFuzzer and the sanitizers
#   scripts/setup.sh bench     valgrind, time
#   scripts/setup.sh package   dpkg-dev (dpkg-shlibdeps, for the .deb), unzip
set -euo pipefail

missing=() reasons=()
# need PACKAGE WHY TEST...: PACKAGE when TEST fails.
need() {
  local package=$1 why=$2
  shift 2
  "$@" >/dev/null 2>&1 && return 0
  case " ${missing[*]} " in *" $package "*) return 0 ;; esac
  missing+=("$package")
  reasons+=("$package: $why")
}
has() { command -v "$1"; }
# libFuzzer and the sanitizers' runtime, where clang looks for them.
has_fuzzer() { ls "$(clang -print-runtime-dir)"/libclang_rt.fuzzer*.a; }

for group in "$@"; do
  case "$group" in
    build)
      need g++ "the C++ compiler (g++ not found)" has g++
      need cmake "the build system (cmake not found)" has cmake
      need make "what CMake drives to build (make not found)" has make
      need googletest "the unit tests' framework, built from its sources (/usr/src/googletest not found)" \
        test -f /usr/src/googletest/CMakeLists.txt ;;
    windows)
      need g++-mingw-w64-x86-64 "the cross compiler for the Windows .exe (x86_64-w64-mingw32-g++-posix not found)" \
        has x86_64-w64-mingw32-g++-posix
      need wine "runs the Windows tests (wine not found)" has wine
      need wine64 "Wine's loader for 64-bit programs (wine64 not found)" \
        eval 'has wine64 || test -x /usr/lib/wine/wine64'
      need googletest "the unit tests' framework, built from its sources (/usr/src/googletest not found)" \
        test -f /usr/src/googletest/CMakeLists.txt ;;
    fuzz)
      need clang "builds the fuzz targets and the sanitized suite (clang not found)" has clang
      need libclang-rt-dev "libFuzzer and the sanitizers' runtime (libclang_rt.fuzzer not found)" has_fuzzer ;;
    bench)
      need valgrind "counts instructions per byte (valgrind not found)" has valgrind
      need time "measures peak memory (/usr/bin/time not found)" test -x /usr/bin/time ;;
    package)
      need dpkg-dev "finds the .deb's dependencies (dpkg-shlibdeps not found)" has dpkg-shlibdeps
      need unzip "lists what the Windows .zip holds (unzip not found)" has unzip ;;
    *) echo "setup.sh: unknown group $group" >&2; exit 2 ;;
  esac
done
[ ${#missing[@]} -eq 0 ] && exit 0

if ! command -v apt-get >/dev/null 2>&1; then
  echo "setup.sh: these are missing, and this system has no apt-get to install them with:" >&2
  printf '  %s\n' "${reasons[@]}" >&2
  echo "setup.sh: install them (the names are Debian's) with your system's package manager, then run this again." >&2
  exit 1
fi
sudo=
if [ "$(id -u)" -ne 0 ]; then
  if ! command -v sudo >/dev/null 2>&1; then
    echo "setup.sh: installing these needs root, and there is no sudo:" >&2
    printf '  %s\n' "${reasons[@]}" >&2
    echo "setup.sh: run as root: apt-get install ${missing[*]}" >&2
    exit 1
  fi
  sudo=sudo
fi
echo "setup.sh: installing with apt-get (and what these recommend):" >&2
printf '  %s\n' "${reasons[@]}" >&2
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}" >&2
