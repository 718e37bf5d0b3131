#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite.
set -euo pipefail
CORVALE_ROOT=$(cd "$(dirname "$0")" && pwd)
. "$CORVALE_ROOT/scripts/common.sh"

corvale_install_dependencies
corvale_build "$CORVALE_ROOT/build/test" RelWithDebInfo
ctest --test-dir "$CORVALE_ROOT/build/test" --output-on-failure -j "$(nproc)"
