#!/usr/bin/env bash
# Sets up the machine, builds, and runs every test headless through CTest.
# Usage: scripts/test.sh [extra cmake arguments]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${TAVIREL_BUILD_DIR:-$root/build}"

"$root/scripts/setup.sh"
TAVIREL_BUILD_DIR="$build" "$root/scripts/build.sh" "$@"

export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$build" --output-on-failure -j"$(nproc)" --timeout 300
