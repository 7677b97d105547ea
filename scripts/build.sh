#!/usr/bin/env bash
# Configures and builds the project. Usage: scripts/build.sh [extra cmake arguments]
# The build folder is $TAVIREL_BUILD_DIR (default: build).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${TAVIREL_BUILD_DIR:-$root/build}"

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE="${TAVIREL_BUILD_TYPE:-RelWithDebInfo}" "$@" >/dev/null
cmake --build "$build" -- -j"$(nproc)"
