#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what is missing, builds Corvale in release mode, starts the sample
# lookup service on 127.0.0.1 and runs Corvale against it. Without a display
# it runs a scripted session of the program under Xvfb instead.
set -euo pipefail
CORVALE_ROOT=$(cd "$(dirname "$0")" && pwd)
. "$CORVALE_ROOT/scripts/common.sh"

corvale_install_dependencies
BUILD="$CORVALE_ROOT/build/release"
corvale_build "$BUILD" Release

corvale_start_sample_service "$BUILD/tools/sample-service/corvale-sample-service" "$BUILD/sample-service.log"
echo "Sample lookup service: $CORVALE_LOOKUP_BASE"
# CORVALE_ADDRESS_SERVICE=sample: the sample service answers addresses too,
# as a Nominatim server does, with its map pages.
if [ "${CORVALE_ADDRESS_SERVICE:-}" = sample ]; then
    export CORVALE_ADDRESS_SERVICE=$CORVALE_LOOKUP_BASE
    echo "Address service: $CORVALE_ADDRESS_SERVICE (the sample service as a Nominatim server)"
fi
CORVALE="$BUILD/src/app/corvale"

if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
    echo "Starting Corvale. Try (312) 555-0142, or 24 Tamarack Cres, Ottawa, ON, K1A0B1;"
    echo "corvale-sample-service --list prints the whole sample data set."
    "$CORVALE"
else
    echo "No display: neither DISPLAY nor WAYLAND_DISPLAY is set."
    echo "Running a scripted session of Corvale under Xvfb (openbox, a session bus) instead."
    echo
    xvfb-run -a -s "-screen 0 1280x1024x24 -dpi 96" dbus-run-session -- \
        "$CORVALE_ROOT/scripts/scripted-session.sh" "$CORVALE" "$BUILD/session"
fi
