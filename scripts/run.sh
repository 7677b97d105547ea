#!/usr/bin/env bash
# Sets up the machine, builds, and starts the tool. Arguments are passed to the tool.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${TAVIREL_BUILD_DIR:-$root/build}"

"$root/scripts/setup.sh"
TAVIREL_BUILD_DIR="$build" "$root/scripts/build.sh"

exec "$build/app/tavirel-config" "$@"
