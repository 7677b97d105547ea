#!/usr/bin/env bash
# Opens the graph window on its Scan tab against the virtual controller streaming scan
# lines at its full rate and prints the CPU share of one core over 30 s and the redraws
# per second. Goals: at most 10% of a core, 4 redraws per second (every 250 ms tick).
# Offscreen there is no OpenGL: the figure is that of the QPainter drawing.
# It builds nothing: run scripts/build.sh first.
# Usage: bench/graph.sh [build folder]    (default: $TAVIREL_BUILD_DIR or ./build)
# TAVIREL_BENCH_SECONDS changes the measured time.
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
(cd "$work" && "$driver" --scan --seconds "${TAVIREL_BENCH_SECONDS:-30}")
