#!/usr/bin/env bash
# Installs what is missing, builds Corvale in release mode, starts the sample
# lookup service on 127.0.0.1 and runs Corvale against it.
set -euo pipefail
CORVALE_ROOT=$(cd "$(dirname "$0")" && pwd)
. "$CORVALE_ROOT/scripts/common.sh"

corvale_install_dependencies
BUILD="$CORVALE_ROOT/build/release"
corvale_build "$BUILD" Release

corvale_start_sample_service "$BUILD/tools/sample-service/corvale-sample-service" "$BUILD/sample-service.log"
echo "Sample lookup service: $CORVALE_LOOKUP_BASE"

LOOKUP="$BUILD/src/app/corvale-lookup"
echo
echo "Phone lookup: (312) 555-0142"
"$LOOKUP" phone "(312) 555-0142"
echo
echo "Address lookup: 24 Tamarack Cres, Ottawa, ON K1A 0B1"
"$LOOKUP" address "24 Tamarack Cres" "Ottawa" "ON" "K1A 0B1"
