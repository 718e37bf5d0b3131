# Shared by run.sh and test.sh: the packages Corvale needs, and their install.

CORVALE_PACKAGES=(
    g++ cmake ninja-build pkg-config
    qt6-base-dev qt6-webengine-dev libgumbo-dev libturbojpeg0-dev libcpp-httplib-dev
    libbenchmark-dev clang libclang-rt-14-dev
    xvfb xauth xdotool imagemagick libjpeg-turbo-progs fonts-liberation
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
