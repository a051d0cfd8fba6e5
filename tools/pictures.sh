#!/bin/sh
# Writes every picture of the README from the real tool under Xvfb, with the fake DWM so that the
# status strip and the thumbnail show something:
#   docs/screenshot.png        the main dialog inspecting a sample window, its thumbnail docked
#   docs/about.png             the About box over the main dialog
#   docs/screenshot-144dpi.png the same as the first at 144 DPI
# Fails rather than write a blank or cut picture.   tools/pictures.sh [build-dir]
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
mkdir -p "${1:-$root/build}"
build=$(cd "${1:-$root/build}" && pwd)
work=$(mktemp -d)

"$root/tools/setup.sh"
cmake -S "$root" --preset mingw -B "$build" >/dev/null
cmake --build "$build" --target Quillet fake_dwmapi picture_driver

started=$("$root/tools/xvfb-start" 1920x1440)
export DISPLAY=${started#* }
trap 'kill ${started% *} 2>/dev/null || true; rm -rf "$work"' EXIT

# take PREFIX MODE OUT: the driver sets the scene and names the rectangle to keep. Wine draws no
# invisible borders, so the fake reports none and the docked windows meet as drawn.
take() {
    rm -f "$work/ready" "$work/done"
    QUILLET_FAKE_DWMAPI="$build/fake-dwm/dwmapi.dll" WINEDLLOVERRIDES=dwmapi=n FAKE_DWM_FRAME_INSET=0,0,0,0 \
        "$root/tools/wine-run" --prefix="$1" "$build/bin/picture_driver.exe" "$2" "Z:$work/ready" "Z:$work/done" &
    driver=$!
    i=0
    while [ ! -s "$work/ready" ]; do
        if ! kill -0 $driver 2>/dev/null || [ $i -gt 600 ]; then echo "$2: the scene did not come up" >&2; exit 1; fi
        i=$((i + 1)); sleep 0.1
    done
    read -r left top right bottom <"$work/ready"
    width=$((right - left)); height=$((bottom - top))
    import -window root "$work/full.png"
    convert "$work/full.png" -crop "${width}x${height}+${left}+${top}" +repage "$work/out.png"
    touch "$work/done"
    wait $driver || true
    size=$(identify -format '%wx%h' "$work/out.png")
    spread=$(convert "$work/out.png" -colorspace Gray -format '%[fx:int(1000*standard_deviation)]' info:)
    if [ "$size" != "${width}x${height}" ] || [ "$width" -lt 300 ] || [ "$height" -lt 200 ]; then
        echo "$3: the windows (${width}x${height} at $left,$top) do not fit the picture ($size)" >&2; exit 1
    fi
    if [ "$spread" -lt 20 ]; then echo "$3: the picture is blank" >&2; exit 1; fi
    mv "$work/out.png" "$3"
    echo "wrote $3 ($size)"
}

"$root/tools/wine-prefix" "$build/wine-prefix"
take "$build/wine-prefix" main "$root/docs/screenshot.png"
take "$build/wine-prefix" about "$root/docs/about.png"

# A prefix of its own at 144 DPI (150 %), so that no test sees the setting.
hidpi="$build/wine-prefix-144dpi"
QUILLET_WINE_DPI=144 "$root/tools/wine-prefix" "$hidpi"
take "$hidpi" main "$root/docs/screenshot-144dpi.png"
