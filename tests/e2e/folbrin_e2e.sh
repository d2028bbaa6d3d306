#!/bin/bash
# folbrin end to end: start the real program on a virtual X display, load a
# disc image through its window, open a sector dump and check a screenshot;
# then try to load a FIFO: a box says why not, and the window shows the image
# as before (its label, its tree, its dump).
# Usage: folbrin_e2e.sh path/to/folbrin path/to/e2e_make_dsk
# Exits 77 (skipped) when Xvfb or the X tools are not installed.
set -u
FOLBRIN=$(realpath "$1")
MAKE_DSK=$(realpath "$2")
MAIN_CAPTION='Varnel Emulation Disc Manager'
HEX_CAPTION='Hex Display of Sector / File'

E2E_NAME=folbrin
source "$(dirname "$0")/e2e_session.sh"

# Clicks at a point of a window, given in its client coordinates.
click() {
    xdotool mousemove --window "$1" "$2" "$3" click 1
    sleep 0.5 # longer than a double click
}

"$MAKE_DSK" "$work/Fixture.DSK" || fail "cannot write the fixture image"

start_window "$FOLBRIN" "$MAIN_CAPTION"
main=$win
sleep 1

# The file name edit (16, 24 in the group box at 8, 8), then Load (256, 56).
click "$main" 120 42
xdotool windowfocus --sync "$main"
xdotool type --delay 5 "$work/Fixture.DSK"
click "$main" 300 76

# The RAW sheet, then the tree: expand the disc node and its first track.
click "$main" 28 124
click "$main" 200 160
xdotool windowfocus --sync "$main"
xdotool key Home Right Down Right
sleep 0.5

# Click down the rows until a sector node opens the dump (disc and track rows do nothing).
hex=
for y in $(seq 150 6 330); do
    click "$main" 250 "$y"
    hex=$(xdotool search --onlyvisible --name "^$HEX_CAPTION\$" 2>/dev/null | head -1)
    [ -n "$hex" ] && break
done
[ -n "$hex" ] || { shot; fail "no sector dump window opened"; }
sleep 1

shot
cp "$work/shot.png" e2e_folbrin.png
window_geometry "$hex"
# The memo (8, 8, 617x417) of the dump window must hold text: dark glyphs on a light page.
region="$((617 - 40))x$((417 - 40))+$((X + 8 + 20))+$((Y + 8 + 20))"
colours=$(convert "$work/shot.png" -crop "$region" +repage -format '%k' info:)
mean=$(convert "$work/shot.png" -crop "$region" +repage -colorspace Gray -format '%[fx:mean]' info:)
echo "dump window $WIDTH x $HEIGHT at $X,$Y; memo region $region: $colours colours, mean $mean"
[ "$WIDTH" -ge 600 ] && [ "$HEIGHT" -ge 400 ] || fail "the dump window has the wrong size"
[ "$colours" -ge 2 ] || fail "the dump window is blank"
awk -v m="$mean" 'BEGIN { exit !(m > 0.3 && m < 0.995) }' || fail "the dump window shows no text (mean $mean)"

# A digest of the pixels of a rectangle (x, y, width, height) of the screenshot.
region() {
    convert "$work/shot.png" -crop "$3x$4+$1+$2" +repage -format '%#' info:
}

# The label, the tree and the dump, as they show with the main window in front
# (and the focus out of the tree, as it is after the refusal).
mkfifo "$work/pipe.dsk" || fail "cannot make a FIFO"
window_geometry "$hex"
shot
dump_before=$(region $((X + 30)) $((Y + 30)) 200 100)
xdotool windowraise "$main"
click "$main" 120 42
window_geometry "$main"
MX=$X MY=$Y
shot
label_before=$(region $((MX + 24)) $((MY + 64)) 209 17)
tree_before=$(region $((MX + 24)) $((MY + 150)) 380 200)

xdotool windowfocus --sync "$main" 2>/dev/null
xdotool key ctrl+a
xdotool type --delay 5 "$work/pipe.dsk"
click "$main" 300 76
box=$(timeout 10 xdotool search --sync --all --onlyvisible --pid "$pid" --name '^folbrin$' 2>/dev/null | head -1)
[ -n "$box" ] || { shot; fail "no box told why the FIFO was refused"; }
shot
cp "$work/shot.png" e2e_folbrin_refused.png
xdotool windowfocus --sync "$box" 2>/dev/null
xdotool key Return
sleep 1
[ -z "$(xdotool search --onlyvisible --name '^folbrin$' 2>/dev/null)" ] || fail "the box did not close"
xdotool windowraise "$main"
sleep 0.5
shot
[ "$(region $((MX + 24)) $((MY + 64)) 209 17)" = "$label_before" ] || fail "the label changed when the FIFO was refused"
[ "$(region $((MX + 24)) $((MY + 150)) 380 200)" = "$tree_before" ] || fail "the tree changed when the FIFO was refused"
[ -n "$(xdotool search --onlyvisible --name "^$HEX_CAPTION\$" 2>/dev/null)" ] || fail "the dump window went"
xdotool windowraise "$hex"
sleep 0.5
window_geometry "$hex"
shot
[ "$(region $((X + 30)) $((Y + 30)) 200 100)" = "$dump_before" ] || fail "the dump changed when the FIFO was refused"
echo "a FIFO refused: the label, the tree and the dump stay"

kill -0 "$pid" 2>/dev/null || fail "folbrin ended during the test"
echo "PASS"
