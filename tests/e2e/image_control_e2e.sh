#!/bin/bash
# The image control on a real X server: start a window that shows a bitmap of
# colour bands with alpha 0, wait for a cell drawn into it later, and check
# the colours in a screenshot.
# Usage: image_control_e2e.sh path/to/e2e_image_control_view
# Exits 77 (skipped) when Xvfb or the X tools are not installed.
set -u
VIEW=$(realpath "$1")
CAPTION='Image control check'

E2E_NAME=image_control
source "$(dirname "$0")/e2e_session.sh"

start_window "$VIEW" "$CAPTION"
sleep 2 # past the late cell

shot
cp "$work/shot.png" e2e_image_control.png
window_geometry "$win"
echo "window $WIDTH x $HEIGHT at $X,$Y"
[ "$WIDTH" -eq 640 ] && [ "$HEIGHT" -eq 400 ] || fail "the window is not 640 x 400"

expect 40 20 FF0000
expect 120 380 00FF00
expect 200 200 0000FF
expect 300 200 FFFFFF
expect 360 10 FFFF00
expect 440 390 00FFFF
expect 520 200 FF00FF
expect 639 399 808080
expect 284 200 000000 # the cell drawn after the first paint
expect 279 200 FFFFFF
expect 288 200 FFFFFF

kill -0 "$pid" 2>/dev/null || fail "the window's program ended during the test"
echo "PASS"
