#!/usr/bin/env bash
# Sets up the machine, builds, and starts the tool. Arguments are passed to the tool.
#
# Without a tavirel controller on USB the tool starts against its built-in virtual
# controller (--simulate), unless the arguments already choose a mode. Without a display
# it runs under Xvfb and saves a picture of the main window instead of showing it
# (file: $TAVIREL_SCREENSHOT, default ./tavirel-main-window.png).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${TAVIREL_BUILD_DIR:-$root/build}"

"$root/scripts/setup.sh"
TAVIREL_BUILD_DIR="$build" "$root/scripts/build.sh"
tool="$build/app/tavirel-config"

# The USB ids of the controller boards the tool knows.
controller_connected() {
    local device vid pid
    for device in /sys/bus/usb/devices/*; do
        [ -r "$device/idVendor" ] && [ -r "$device/idProduct" ] || continue
        vid="$(cat "$device/idVendor")"
        pid="$(cat "$device/idProduct")"
        case "$vid:$pid" in
            25c8:0014 | 102e:0014 | 14c8:0005) return 0 ;;
        esac
    done
    return 1
}

mode_chosen() {
    local arg
    for arg in "$@"; do
        case "$arg" in
            --simulate | --scenario | --scenario=* | -r | --replay | -f | --file | --file=* | \
                -h | --help | --help-all | -v | --version) return 0 ;;
        esac
    done
    return 1
}

display_usable() {
    [ -n "${WAYLAND_DISPLAY:-}" ] && return 0
    [ -n "${DISPLAY:-}" ] || return 1
    if [[ "$DISPLAY" =~ ^:([0-9]+) ]]; then
        [ -S "/tmp/.X11-unix/X${BASH_REMATCH[1]}" ]
        return
    fi
    return 0
}

args=("$@")
if ! mode_chosen "$@" && ! controller_connected; then
    echo "No tavirel controller on USB: starting against the virtual controller (--simulate)."
    args+=(--simulate)
fi

if display_usable; then
    exec "$tool" "${args[@]}"
fi

shot="${TAVIREL_SCREENSHOT:-$PWD/tavirel-main-window.png}"
echo "No display: running under Xvfb; the main window is saved to $shot"
export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$(mktemp -d)}"
xvfb-run -a -s "-screen 0 1280x800x24" "$tool" "${args[@]}" --screenshot "$shot"
echo "Saved: $shot"
