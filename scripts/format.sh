#!/usr/bin/env bash
# Formats the project's C++ sources with the committed .clang-format.
# Usage: scripts/format.sh          format every tracked source in place
#        scripts/format.sh --check  change nothing; list the files that are not formatted
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"

mapfile -t sources < <(git ls-files '*.cpp' '*.h')
if [ "${1:-}" = "--check" ]; then
    unformatted=()
    for f in "${sources[@]}"; do
        if ! clang-format --dry-run --Werror "$f" >/dev/null 2>&1; then
            unformatted+=("$f")
        fi
    done
    if [ ${#unformatted[@]} -ne 0 ]; then
        echo "Not formatted (run scripts/format.sh):"
        printf '  %s\n' "${unformatted[@]}"
        exit 1
    fi
    exit 0
fi
clang-format -i "${sources[@]}"
