#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds Corvale, starts the sample lookup service and runs the scripted
# session under Xvfb; its pictures of the main window, of a map window and
# of the saved map's print preview become docs/main-window.png,
# docs/map-window.png and docs/print-preview.png.
# BUILD_DIR chooses the build folder (default: build/ in the checkout).
set -euo pipefail
CORVALE_ROOT=$(cd "$(dirname "$0")/.." && pwd)
. "$CORVALE_ROOT/scripts/common.sh"

build=${BUILD_DIR:-$CORVALE_ROOT/build}
cmake -S "$CORVALE_ROOT" -B "$build" -G Ninja >/dev/null
cmake --build "$build" --target corvale corvale-sample-service -j 2

corvale_start_sample_service "$build/tools/sample-service/corvale-sample-service" "$build/sample-service.log"
# The map folder shows in the picture, so it is a short path of its own.
session=/tmp/corvale-screenshots
CORVALE_PRINT_PROGRAM= xvfb-run -a -s "-screen 0 1280x1024x24 -dpi 96" \
    "$CORVALE_ROOT/scripts/scripted-session.sh" "$build/src/app/corvale" "$session" >/dev/null
pictures=(main-window.png map-window.png print-preview.png)
for picture in "${pictures[@]}"; do
    cp "$session/$picture" "$CORVALE_ROOT/docs/"
done
rm -rf "$session"
echo "wrote ${pictures[*]/#/$CORVALE_ROOT/docs/}"
