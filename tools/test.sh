#!/bin/sh
# Installs what is missing, builds everything and runs every test under Wine and Xvfb.
#   tools/test.sh [build-dir]
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}

"$root/tools/setup.sh"
cmake -S "$root" -B "$build" -G Ninja --toolchain "$root/cmake/mingw-w64-x86_64.cmake"
cmake --build "$build"

# One display for the whole run; every test's Wine draws on it.
started=$("$root/tools/xvfb-start")
trap 'kill ${started% *} 2>/dev/null || true' EXIT
export DISPLAY=${started#* }

# The prefix is made before the tests run in parallel.
"$root/tools/wine-prefix" "$build/wine-prefix"
cd "$build"
ctest --output-on-failure -j2
