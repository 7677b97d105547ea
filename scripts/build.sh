#!/usr/bin/env bash
# Configures and builds the project. Usage: scripts/build.sh [extra cmake arguments]
# The build folder is $TAVIREL_BUILD_DIR (default: build).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${TAVIREL_BUILD_DIR:-$root/build}"

# Several checkouts (and their build folders) share one compiler cache.
export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$root}"
export CCACHE_NOHASHDIR="${CCACHE_NOHASHDIR:-1}"

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE="${TAVIREL_BUILD_TYPE:-RelWithDebInfo}" "$@" >/dev/null
cmake --build "$build" -- -j"$(nproc)"
