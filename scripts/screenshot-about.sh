#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the screenshot tool and saves a picture of the About window as
# docs/about.png, under Xvfb when it is installed and offscreen otherwise.
# BUILD_DIR chooses the build folder (default: build/ in the checkout).
set -eu

repo=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$repo/build}

cmake -S "$repo" -B "$build" -G Ninja >/dev/null
cmake --build "$build" --target screenshot-about -j 2

tool="$build/tools/screenshot-about/screenshot-about"
output="$repo/docs/about.png"
if command -v xvfb-run >/dev/null 2>&1; then
    QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1024x768x24 -dpi 96" "$tool" "$output"
else
    QT_QPA_PLATFORM=offscreen "$tool" "$output"
fi
echo "wrote $output"
