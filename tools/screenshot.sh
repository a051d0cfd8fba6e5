#!/bin/sh
# Writes a PNG of the running tool under Xvfb:  tools/screenshot.sh [build-dir] [out.png] [settle-seconds]
# With QUILLET_SCREENSHOT_ACTION set, that command runs (with DISPLAY set) before the picture is taken.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-$here/../build}" && pwd)
out=${2:-$build/screenshot.png}
settle=${3:-4}

started=$("$here/xvfb-start" 1280x900)
xvfb=${started% *}
export DISPLAY=${started#* }
tool=""
trap 'kill $tool 2>/dev/null || true; sleep 1; kill $xvfb 2>/dev/null || true' EXIT

# A new prefix takes a while to make: not part of the time the tool gets to settle.
"$here/wine-prefix" "$build/wine-prefix"
"$here/wine-run" --prefix="$build/wine-prefix" "$build/bin/Quillet.exe" &
tool=$!
sleep "$settle"
if [ -n "${QUILLET_SCREENSHOT_ACTION:-}" ]; then
    sh -c "$QUILLET_SCREENSHOT_ACTION"
    sleep 2
fi
mkdir -p "$(dirname "$out")"
# Cut to the windows: everything around them is the empty black root.
import -window root "$out.full.png"
convert "$out.full.png" -trim +repage "$out"
rm -f "$out.full.png"
echo "wrote $out"
