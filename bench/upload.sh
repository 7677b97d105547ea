#!/usr/bin/env bash
# Uploads a generated 4,096-item firmware file to the virtual controller through the
# tool's own link and uploader, at 1 ms and 4 ms answer latency, each without a log and
# with raw-traffic logging (level 4), and prints items per second against the limit.
#
# Limits: the upload sends at most one item per 3 ms tick (333 items/s); a controller that
# answers after L ms allows one item per L ms plus the 1 ms receive poll. Goals: at least
# 95% of the limit; raw-traffic logging at most 10% slower.
# It builds nothing: run scripts/build.sh first.
# Usage: bench/upload.sh [build folder]    (default: $TAVIREL_BUILD_DIR or ./build)
# TAVIREL_BENCH_ITEMS changes the number of items.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-${TAVIREL_BUILD_DIR:-$root/build}}"
driver="$build/bench/tavirel-upload-driver"
items="${TAVIREL_BENCH_ITEMS:-4096}"
[ -x "$driver" ] || { echo "no driver at $driver; build it first (scripts/build.sh)" >&2; exit 1; }

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
export HOME="$work" XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/runtime"
export QT_QPA_PLATFORM=offscreen
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"

# The 1 ms timers of the link and of the virtual controller are delayed by whatever else
# the machine runs; where it is allowed, the runs get real-time scheduling (chrt) so that
# the figures are those of the upload, not of the neighbours. TAVIREL_BENCH_PLAIN=1 keeps
# the ordinary scheduling.
runner=()
if [ -z "${TAVIREL_BENCH_PLAIN:-}" ] && command -v chrt >/dev/null && chrt -f 10 true 2>/dev/null; then
    runner=(chrt -f 10)
    echo "scheduling: real-time (chrt -f 10)"
else
    echo "scheduling: ordinary (load average $(cut -d' ' -f1 /proc/loadavg))"
fi

# items/s of one run: latency, log level.
rate() {
    (cd "$work" && "${runner[@]}" "$driver" --items "$items" --latency "$1" --log-level "$2" \
        --log-file "$work/upload-$1-$2.log") | sed -E 's/.*items-per-second=([0-9.]+).*/\1/'
}

for latency in 1 4; do
    if [ "$latency" -le 2 ]; then limit=$(awk 'BEGIN { printf "%.1f", 1000 / 3 }')
    else limit=$(awk -v l="$latency" 'BEGIN { printf "%.1f", 1000 / (l + 1) }'); fi
    plain=$(rate "$latency" 0)
    logged=$(rate "$latency" 4)
    for run in "off:$plain" "level 4:$logged"; do
        label="${run%%:*}"; value="${run#*:}"
        awk -v n="$items" -v l="$latency" -v lab="$label" -v v="$value" -v lim="$limit" 'BEGIN {
            share = 100 * v / lim
            printf "upload %d items, %d ms latency, logging %s: %.1f s, %.0f items/s, %.0f%% of the %.0f items/s limit (goal 95%%) %s\n",
                n, l, lab, n / v, v, share, lim, (share >= 95 ? "ok" : "MISSED") }'
    done
    awk -v a="$plain" -v b="$logged" -v l="$latency" 'BEGIN {
        slower = 100 * (a - b) / a
        printf "raw-traffic logging at %d ms latency: %.1f%% slower (goal at most 10%%) %s\n",
            l, slower, (slower <= 10 ? "ok" : "MISSED") }'
done
