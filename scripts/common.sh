# SPDX-License-Identifier: GPL-3.0-or-later
# Shared by run.sh and test.sh: the packages Corvale needs, and their install.

CORVALE_PACKAGES=(
    g++ cmake ninja-build pkg-config
    qt6-base-dev qt6-webengine-dev libgumbo-dev libturbojpeg0-dev libcpp-httplib-dev
    libbenchmark-dev clang libclang-rt-14-dev
    libexiv2-dev libimage-exiftool-perl
    xvfb xauth xdotool imagemagick libjpeg-turbo-progs fonts-liberation time poppler-utils
    dpkg-dev file lintian appstream desktop-file-utils
    openbox x11-utils wmctrl dbus-daemon at-spi2-core python3-pyatspi
    weston qt6-wayland
)

# Installs what is missing (as root), or prints the apt-get line and stops.
corvale_install_dependencies() {
    local missing=()
    local package
    for package in "${CORVALE_PACKAGES[@]}"; do
        if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
            missing+=("$package")
        fi
    done
    if [ ${#missing[@]} -eq 0 ]; then
        return 0
    fi
    if [ "$(id -u)" -ne 0 ]; then
        echo "Corvale needs these packages. Install them as root, then run this again:" >&2
        echo "  apt-get update && apt-get install -y ${missing[*]}" >&2
        exit 1
    fi
    echo "Installing: ${missing[*]}"
    apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# corvale_build BUILD_DIR BUILD_TYPE [cmake options...]
corvale_build() {
    local dir=$1 type=$2
    shift 2
    cmake -S "$CORVALE_ROOT" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE="$type" "$@"
    cmake --build "$dir" -j "$(nproc)"
}

# corvale_find_window TITLE SECONDS [POLL]
# Prints the id of a visible window of that whole title, waiting up to SECONDS
# for it and asking every POLL seconds (0.2). A search can fail when a window
# goes while it looks, so it is simply asked again.
corvale_find_window() {
    local title=$1 poll=${3:-0.2} found
    local deadline=$(( $(date +%s%N) / 1000000 + $2 * 1000 ))
    while [ $(( $(date +%s%N) / 1000000 )) -lt "$deadline" ]; do
        found=$(xdotool search --onlyvisible --name "^${title}\$" 2>/dev/null | head -n 1) || true
        if [ -n "$found" ]; then
            echo "$found"
            return 0
        fi
        sleep "$poll"
    done
    return 1
}

# corvale_find_other_window PID WINDOW SECONDS
# Prints the id of a visible window of process PID other than WINDOW,
# waiting up to SECONDS for one: a window without a title of its own.
corvale_find_other_window() {
    local pid=$1 known=$2 found
    local deadline=$(( $(date +%s%N) / 1000000 + $3 * 1000 ))
    while [ $(( $(date +%s%N) / 1000000 )) -lt "$deadline" ]; do
        found=$(xdotool search --onlyvisible --pid "$pid" 2>/dev/null | grep -vx "$known" | head -n 1) || true
        if [ -n "$found" ]; then
            echo "$found"
            return 0
        fi
        sleep 0.2
    done
    return 1
}

# Starts the sample lookup service on a free port of 127.0.0.1 and exports
# CORVALE_LOOKUP_BASE for it; it is stopped when the calling script ends.
corvale_start_sample_service() {
    local service=$1 log=$2
    exec {CORVALE_SERVICE_FD}< <(exec "$service" --port 0 2>"$log")
    CORVALE_SERVICE_PID=$!
    trap 'kill "$CORVALE_SERVICE_PID" 2>/dev/null || true' EXIT
    local base
    if ! read -r -t 10 base <&"$CORVALE_SERVICE_FD"; then
        echo "The sample lookup service did not start; see $log" >&2
        exit 1
    fi
    export CORVALE_LOOKUP_BASE=$base
}

# corvale_package_checks BUILD_DIR
# Makes the Debian package from an existing build and checks it, its desktop
# entry and its AppStream metadata with Debian's own checkers. An error from
# any of them fails; lintian's warnings are printed and pass.
corvale_package_checks() {
    local dir=$1 deb
    desktop-file-validate "$CORVALE_ROOT/src/app/corvale.desktop"
    appstreamcli validate --no-net "$CORVALE_ROOT/src/app/example.corvale.Corvale.metainfo.xml"
    rm -rf "$dir/package"
    cpack --config "$dir/CPackConfig.cmake" -G DEB -B "$dir/package"
    deb=$(echo "$dir"/package/corvale_*_"$(dpkg --print-architecture)".deb)
    if [ ! -f "$deb" ]; then
        echo "cpack made no corvale_*.deb in $dir/package" >&2
        return 1
    fi
    lintian --fail-on error "$deb"
    echo "Package: $deb"
}

# corvale_sanitized_tests BUILD_DIR
# Builds with AddressSanitizer and UndefinedBehaviorSanitizer and runs every
# test that does not start the web engine (a test that does carries the
# CTest label webengine). The first report fails the run.
corvale_sanitized_tests() {
    local dir=$1
    corvale_build "$dir" RelWithDebInfo -DCORVALE_SANITIZE=ON -DCORVALE_BUILD_BENCH=OFF
    ASAN_OPTIONS=halt_on_error=1:detect_leaks=1 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
        ctest --test-dir "$dir" --output-on-failure -j "$(nproc)" --label-exclude webengine
}

# corvale_short_fuzz BUILD_DIR
# Builds the fuzz targets with clang and runs each for a fixed number of
# inputs, starting from its seeds and from every input that once failed. An
# input that fails now is left in BUILD_DIR/artifacts.
corvale_short_fuzz() {
    local dir=$1 run target runs
    cmake -S "$CORVALE_ROOT" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
        -DCORVALE_FUZZ=ON -DCORVALE_BUILD_TESTS=OFF -DCORVALE_BUILD_BENCH=OFF
    cmake --build "$dir" -j "$(nproc)" --target fuzz_pagetext fuzz_lookups fuzz_query fuzz_mapfile
    mkdir -p "$dir/artifacts"
    for run in pagetext:30000 lookups:60000 query:100000 mapfile:10000; do
        target=${run%:*}
        runs=${run#*:}
        # The HTML words help the page targets only; map files are pictures.
        local dict=(-dict="$CORVALE_ROOT/fuzz/html.dict")
        [ "$target" = mapfile ] && dict=()
        rm -rf "$dir/corpus/$target"
        mkdir -p "$dir/corpus/$target"
        # git keeps no empty folder: a target without failed inputs has none.
        local inputs=("$dir/corpus/$target" "$CORVALE_ROOT/fuzz/corpus/$target")
        if [ -d "$CORVALE_ROOT/fuzz/regressions/$target" ]; then
            inputs+=("$CORVALE_ROOT/fuzz/regressions/$target")
        fi
        if ! "$dir/fuzz/fuzz_$target" -seed=1 -runs="$runs" -max_total_time=60 -max_len=1048576 -timeout=1 \
            -rss_limit_mb=2048 "${dict[@]}" -artifact_prefix="$dir/artifacts/$target-" \
            "${inputs[@]}" > "$dir/$target.log" 2>&1; then
            tail -n 40 "$dir/$target.log" >&2
            echo "fuzz_$target failed; the input that failed is in $dir/artifacts" >&2
            return 1
        fi
        echo "fuzz_$target: $(grep -a "^Done" "$dir/$target.log" | tail -n 1)"
    done
}

# corvale_wayland_tests BUILD_DIR
# Runs the suite of an existing build again on Wayland: weston nested in
# Xvfb (its X11 back end gives a seat, which typing needs), the tests on
# Qt's wayland platform. Skipped, with a word, when weston is missing.
corvale_wayland_tests() {
    local dir=$1
    if ! command -v weston >/dev/null || ! command -v xvfb-run >/dev/null; then
        echo "weston or xvfb-run is missing: the Wayland stage is skipped."
        return 0
    fi
    local runtime status=0
    runtime=$(mktemp -d)
    chmod 0700 "$runtime"
    XDG_RUNTIME_DIR=$runtime xvfb-run -a -s "-screen 0 1280x1024x24 -dpi 96" bash -c '
        weston --backend=x11-backend.so --socket=corvale-tests --width=1280 --height=1024 --idle-time=0 \
            >"$XDG_RUNTIME_DIR/weston.log" 2>&1 &
        weston=$!
        for _ in $(seq 100); do
            [ -S "$XDG_RUNTIME_DIR/corvale-tests" ] && break
            sleep 0.1
        done
        if [ ! -S "$XDG_RUNTIME_DIR/corvale-tests" ]; then
            cat "$XDG_RUNTIME_DIR/weston.log" >&2
            echo "weston did not start within 10 seconds" >&2
            kill "$weston" 2>/dev/null
            exit 1
        fi
        WAYLAND_DISPLAY=corvale-tests CORVALE_TEST_PLATFORM=wayland \
            ctest --test-dir "$1" --output-on-failure -j "$(nproc)"
        status=$?
        kill "$weston"
        wait "$weston" 2>/dev/null
        exit "$status"
    ' corvale-wayland-tests "$dir" || status=$?
    rm -rf "$runtime"
    return "$status"
}
