#!/usr/bin/env bash
# Starts the built tool against its virtual controller (offscreen, in a scratch folder
# with settings of its own) and reports:
#  - the time from starting the program to the enabled main window, for a first start
#    (the defaults are loaded into the controller) and for the next start;
#  - the CPU the connected, idle tool uses over 30 s, as a share of one core;
#  - its resident memory.
# It builds nothing: run scripts/build.sh first.
# Usage: bench/startup.sh [build folder]    (default: $TAVIREL_BUILD_DIR or ./build)
# TAVIREL_BENCH_IDLE_S changes the length of the idle measurement.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-${TAVIREL_BUILD_DIR:-$root/build}}"
tool="$build/app/tavirel-config"
idle_seconds="${TAVIREL_BENCH_IDLE_S:-30}"
idle_goal_percent="0.5"
# The commands the start waits for, one per 100 ms tick of the dispatcher: the first
# get-parameters, the set-parameters that turns the edge stream on (the split type), and
# the firmware-header get.
chain_commands=3
tick_ms=100

[ -x "$tool" ] || { echo "no tool at $tool; build it first (scripts/build.sh)" >&2; exit 1; }

work="$(mktemp -d)"
pid=""
cleanup() {
    if [ -n "$pid" ]; then kill "$pid" 2>/dev/null || true; wait "$pid" 2>/dev/null || true; fi
    rm -rf "$work"
}
trap cleanup EXIT
export HOME="$work" XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/runtime"
export TMPDIR="$work" QT_QPA_PLATFORM=offscreen
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
log="$work/command-line-mask"

now_ms() { echo $(( $(date +%s%N) / 1000000 )); }
# The log's own clock ("{   123}") of the first line containing $1.
log_ms() { grep -m1 -F "$1" "$log" | sed -E 's/^\[.\]\{ *([0-9]+)\}.*/\1/'; }

stop_tool() {
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    pid=""
}

# Starts the tool (traffic and information logged with "$1" = yes) and sets pid.
start_tool() {
    rm -f "$log"
    if [ "$1" = yes ]; then
        (cd "$work" && exec "$tool" --simulate -m 9 >/dev/null 2>&1) &
    else
        (cd "$work" && exec "$tool" --simulate >/dev/null 2>&1) &
    fi
    pid=$!
}

measure_start() {
    local label="$1" started enabled built up sent
    started=$(now_ms)
    start_tool yes
    for _ in $(seq 1 6000); do
        if [ -f "$log" ] && grep -qF "Main window enabled." "$log"; then break; fi
        kill -0 "$pid" 2>/dev/null || { echo "$label: the tool ended early" >&2; exit 1; }
        sleep 0.005
    done
    enabled=$(now_ms)
    grep -qF "Main window enabled." "$log" || { echo "$label: no enabled window in 30 s" >&2; exit 1; }
    built=$(log_ms "Main window disabled.")
    up=$(log_ms "Main window enabled.")
    # The requests that left before the window came up, by opcode (third byte of a report).
    sent=$(awk 'function hex(h) { return (index("0123456789abcdef", substr(h, 1, 1)) - 1) * 16 + \
                                    index("0123456789abcdef", substr(h, 2, 1)) - 1 }
        /Main window enabled\./ { exit }
        /Sending [0-9]+ bytes, Hex Data: / {
            op = hex(substr($NF, 5, 2))
            name = op == 5 ? "get-parameters" : op == 4 ? "set-parameters" : \
                   op == 8 ? "load-defaults" : op == 19 ? "get-filter" : op == 23 ? "header-get" : \
                   "opcode " op
            list = list (list == "" ? "" : ", ") name
        }
        END { print list }' "$log")
    printf '%-11s start to enabled window: %4d ms; window built to enabled: %d ms (floor about %d ms: %d commands, one per %d ms tick)\n' \
        "$label" $((enabled - started)) $((up - built)) $((chain_commands * tick_ms)) "$chain_commands" "$tick_ms"
    printf '%-11s requests before it: %s\n' "" "$sent"
    # Let a first start finish storing what it read (the next start is then an ordinary one).
    sleep "${2:-0}"
    stop_tool
}

cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }

measure_idle() {
    local ticks_per_s before after t0 t1 rss peak
    start_tool no
    sleep 5  # connected and idle well before this (see the start figures)
    ticks_per_s=$(getconf CLK_TCK)
    before=$(cpu_ticks "$pid"); t0=$(now_ms)
    sleep "$idle_seconds"
    after=$(cpu_ticks "$pid"); t1=$(now_ms)
    rss=$(awk '/^VmRSS:/ { print $2 }' "/proc/$pid/status")
    peak=$(awk '/^VmHWM:/ { print $2 }' "/proc/$pid/status")
    awk -v d=$((after - before)) -v hz="$ticks_per_s" -v ms=$((t1 - t0)) -v s="$idle_seconds" \
        -v goal="$idle_goal_percent" \
        'BEGIN { printf "idle CPU over %d s:  %.2f%% of one core (goal <= %s%%)\n", s, 100 * d / hz / (ms / 1000), goal }'
    awk -v r="$rss" -v p="$peak" \
        'BEGIN { printf "resident memory:     %.1f MiB (peak %.1f MiB)\n", r / 1024, p / 1024 }'
    stop_tool
}

# Figures shift with what else runs: the load is printed with them.
echo "tavirel-config --simulate, offscreen, $(nproc) cores, load average $(cut -d' ' -f1-3 /proc/loadavg)"
measure_start "first start" 3
measure_start "next start"
measure_idle
