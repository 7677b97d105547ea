#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing the tool need.
# Idempotent: prints nothing and changes nothing when everything is already there.
# Usage: scripts/setup.sh [fuzz]   ("fuzz" adds clang and libFuzzer's runtime for fuzz/run.sh)
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config ccache clang-format
    qtbase5-dev qtbase5-dev-tools libqt5svg5-dev libqt5opengl5-dev
    libhidapi-dev
    xvfb xauth libgl1-mesa-dri x11-apps imagemagick
    fonts-open-sans
)
if [ "${1:-}" = "fuzz" ]; then
    packages+=(clang libclang-rt-14-dev)
fi

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
if [ "$(id -u)" -ne 0 ]; then
    sudo="sudo"
fi
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
