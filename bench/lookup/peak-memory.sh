#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Peak memory of corvale-lookup reading an answer page of 8 MiB, the most a
# lookup reads, beside one of 4 KiB; measured with /usr/bin/time -v.
# Usage: bench/lookup/peak-memory.sh BUILD_DIR
set -euo pipefail
build=${1:?Usage: $0 BUILD_DIR}
large=$((8 * 1024 * 1024))

# Peak resident memory in KiB of one phone lookup against a page of $1 bytes.
peak_kib() {
    local server_out server base result
    exec {server_out}< <(exec "$build/bench/lookup/answerserver" "$1")
    server=$!
    read -r base <&"$server_out"
    result=$(CORVALE_LOOKUP_BASE=$base /usr/bin/time -v "$build/src/app/corvale-lookup" phone 3125550142 2>&1 >/dev/null |
        sed -n 's/^\s*Maximum resident set size (kbytes): //p')
    kill "$server"
    exec {server_out}<&-
    echo "$result"
}

small=$(peak_kib 4096)
big=$(peak_kib "$large")
echo "corvale-lookup peak RSS: ${small} KiB reading a 4 KiB answer, ${big} KiB reading an 8 MiB one"
echo "the 8 MiB answer takes $(((big - small) / 1024)) MiB more;" \
    "peak is $(awk "BEGIN { printf \"%.1f\", $big * 1024 / $large }") times the page size (target: at most 10)"
