#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# A scripted session of Corvale on the X display this runs on (run it under
# xvfb-run): a person's phone lookup typed into the main window, the map
# window, then "Capture" and its message, and, without CORVALE_PRINT_PROGRAM,
# "Print Map" of the saved map up to its print preview (closed unprinted).
# With CORVALE_ADDRESS_SERVICE set, an address is looked up instead, through
# that address service, and the saved map's position is read back with
# exiftool. Writes screenshots, and the saved map, into OUTPUT_DIR and prints
# where they are.
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

started=$(date +%s%N)
QT_QPA_PLATFORM=xcb "$corvale" 2>"$output/corvale.log" &
program=$!
trap 'kill "$program" 2>/dev/null || true' EXIT

main=$(corvale_find_window "Get Business Information" 30) || true
if [ -z "$main" ]; then
    echo "The main window did not appear; see $output/corvale.log" >&2
    exit 1
fi
echo "Main window shown after $(( ($(date +%s%N) - started) / 1000000 )) ms."

# Typed and pressed as a person would: the phone box has the focus at start.
xdotool windowfocus --sync "$main"
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
fi

# "Capture" sits centred below the map, 81 x 33 pixels, 8 pixels above the bottom.
eval "$(xdotool getwindowgeometry --shell "$map")"
xdotool mousemove --window "$map" $(( WIDTH / 2 )) $(( HEIGHT - 8 - 16 )) click 1
saved=$(corvale_find_window "Success..." 10) || true
if [ -n "$saved" ]; then
    import -window "$saved" "$output/saved-message.png"
    xdotool windowfocus --sync "$saved"
    xdotool key Return
fi

if [ -z "${CORVALE_PRINT_PROGRAM:-}" ] && [ -f "$output/maps/$saved_name.jpg" ]; then
    # "Print Map" is 73 x 33 pixels at 160, 400 in the main window.
    xdotool mousemove --window "$main" $(( 160 + 36 )) $(( 400 + 16 )) click 1
    chooser=$(corvale_find_window "Select saved map to print" 10) || true
    if [ -n "$chooser" ]; then
        # The list has the focus on the one saved map; space selects it.
        xdotool windowfocus --sync "$chooser"
        xdotool key space Return
        preview=$(corvale_find_window "Print Preview: $saved_name.jpg" 10) || true
        if [ -n "$preview" ]; then
            xdotool windowsize --sync "$preview" 900 720
            sleep 1
            import -window "$preview" "$output/print-preview.png"
            xdotool windowfocus --sync "$preview"
            xdotool key Escape
        fi
    fi
    [ -n "${preview:-}" ] || echo "\"Print Map\" showed no print preview of the saved map." >&2
fi

kill "$program" 2>/dev/null || true
wait "$program" 2>/dev/null || true
trap - EXIT

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
