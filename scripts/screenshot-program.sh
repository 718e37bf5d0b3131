#!/usr/bin/env bash
# Builds Corvale, starts the sample lookup service and runs the scripted
# session under Xvfb; its pictures of the main window and of a map window
# become docs/main-window.png and docs/map-window.png.
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
xvfb-run -a -s "-screen 0 1280x1024x24 -dpi 96" \
    "$CORVALE_ROOT/scripts/scripted-session.sh" "$build/src/app/corvale" "$session" >/dev/null
cp "$session/main-window.png" "$session/map-window.png" "$CORVALE_ROOT/docs/"
rm -rf "$session"
echo "wrote $CORVALE_ROOT/docs/main-window.png and $CORVALE_ROOT/docs/map-window.png"
