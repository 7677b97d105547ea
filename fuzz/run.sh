#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (AddressSanitizer and UndefinedBehaviorSanitizer
# on) and runs each for a bounded time, starting from the committed corpus. Prints the
# executions, executions per second and findings of every target.
#
# Usage: fuzz/run.sh [seconds per target, default 60] [target ...]
# Environment: TAVIREL_FUZZ_RUNS        most executions per target (default 10000000)
#              TAVIREL_FUZZ_BUILD_DIR   build folder (default ./build-fuzz)
# Findings (inputs that crashed, leaked or hung) land in <build>/findings/<target>/.
# Exit status 1 when any target had a finding.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${TAVIREL_FUZZ_BUILD_DIR:-$root/build-fuzz}"
seconds="${1:-60}"
[ $# -gt 0 ] && shift
runs="${TAVIREL_FUZZ_RUNS:-10000000}"
goal=10000000
# The targets are those fuzz/CMakeLists.txt builds.
read -r -a all_targets <<<"$(sed -n 's/^ *foreach(target \(.*\))$/\1/p' "$root/fuzz/CMakeLists.txt")"
targets=("${all_targets[@]}")
if [ $# -gt 0 ]; then
    targets=("$@")
fi

"$root/scripts/setup.sh" fuzz

export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$root}"
export CCACHE_NOHASHDIR="${CCACHE_NOHASHDIR:-1}"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_COMPILER=clang++ \
    -DTAVIREL_FUZZ=ON -DTAVIREL_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" --target "${targets[@]/#/fuzz_}" -- -j"$(nproc)" >/dev/null

# The delegates read and write settings: keep them in a scratch folder.
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
export HOME="$scratch" XDG_CONFIG_HOME="$scratch/config" XDG_DATA_HOME="$scratch/data"
export XDG_CACHE_HOME="$scratch/cache" QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS="detect_leaks=1" UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"

found_any=0
for target in "${targets[@]}"; do
    corpus="$build/corpus/$target"
    findings="$build/findings/$target"
    mkdir -p "$corpus" "$findings"
    cp -n "$root/fuzz/corpus/$target"/* "$corpus/" 2>/dev/null || true
    log="$build/fuzz-$target.log"
    set +e
    "$build/fuzz/fuzz_$target" -max_total_time="$seconds" -runs="$runs" -max_len=16384 \
        -rss_limit_mb=2048 -malloc_limit_mb=512 -timeout=10 -print_final_stats=1 \
        -artifact_prefix="$findings/" "$corpus" >"$log" 2>&1
    status=$?
    set -e
    executed="$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)"
    per_second="$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -1)"
    count="$(find "$findings" -type f | wc -l)"
    if [ "$status" -ne 0 ] || [ "$count" -ne 0 ]; then
        found_any=1
    fi
    printf '%s: %s executions, %s exec/s, %s finding(s) (goal: %s executions without a finding)%s\n' \
        "$target" "${executed:-?}" "${per_second:-?}" "$count" "$goal" \
        "$([ "$status" -ne 0 ] && echo ", see $log")"
done
exit "$found_any"
