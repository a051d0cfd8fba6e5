#!/bin/sh
# Builds Quillet.exe as it ships (optimised, stripped) with the benchmarks, and prints the
# performance table: the tool against its floor programs, Wine's theme off and on.
#   tools/bench.sh [build-dir]
# The build directory defaults to build-release/. Every run of a figure takes turns with its
# floor; QUILLET_BENCH_ROUNDS (10), QUILLET_BENCH_LOG_LINES (100000 with the theme off; the
# theme-on run sends 1000, each line there costs milliseconds) and QUILLET_BENCH_IDLE_SECONDS (60)
# shorten a trial run. About seven minutes on two cores.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build-release}
build=$(mkdir -p "$build" && cd "$build" && pwd)
rounds=${QUILLET_BENCH_ROUNDS:-10}
log_lines=${QUILLET_BENCH_LOG_LINES:-100000}
idle_seconds=${QUILLET_BENCH_IDLE_SECONDS:-60}

"$root/tools/setup.sh"
# The shipping settings: -O2, symbols stripped; the tests keep their own build.
cmake -S "$root" --preset release -B "$build" -DQUILLET_BUILD_BENCH=ON >/dev/null
cmake --build "$build"

started=$("$root/tools/xvfb-start")
trap 'kill ${started% *} 2>/dev/null || true' EXIT
export DISPLAY=${started#* }

echo
echo "Quillet.exe against its floors: median (min–max) over $rounds rounds, variants taking turns."
echo "Load average before: $(cut -d' ' -f1-3 /proc/loadavg) on $(nproc) cores."
echo
echo "| figure | theme | Quillet.exe | floor | ratio | target | |"
echo "|---|---|---|---|---|---|---|"
for theme in off on; do
    # One prefix per theme: the test prefix's settings (Managed=N above all), theme switched.
    prefix=$build/wine-prefix-theme-$theme
    "$root/tools/wine-prefix" "$prefix"
    active=0 lines=$log_lines
    [ $theme = on ] && active=1 lines=$((log_lines < 1000 ? log_lines : 1000))
    WINEPREFIX=$prefix WINEDEBUG=-all wine reg add 'HKCU\Software\Microsoft\Windows\CurrentVersion\ThemeManager' \
        /v ThemeActive /t REG_SZ /d $active /f >/dev/null 2>&1
    WINEPREFIX=$prefix wineserver -w
    (cd "$build/bin" && "$root/tools/wine-run" --prefix="$prefix" bench_driver.exe $theme "$rounds" "$lines" "$idle_seconds")
    WINEPREFIX=$prefix wineserver -w
done
size=$(stat -c %s "$build/bin/Quillet.exe")
verdict=met
[ "$size" -le $((512 * 1024)) ] || verdict="**not met**"
echo "| Quillet.exe size, KB (one static executable, stripped) | — | $((size / 1024)) | | | ≤ 512 | $verdict |"
echo
echo "Load average after: $(cut -d' ' -f1-3 /proc/loadavg)."
