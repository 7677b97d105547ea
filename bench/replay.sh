#!/usr/bin/env bash
# Replays a generated log with a report every 10 ms through the log replayer, polled at
# the dispatcher's 1 ms receive interval, and prints each report's lateness against its
# recorded time (p50/p99/max over the whole log, its first and its last tenth: a growing
# lateness is drift) and the resident memory at the start, middle and end.
# Goals: p99 at most 11 ms, no drift, constant memory.
# It builds nothing: run scripts/build.sh first.
# Usage: bench/replay.sh [build folder]    (default: $TAVIREL_BUILD_DIR or ./build)
# TAVIREL_BENCH_MINUTES sets the log's length (10 by default; the replay takes as long).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-${TAVIREL_BUILD_DIR:-$root/build}}"
build="$(cd "$build" && pwd)"
driver="$build/bench/tavirel-graph-driver"
[ -x "$driver" ] || { echo "no driver at $driver; build it first (scripts/build.sh)" >&2; exit 1; }
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
export HOME="$work" XDG_CONFIG_HOME="$work/config" QT_QPA_PLATFORM=offscreen
echo "load average $(cut -d' ' -f1 /proc/loadavg)"
(cd "$work" && "$driver" --replay --minutes "${TAVIREL_BENCH_MINUTES:-10}" --interval 10)
