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

# The programs must compile cleanly with a second compiler, standing in for MSVC, which builds them
# without the tests; building is the check. It runs at the lowest priority beside the first build
# and the tests, in the time they leave idle (configuring, linking, waiting on Wine).
mkdir -p "$clang_build"
clang_log="$clang_build/build.log"
(nice -n 19 cmake -S "$root" --preset clang -B "$clang_build" -DQUILLET_BUILD_TESTS=OFF &&
    nice -n 19 cmake --build "$clang_build") \
    >"$clang_log" 2>&1 &
clang_pid=$!

# -B overrides the preset's build directory.
cmake -S "$root" --preset mingw -B "$build"
cmake --build "$build"

# A display for each test running at a time, handed out by CTest as a resource (tools/wine-run
# takes it): tests side by side never see each other's windows.
xvfb_pids=""
trap 'kill $xvfb_pids 2>/dev/null || true' EXIT
displays=""
for slot in 1 2; do
    started=$("$root/tools/xvfb-start")
    xvfb_pids="$xvfb_pids ${started% *}"
    display=${started#* }
    displays="$displays${displays:+,}{\"id\": \"x${display#:}\", \"slots\": 1}"
done
export DISPLAY=$display
resources="$build/displays.json"
printf '{"version": {"major": 1, "minor": 0}, "local": [{"displays": [%s]}]}\n' "$displays" >"$resources"

# The prefix every test's copies come from is made before the tests run in parallel.
"$root/tools/wine-prefix" "$build/wine-prefix"
tests=0
ctest --test-dir "$build" --output-on-failure -j2 --resource-spec-file "$resources" || tests=$?

clang=0
wait "$clang_pid" || clang=$?
if [ "$clang" -ne 0 ]; then
    cat "$clang_log"
    echo "tools/test.sh: the clang build failed" >&2
else
    tail -n 1 "$clang_log"
fi
[ "$tests" -eq 0 ] && [ "$clang" -eq 0 ]
