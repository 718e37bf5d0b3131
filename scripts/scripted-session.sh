#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# A scripted session of Corvale on the X display this runs on (run it under
# xvfb-run, and dbus-run-session for the screen reader's view): a person's
# phone lookup typed into the main window, the map window, then "Capture"
# and its message, the map again by Enter, closed by its close box, and,
# without CORVALE_PRINT_PROGRAM, "Print Map" of the saved map up to its print
# preview (closed unprinted). With CORVALE_ADDRESS_SERVICE set, an address is
# looked up instead, through that address service, and the saved map's
# position is read back with exiftool. Under openbox, when installed, it
# reports the active window once each map window is gone; on a session bus
# with pyatspi, what a screen reader reads of the windows and the map page.
# Writes screenshots, and the saved map, into OUTPUT_DIR and prints where
# they are.
#
#   scripted-session.sh CORVALE OUTPUT_DIR
#
# CORVALE_LOOKUP_BASE must point at the lookup service (the sample service).
set -euo pipefail

if [ $# -ne 2 ]; then
    echo "usage: $0 CORVALE OUTPUT_DIR" >&2
    exit 2
fi
corvale=$1
output=$2
phone="(312) 555-0142"
number=3125550142
if [ -n "${CORVALE_ADDRESS_SERVICE:-}" ]; then
    # Typed from the last box of the tab order backwards: street, city, postal code, province.
    address=("24 Tamarack Cres" "Ottawa" "K1A 0B1" "ON")
    saved_name=24_Tamarack_CresOttawa
else
    saved_name=$number
fi
: "${CORVALE_LOOKUP_BASE:?must point at the lookup service}"
. "$(dirname "$0")/common.sh"

for tool in xdotool import; do
    if ! command -v "$tool" >/dev/null; then
        echo "$tool is missing: install xdotool and imagemagick" >&2
        exit 1
    fi
done

mkdir -p "$output/maps"
output=$(cd "$output" && pwd)
rm -f "$output"/*.png "$output/maps/$saved_name.jpg"

# A settings store of the session's own, with the map folder in it.
export XDG_CONFIG_HOME="$output/config"
mkdir -p "$XDG_CONFIG_HOME/Corvale"
printf '[MapFolder]\nPath=%s/\n' "$output/maps" >"$XDG_CONFIG_HOME/Corvale/Corvale.conf"

# A runtime folder of the session's own, as a desktop session has.
export XDG_RUNTIME_DIR="$output/runtime"
mkdir -p "$XDG_RUNTIME_DIR"
chmod 0700 "$XDG_RUNTIME_DIR"

# A window manager, as a desktop has: it decides which window is active.
window_manager=
if command -v openbox >/dev/null && command -v xprop >/dev/null; then
    openbox >"$output/openbox.log" 2>&1 &
    # Ready once it says which hints it supports, the active window among them.
    ready=
    for _ in $(seq 150); do
        if xprop -root _NET_SUPPORTED 2>/dev/null | grep -q _NET_ACTIVE_WINDOW; then
            ready=1
            break
        fi
        sleep 0.1
    done
    if [ -n "$ready" ]; then
        window_manager=$!
    else
        echo "openbox did not start within 15 seconds (see $output/openbox.log); going on without it." >&2
        kill $! 2>/dev/null || true
    fi
fi
# The screen reader's view: the accessibility bus up, as a desktop session has it.
accessibility=
if [ -n "${DBUS_SESSION_BUS_ADDRESS:-}" ] && /usr/bin/python3 -c "import pyatspi" 2>/dev/null \
    && dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus org.a11y.Bus.GetAddress >/dev/null 2>&1; then
    accessibility=1
    export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
fi

started=$(date +%s%N)
QT_QPA_PLATFORM=xcb "$corvale" 2>"$output/corvale.log" &
program=$!
trap 'kill "$program" ${window_manager:+"$window_manager"} 2>/dev/null || true' EXIT

# Brings a window to the front as a click on it would.
activate() {
    if [ -n "$window_manager" ]; then
        xdotool windowactivate --sync "$1"
    else
        xdotool windowfocus --sync "$1"
    fi
}

# Under the window manager: which window is active once the map window has
# gone, after $1. The main window should be, with the keyboard.
report_active_window() {
    [ -n "$window_manager" ] || return 0
    local active expected
    expected=$(printf '0x%x' "$main")
    for _ in $(seq 30); do
        active=$(xprop -root _NET_ACTIVE_WINDOW | sed -n 's/.*window id # \(0x[0-9a-f]*\).*/\1/p')
        [ "$active" = "$expected" ] && break
        sleep 0.1
    done
    if [ "$active" = "$expected" ]; then
        echo "Active window after $1: the main window ($active)."
    else
        echo "Active window after $1: $active, not the main window ($expected)." >&2
        session_failed=1
    fi
}
session_failed=

main=$(corvale_find_window "Get Business Information" 30) || true
if [ -z "$main" ]; then
    echo "The main window did not appear; see $output/corvale.log" >&2
    exit 1
