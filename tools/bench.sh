#!/bin/sh
# Builds Quillet.exe and velmora.exe as they ship (optimised, stripped) with the benchmarks, and
# prints the performance tables: Quillet.exe against its floor programs, Wine's theme off and on;
# velmora.exe against its console floors.
#   tools/bench.sh [build-dir]
# The build directory defaults to build-release/. Every run of a figure takes turns with its
# floor; QUILLET_BENCH_ROUNDS (10), QUILLET_BENCH_LOG_LINES (100000 with the theme off; the
# theme-on run sends 1000, each line there costs milliseconds) and QUILLET_BENCH_IDLE_SECONDS (60)
# shorten a trial run, QUILLET_BENCH_FIGURES picks figures ("start enum log idle velmora coverage
# capture matte wait watch", all by default). About fourteen minutes on two cores. The capture,
# matte, wait and watch figures run on a screen of QUILLET_BENCH_CAPTURE_SCREEN (3840x2160: the
# largest window captured).
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build-release}
build=$(mkdir -p "$build" && cd "$build" && pwd)
rounds=${QUILLET_BENCH_ROUNDS:-10}
log_lines=${QUILLET_BENCH_LOG_LINES:-100000}
idle_seconds=${QUILLET_BENCH_IDLE_SECONDS:-60}
figures=${QUILLET_BENCH_FIGURES:-start enum log idle velmora coverage capture matte wait watch}
capture_screen=${QUILLET_BENCH_CAPTURE_SCREEN:-3840x2160}
quillet_figures=$(echo " $figures " | sed 's/ velmora / /g; s/ coverage / /g; s/ capture / /g; s/ matte / /g; s/ wait / /g; s/ watch / /g')
wanted() { case " $figures " in *" $1 "*) return 0 ;; esac; return 1; }

"$root/tools/setup.sh"
# The shipping settings: -O2 (velmora.exe's own code -Os), symbols stripped; the tests keep their
# own build.
cmake -S "$root" --preset release -B "$build" -DQUILLET_BUILD_BENCH=ON >/dev/null
cmake --build "$build"

started=$("$root/tools/xvfb-start")
trap 'kill ${started% *} 2>/dev/null || true' EXIT
export DISPLAY=${started#* }

# theme_prefix off|on: the test prefix's settings (Managed=N above all), Wine's theme switched.
theme_prefix() {
    prefix=$build/wine-prefix-theme-$1
    "$root/tools/wine-prefix" "$prefix"
    active=0
    [ "$1" = on ] && active=1
    WINEPREFIX=$prefix WINEDEBUG=-all wine reg add 'HKCU\Software\Microsoft\Windows\CurrentVersion\ThemeManager' \
        /v ThemeActive /t REG_SZ /d $active /f >/dev/null 2>&1
    WINEPREFIX=$prefix wineserver -w
}

echo
echo "Median (min–max) over $rounds rounds, variants taking turns."
echo "Load average before: $(cut -d' ' -f1-3 /proc/loadavg) on $(nproc) cores."
if [ -n "$(echo $quillet_figures)" ]; then
    echo
    echo "| figure | theme | Quillet.exe | floor | ratio | target | |"
    echo "|---|---|---|---|---|---|---|"
    for theme in off on; do
        theme_prefix $theme
        lines=$log_lines
        [ $theme = on ] && lines=$((log_lines < 1000 ? log_lines : 1000))
        # shellcheck disable=SC2086 # one word per figure
        (cd "$build/bin" && "$root/tools/wine-run" --prefix="$prefix" bench_quillet.exe $theme "$rounds" "$lines" \
            "$idle_seconds" $quillet_figures)
        WINEPREFIX=$prefix wineserver -w
    done
    size=$(stat -c %s "$build/bin/Quillet.exe")
    verdict=met
    [ "$size" -le $((512 * 1024)) ] || verdict="**not met**"
    echo "| Quillet.exe size, KB (one static executable, stripped) | — | $((size / 1024)) | | | ≤ 512 | $verdict |"
fi
console_figures=""
for figure in velmora coverage; do
    if wanted $figure; then console_figures="$console_figures $figure"; fi
done
if [ -n "$console_figures" ]; then
    # A console program draws nothing: the theme plays no part, one run with it off.
    echo
    echo "velmora.exe: $((3 * rounds)) runs of each program, a run taking a fraction of a second."
    echo
    echo "| figure | theme | velmora.exe | floor | ratio | target | |"
    echo "|---|---|---|---|---|---|---|"
    theme_prefix off
    # shellcheck disable=SC2086 # one word per figure
    (cd "$build/bin" && "$root/tools/wine-run" --prefix="$prefix" bench_velmora.exe off "$rounds" 30 $console_figures)
    WINEPREFIX=$prefix wineserver -w
fi
if wanted velmora; then
    size=$(stat -c %s "$build/bin/velmora.exe")
    verdict=met
    [ "$size" -le $((1024 * 1024)) ] || verdict="**not met**"
    echo "| velmora.exe size, KB (one static executable, stripped) | — | $((size / 1024)) | | | ≤ 1024 | $verdict |"
fi
velmora_figures=""
for figure in capture matte wait watch; do
    if wanted $figure; then velmora_figures="$velmora_figures $figure"; fi
done
if [ -n "$velmora_figures" ]; then
    # A screen as large as the largest window captured, for these figures only; a fresh window
    # server of the prefix takes its size.
    big=$("$root/tools/xvfb-start" "$capture_screen")
    echo
    echo "velmora.exe capture, wait, watch on a $capture_screen screen: capture $((3 * rounds)) runs of each, the"
    echo "wait latency $((3 * rounds)) of each, one 30 s wait of each at once per line, one watch run."
    echo
    echo "| figure | theme | velmora.exe | floor | ratio | target | |"
    echo "|---|---|---|---|---|---|---|"
    theme_prefix off
    # shellcheck disable=SC2086 # one word per figure
    (cd "$build/bin" && DISPLAY=${big#* } "$root/tools/wine-run" --prefix="$prefix" bench_velmora.exe off "$rounds" 30 \
        $velmora_figures) || status=$?
    WINEPREFIX=$prefix wineserver -w
    kill "${big% *}" 2>/dev/null || true
    [ "${status:-0}" -eq 0 ] || exit "$status"
fi
echo
echo "Load average after: $(cut -d' ' -f1-3 /proc/loadavg)."
