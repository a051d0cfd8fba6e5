#!/bin/sh
# Builds Quillet.exe and starts it under Wine: on your display, or, with none, under Xvfb,
# writing a screenshot to build-dir/screenshot.png (the README's pictures come from tools/pictures.sh).
#   tools/run.sh [build-dir]
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build-release}

"$root/tools/setup.sh"
# The build that ships: optimised, stripped (the tests keep their own build in build/).
cmake -S "$root" --preset release -B "$build" >/dev/null
cmake --build "$build" --target Quillet

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    exec "$root/tools/wine-run" --prefix="$build/wine-prefix" "$build/bin/Quillet.exe"
fi
echo "no X display: running under Xvfb and taking a screenshot"
"$root/tools/screenshot.sh" "$build" "$build/screenshot.png"
