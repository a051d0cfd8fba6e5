#!/bin/sh
# Writes the console output that README.md shows for velmora.exe: the real program under Wine and
# Xvfb, against the fake DWM of the tests (tests/dwm/fake_dwmapi), on the sample windows of
# bench/VelmoraOutputWindows.cpp. The fragment goes to docs/velmora-output.md and into README.md
# between the markers "<!-- velmora-output:begin -->" and "<!-- velmora-output:end -->".
#   tools/velmora-output.sh [build-dir]
# The build directory defaults to build-docs/ (the test build's settings, with bench/'s programs;
# the test command's build/ is left alone). The test command never writes this output.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
mkdir -p "${1:-$root/build-docs}"
build=$(cd "${1:-$root/build-docs}" && pwd)
prefix=$build/wine-prefix
work=$(mktemp -d)
fragment=$root/docs/velmora-output.md

"$root/tools/setup.sh"
cmake -S "$root" --preset mingw -B "$build" -DQUILLET_BUILD_BENCH=ON >/dev/null
cmake --build "$build" --target velmora fake_dwmapi bench_sample

started=$("$root/tools/xvfb-start")
export DISPLAY=${started#* }
trap 'touch "$work/done"; sleep 0.5; kill ${started% *} 2>/dev/null || true; rm -rf "$work"' EXIT

"$root/tools/wine-prefix" "$prefix"
# Wine tells its programs that they run on Windows 11 22H2 (10.0.22621), not Wine's default 7: Wine 8
# names no version newer than 10, so the prefix's registry says it, as Windows' own does.
version_key='HKLM\Software\Microsoft\Windows NT\CurrentVersion'
for value in "CurrentVersion 10.0" "CurrentBuildNumber 22621" "CurrentBuild 22621"; do
    WINEPREFIX=$prefix WINEDEBUG=-all wine reg add "$version_key" /v "${value% *}" /t REG_SZ /d "${value#* }" /f \
        >/dev/null 2>&1
done

# The fake DWM, for velmora only: composition on, a blue colorization colour at 77 % opacity, the
# invisible borders of Windows 10 and 11 (7 pixels left, right and bottom); it answers as Windows 11
# 22H2, which the registry above names.
dwm() {
    QUILLET_FAKE_DWMAPI="$build/fake-dwm/dwmapi.dll" WINEDLLOVERRIDES=dwmapi=n FAKE_DWM_COMPOSITION=1 \
        FAKE_DWM_COLORIZATION=0xC40078D7 FAKE_DWM_OPAQUE=0 FAKE_DWM_FRAME_INSET=7,0,7,7 "$@"
}

"$root/tools/wine-run" --prefix="$prefix" "$build/bin/bench_sample.exe" "Z:$work/ready" "Z:$work/done" &
i=0
while [ ! -s "$work/ready" ]; do
    if [ $i -gt 600 ]; then echo "the sample windows did not come up" >&2; exit 1; fi
    i=$((i + 1)); sleep 0.1
done
sample=$(tr -d '\r\n' <"$work/ready")

# The watch of windows while a second set of sample windows comes and goes: written as show writes it.
watching() {
    dwm "$root/tools/wine-run" --prefix="$prefix" "$build/bin/velmora.exe" watch --windows --class VelmoraSample \
        --events created,shown,destroyed --seconds 5 >"$work/watch.txt" 2>/dev/null &
    watch_pid=$!
    sleep 1.5
    "$root/tools/wine-run" --prefix="$prefix" "$build/bin/bench_sample.exe" "Z:$work/ready2" "Z:$work/done2" &
    sleep 1.5
    touch "$work/done2"
    wait $watch_pid || true
    {
        echo '```console'
        echo "> velmora watch --windows --class VelmoraSample --events created,shown,destroyed --seconds 5"
        cat "$work/watch.txt"
        echo '```'
        echo
    } >>"$work/fragment.md"
}

# show ARGS...: one command as typed in a console, its output (stdout and stderr) and, when not 0,
# its exit status. No argument may hold a blank.
show() {
    status=0
    out=$(cd "$work" && dwm "$root/tools/wine-run" --prefix="$prefix" "$build/bin/velmora.exe" "$@" 2>&1) || status=$?
    {
        echo '```console'
        echo "> velmora $*"
        printf '%s\n' "$out"
        [ $status -eq 0 ] || echo "(exit status $status)"
        echo '```'
        echo
    } >>"$work/fragment.md"
}

{
    echo "<!-- Written by tools/velmora-output.sh: the real velmora.exe under Wine, against the fake DWM. -->"
    echo
} >"$work/fragment.md"
show windows
show get "$sample"
show get --title sample corner backdrop --json
show windows --fields handle,cloaked,title --json
show composition
show set --title sample corner=small border-color=#FF8000
show frame --title sample all
show blur --title sample on --circle 200
show wait --title sample --visible --timeout 5
show wait --title notes --visible --timeout 1
show capture --help
show capture --title sample -o capture.png
cp "$work/capture.png" "$root/docs/capture.png"
# The window that draws its frame as the DWM would, as the fake DWM tells it what was set.
show look --help
show look --title self-framed
show set --title self-framed corner=small caption-color=#202020 text-color=#FFC000 --verify
show look --title self-framed --expect corner=small --expect dark-mode=on --expect shadow=on
show capture --title self-framed --matte --margin 16 -o matte.png
cp "$work/matte.png" "$root/docs/matte.png"
show monitors
show move --title palette 560 300 300 200
show explain --title sample
show explain --title notes
show windows --fields handle,shown,affinity,desktop,title
show doctor
watching
show get --class VelmoraSample
show set --title sample corner=oval
# No trailing blank line.
sed -i '$ d' "$work/fragment.md"
mv "$work/fragment.md" "$fragment"
echo "wrote $fragment"

# The same between README.md's markers.
awk -v fragment="$fragment" '
    /<!-- velmora-output:begin -->/ { print; while ((getline line < fragment) > 0) print line; skip = 1; next }
    /<!-- velmora-output:end -->/ { skip = 0 }
    !skip
' "$root/README.md" >"$work/README.md"
if cmp -s "$work/README.md" "$root/README.md"; then
    echo "README.md: unchanged"
elif grep -q '<!-- velmora-output:begin -->' "$root/README.md"; then
    cp "$work/README.md" "$root/README.md"
    echo "README.md: updated"
else
    echo "README.md has no velmora-output markers: paste $fragment" >&2
fi
