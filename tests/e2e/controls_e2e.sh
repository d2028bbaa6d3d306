#!/bin/bash
# The graphics library's bars and image views on a real X server: start a
# window with them, check colours of the bars and of a bitmap layer carried by
# a rubber band, drag the band with the mouse and check that the layer moved.
# Usage: controls_e2e.sh path/to/e2e_controls_view
# Exits 77 (skipped) when Xvfb or the X tools are not installed.
set -u
VIEW=$(realpath "$1")
CAPTION='Graphics controls check'

E2E_NAME=controls
source "$(dirname "$0")/e2e_session.sh"

start_window "$VIEW" "$CAPTION"
sleep 1
window_geometry "$win"
echo "window $WIDTH x $HEIGHT at $X,$Y"

shot
cp "$work/shot.png" e2e_controls.png
expect 10 10 A0A0A0  # the classic range bar's sunken border
expect 11 11 E3E3E3  # its raised arrow button
expect 331 63 A0A0A0 # the disabled flat gauge bar's shadow side
expect 122 192 28A028 # the bitmap layer under the rubber band
expect 200 192 E6E6D2 # the scrolled bitmap beside it

# Drag the band by (40, 20): the layer follows.
xdotool mousemove $((X + 122)) $((Y + 192)) mousedown 1
for step in 1 2 3 4; do
    xdotool mousemove $((X + 122 + step * 10)) $((Y + 192 + step * 5))
    sleep 0.1
done
xdotool mouseup 1
sleep 1
shot
cp "$work/shot.png" e2e_controls_dragged.png
expect 200 240 28A028 # now inside the layer
expect 70 160 E6E6D2  # uncovered again

kill -0 "$pid" 2>/dev/null || fail "the window's program ended during the test"
echo "PASS"
