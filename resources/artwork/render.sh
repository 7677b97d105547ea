#!/usr/bin/env bash
# Renders the drawings of this folder into the images the application bundles
# (resources/images/WindowsStyles). Needs Qt 5 SVG (libqt5svg5-dev) and ImageMagick.
# Run it after changing a drawing and commit the resulting images.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
out="$here/../images/WindowsStyles"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

g++ -std=c++17 -fPIC -O1 -o "$work/svg2png" "$here/svg2png.cpp" \
    $(pkg-config --cflags --libs Qt5Svg Qt5Gui)
export XDG_RUNTIME_DIR="$work"
render() { QT_QPA_PLATFORM=offscreen "$work/svg2png" "$here/$1" "$out/$2" "${@:3}"; }

mkdir -p "$out"
render Logo.svg Logo_260x64.png
render AppIcon.svg AppIcon_64x64.png
render StatusOn.svg StatusOn_45_71.png
render StatusOff.svg StatusOff_54-71.png
render DoNotTouch.svg DoNotTouch.png
render WireDiag.svg Wire_diag_30x27.png
render SwitchOn.svg SwitchOn_90x40.png
render SwitchOff.svg SwitchOff_90x40.png
render FpcConnector.svg FPC_Con_500x162.png

# The feedback animation: the dot ring turned one dot further per frame, on the
# window's light background because GIF transparency has no soft edges.
frames=()
for i in $(seq 0 11); do
    QT_QPA_PLATFORM=offscreen "$work/svg2png" "$here/Feedback.svg" "$work/frame$i.png" \
        "$((i * 30))" "#f0f0f0"
    frames+=("$work/frame$i.png")
done
convert -delay 8 -loop 0 -dispose background "${frames[@]}" "$out/Feedback_48x48.gif"