fi
echo "Main window shown after $(( ($(date +%s%N) - started) / 1000000 )) ms."

# Typed and pressed as a person would: the phone box has the focus at start.
activate "$main"
if [ -n "${address+set}" ]; then
    for field in "${address[@]}"; do
        xdotool key shift+Tab
        xdotool type --delay 40 "$field"
    done
else
    xdotool type --delay 40 "$phone"
fi
xdotool key Return

if [ -n "${address+set}" ]; then
    # The map window of an address has no title: it is the program's other window.
    map=$(corvale_find_other_window "$program" "$main" 30) || true
else
    map=$(corvale_find_window "$number" 30) || true
fi
if [ -z "$map" ]; then
    echo "No map window appeared; see $output/corvale.log" >&2
    exit 1
fi
# The sample map page comes from the loopback service; give it time to draw.
sleep 3
# Side by side, so that neither window hides the other in the pictures.
xdotool windowmove "$main" 0 0
sleep 0.5
import -window "$main" "$output/main-window.png"
import -window "$map" "$output/map-window.png"
if [ -n "${address+set}" ]; then
    echo "Map window: ${address[0]}, ${address[1]}, ${address[3]}, ${address[2]} through $CORVALE_ADDRESS_SERVICE."
else
    echo "Map window: $phone shown as $number."
    if [ -n "$accessibility" ]; then
        /usr/bin/python3 "$(dirname "$0")/accessibility-check.py" "$number" "Lakeshore Lantern Works" \
            "$output/maps/" || session_failed=1
    fi
fi

# "Capture" sits centred below the map, 81 x 33 pixels, 8 pixels above the bottom.
eval "$(xdotool getwindowgeometry --shell "$map")"
xdotool mousemove --window "$map" $(( WIDTH / 2 )) $(( HEIGHT - 8 - 16 )) click 1
saved=$(corvale_find_window "Success..." 10) || true
if [ -n "$saved" ]; then
    import -window "$saved" "$output/saved-message.png"
    activate "$saved"
    xdotool key Return
fi
if [ -n "$saved" ] && [ -n "$window_manager" ]; then
    report_active_window "Capture"
    # The focus is on "Create Map": Enter shows the map again; its close box
    # (the window manager's close request) closes it.
    xdotool key Return
    if [ -n "${address+set}" ]; then
        again=$(corvale_find_other_window "$program" "$main" 30) || true
    else
        again=$(corvale_find_window "$number" 30) || true
    fi
    if [ -n "$again" ]; then
        sleep 1
        wmctrl -i -c "$(printf '0x%x' "$again")"
        report_active_window "the close box"
    else
        echo "Enter after Capture opened no map window: the keyboard was not in the main window." >&2
        session_failed=1
    fi
fi

if [ -z "${CORVALE_PRINT_PROGRAM:-}" ] && [ -f "$output/maps/$saved_name.jpg" ]; then
    # "Print Map" is 73 x 33 pixels at 160, 400 in the main window.
    xdotool mousemove --window "$main" $(( 160 + 36 )) $(( 400 + 16 )) click 1
    chooser=$(corvale_find_window "Select saved map to print" 10) || true
    if [ -n "$chooser" ]; then
        # The list has the focus on the one saved map; space selects it.
        activate "$chooser"
        xdotool key space Return
        preview=$(corvale_find_window "Print Preview: $saved_name.jpg" 10) || true
        if [ -n "$preview" ]; then
            xdotool windowsize --sync "$preview" 900 720
            sleep 1
            import -window "$preview" "$output/print-preview.png"
            activate "$preview"
            xdotool key Escape
        fi
    fi
    [ -n "${preview:-}" ] || echo "\"Print Map\" showed no print preview of the saved map." >&2
fi

kill "$program" ${window_manager:+"$window_manager"} 2>/dev/null || true
wait "$program" 2>/dev/null || true
trap - EXIT
# Normal use leaves the terminal quiet: neither the web engine's report on
# its graphics nor the map page's console lines show.
if grep -E "qt.webenginecontext|^js:|Sandboxing disabled" "$output/corvale.log" >&2; then
    echo "Corvale printed the lines above; see $output/corvale.log" >&2
    session_failed=1
fi

echo
echo "Screenshots:"
for picture in "$output"/*.png; do
    echo "  $picture"
done
if [ -f "$output/maps/$saved_name.jpg" ]; then
    echo "Saved map: $output/maps/$saved_name.jpg"
    # Where the map says it is and who placed it, as exiftool reads them.
    tags=$(exiftool -n -s -GPSLatitude -GPSLongitude -XMP:Source "$output/maps/$saved_name.jpg")
    echo "$tags" | sed 's/^/  /'
    if ! echo "$tags" | grep -q '^GPSLatitude'; then
        echo "The saved map carries no GPS position." >&2
        exit 1
    fi
elif [ -n "$saved" ]; then
    echo "The program said the map was saved, but $output/maps/$saved_name.jpg is missing." >&2
    exit 1
else
    echo "No map was saved: \"Capture\" gave no message within 10 seconds."
fi
[ -z "$session_failed" ]
