#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Start-up of Corvale's main window beside a minimal Qt Widgets window, plain
# and with the shared OpenGL contexts Corvale must ask for, under Xvfb: 7 runs
# of each, interleaved. Prints the medians of start-to-visible (from starting
# the process until its window is mapped) and their ratios to both,
# the medians of resident memory with the window shown, and the first map
# window's time from pressing Enter in the main window until its page is
# drawn. Given a second build, its corvale (an older one) is measured too.
#
#   bench/startup/startup.sh BUILD [OTHER_BUILD]
#
# BUILD is a release build with the benchmarks (bench/startup/minimal_window).
# Without DISPLAY the script runs itself under xvfb-run.
set -euo pipefail

if [ $# -lt 1 ] || [ $# -gt 2 ]; then
    echo "usage: $0 BUILD [OTHER_BUILD]" >&2
    exit 2
fi
if [ -z "${DISPLAY:-}" ]; then
    # A display number of its own: other runs under xvfb-run start at 99.
    exec xvfb-run -a -n $(( 200 + $$ % 500 )) -s "-screen 0 1280x1024x24 -dpi 96" "$0" "$@"
fi
CORVALE_ROOT=$(cd "$(dirname "$0")/../.." && pwd)
. "$CORVALE_ROOT/scripts/common.sh"
build=$(cd "$1" && pwd)
other=${2:+$(cd "$2" && pwd)}
runs=7
phone="(312) 555-0142"
number=3125550142

work=$(mktemp -d)
corvale_start_sample_service "$build/tools/sample-service/corvale-sample-service" "$work/service.log"
trap 'kill "$CORVALE_SERVICE_PID" 2>/dev/null || true; rm -rf "$work"' EXIT
# A settings store of the run's own, with the map folder in it.
export XDG_CONFIG_HOME="$work/config"
mkdir -p "$XDG_CONFIG_HOME/Corvale" "$work/maps"
printf '[MapFolder]\nPath=%s/\n' "$work/maps" >"$XDG_CONFIG_HOME/Corvale/Corvale.conf"
export QT_QPA_PLATFORM=xcb

now_ms() { echo $(( $(date +%s%N) / 1000000 )); }

# A mapped window of that whole title, polled for every 5 ms; prints its id.
visible_window() {
    corvale_find_window "$1" 30 0.005 || { echo "no window \"$1\" within 30 s" >&2; return 1; }
}

# The colour of one pixel of a window, as #RRGGBB.
pixel() {
    timeout 5 import -window "$1" -crop "1x1+$2+$3" +repage -depth 8 txt:- 2>/dev/null | grep -o '#[0-9A-F]\{6\}' | head -n 1
}

# start TITLE PROGRAM [ARGUMENTS...]: runs PROGRAM until its window is
# visible and has been idle for a second; sets started_ms, rss_kib, window and pid.
start() {
    local started title=$1
    shift
    started=$(now_ms)
    "$@" 2>>"$work/programs.log" &
    pid=$!
    window=$(visible_window "$title") || { tail -n 12 "$work/programs.log" >&2; return 1; }
    started_ms=$(( $(now_ms) - started ))
    sleep 1
    rss_kib=$(awk '/^VmRSS:/ { print $2 }' "/proc/$pid/status")
}

stop() {
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
}

# First map of a fresh corvale: Enter in the main window until the map
# page's dark title bar shows at the top of the map window.
map_ms() {
    start "Get Business Information" "$1"
    timeout 10 xdotool windowfocus --sync "$window" || true
    xdotool type --delay 10 "$phone"
    local pressed map colour
    pressed=$(now_ms)
    xdotool key Return
    map=$(visible_window "$number")
    while colour=$(pixel "$map" 4 4) && [ "$colour" != "#1F3B63" ]; do
        if [ $(( $(now_ms) - pressed )) -gt 30000 ]; then
            echo "the map page did not show within 30 s" >&2
            stop
            return 1
        fi
    done
    echo $(( $(now_ms) - pressed ))
    stop
}

median() { printf '%s\n' "$@" | sort -n | sed -n "$(( ($# + 1) / 2 ))p"; }

declare -a minimal_ms minimal_rss shared_ms shared_rss corvale_ms corvale_rss other_ms other_rss corvale_map other_map
for run in $(seq "$runs"); do
    start "Minimal Window" "$build/bench/startup/minimal_window"; stop
    minimal_ms+=("$started_ms"); minimal_rss+=("$rss_kib")
    start "Minimal Window" "$build/bench/startup/minimal_window" --share-gl-contexts; stop
    shared_ms+=("$started_ms"); shared_rss+=("$rss_kib")
    start "Get Business Information" "$build/src/app/corvale"; stop
    corvale_ms+=("$started_ms"); corvale_rss+=("$rss_kib")
    if [ -n "$other" ]; then
        start "Get Business Information" "$other/src/app/corvale"; stop
        other_ms+=("$started_ms"); other_rss+=("$rss_kib")
    fi
    echo "run $run: minimal ${minimal_ms[-1]} ms, minimal sharing contexts ${shared_ms[-1]} ms," \
        "corvale ${corvale_ms[-1]} ms${other:+, other ${other_ms[-1]:-} ms}" >&2
done
for run in $(seq "$runs"); do
    corvale_map+=("$(map_ms "$build/src/app/corvale")")
    if [ -n "$other" ]; then
        other_map+=("$(map_ms "$other/src/app/corvale")")
    fi
    echo "map run $run: corvale ${corvale_map[-1]} ms${other:+, other ${other_map[-1]:-} ms}" >&2
done

# Each ratio is to the minimal window, then to the minimal window that shares
# OpenGL contexts as Corvale does.
report() {
    local name=$1 ms=$2 rss=$3 map=$4
    awk -v name="$name" -v ms="$ms" -v rss="$rss" -v map="$map" -v base_ms="$(median "${minimal_ms[@]}")" \
        -v base_rss="$(median "${minimal_rss[@]}")" -v shared_ms="$(median "${shared_ms[@]}")" \
        -v shared_rss="$(median "${shared_rss[@]}")" 'BEGIN {
        printf "%-24s visible after %5d ms (%.2f x, %.2f x)   resident %6.1f MiB (%.2f x, %.2f x)   first map page %s ms\n",
            name, ms, ms / base_ms, ms / shared_ms, rss / 1024, rss / base_rss, rss / shared_rss, map }'
}
echo "Medians of $runs interleaved runs under Xvfb ($(nproc) cores, load average $(cut -d ' ' -f 1-3 /proc/loadavg));"
echo "ratios to the minimal window, then to the minimal window sharing OpenGL contexts:"
report "minimal window" "$(median "${minimal_ms[@]}")" "$(median "${minimal_rss[@]}")" "-"
report "minimal, shared contexts" "$(median "${shared_ms[@]}")" "$(median "${shared_rss[@]}")" "-"
report "corvale" "$(median "${corvale_ms[@]}")" "$(median "${corvale_rss[@]}")" "$(median "${corvale_map[@]}")"
if [ -n "$other" ]; then
    report "other corvale" "$(median "${other_ms[@]}")" "$(median "${other_rss[@]}")" "$(median "${other_map[@]}")"
fi
