#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what is missing, builds, and runs the whole test suite, offscreen
# and then on a Wayland compositor; then the package check, the sanitizer run
# and the short fuzz runs.
set -euo pipefail
CORVALE_ROOT=$(cd "$(dirname "$0")" && pwd)
. "$CORVALE_ROOT/scripts/common.sh"

corvale_install_dependencies
corvale_build "$CORVALE_ROOT/build/test" RelWithDebInfo
ctest --test-dir "$CORVALE_ROOT/build/test" --output-on-failure -j "$(nproc)"
# The same build's tests on weston, as a Wayland desktop runs them.
corvale_wayland_tests "$CORVALE_ROOT/build/test"
# The Debian package from the same build, checked by Debian's own tools.
corvale_package_checks "$CORVALE_ROOT/build/test"
# The same tests under the sanitizers, leaving out those that start the web
# engine; then each fuzz target for a short fixed run (the README says how
# to run them long).
corvale_sanitized_tests "$CORVALE_ROOT/build/sanitize"
corvale_short_fuzz "$CORVALE_ROOT/build/fuzz"
