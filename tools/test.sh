#!/bin/sh
# Installs what is missing, builds everything with MinGW-w64 GCC and runs every test under Wine
# and Xvfb; then builds everything again with clang, warnings as errors, standing in for the
# MSVC build that cannot run here.
#   tools/test.sh [build-dir [clang-build-dir]]
# The build directories default to the presets' (build/ and build-clang/); a build-dir given
# alone gets its clang build beside it, in build-dir-clang.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
# Absolute: Wine takes no relative prefix.
mkdir -p "${1:-$root/build}"
build=$(cd "${1:-$root/build}" && pwd)
clang_build=${2:-$build-clang}

"$root/tools/setup.sh"
# -B overrides the preset's build directory.
cmake -S "$root" --preset mingw -B "$build"
cmake --build "$build"

# One display for the whole run; every test's Wine draws on it.
started=$("$root/tools/xvfb-start")
trap 'kill ${started% *} 2>/dev/null || true' EXIT
export DISPLAY=${started#* }

# The prefix is made before the tests run in parallel.
"$root/tools/wine-prefix" "$build/wine-prefix"
ctest --test-dir "$build" --output-on-failure -j2

# The program and every test must compile cleanly with a second compiler; building is the check.
cmake -S "$root" --preset clang -B "$clang_build"
cmake --build "$clang_build"
