#!/bin/bash
# qj47r end to end: a program's disc writes outlive the program's end by
# kill -9 and the loss of its display. The test IPL program, answering a key,
# copies sector 1 of the disc in drive A to sector 2. (1) Once the automatic
# write-back's delay has passed, kill -9 ends the program: the image file
# holds the write. (2) On a fresh start the X server goes away right after the
# write, long before the write-back's delay (its connection to the X server is
# cut): the program ends, and the image file holds the write all the same.
# Usage: qj47r_writeback_e2e.sh path/to/qj47r path/to/e2e_make_dsk
# Exits 77 (skipped) when Xvfb or the X tools are not installed.
set -u
QJ47R=$(realpath "$1")
MAKE_DSK=$(realpath "$2")

E2E_NAME=qj47r_writeback
source "$(dirname "$0")/e2e_session.sh"

source "$(dirname "$0")/qj47r_session.sh"

# Starts the emulator with the fixture disc $1 in drive A and has the program
# write it; sets written (the time the program showed "DONE").
write_disc() {
    "$MAKE_DSK" "$1" || fail "cannot write the fixture disc image"
    # Kept in a folder of its own: a name that starts like the disc's would
    # show in the open dialog's completion while its name is typed.
    mkdir -p "$work/original"
    cp "$1" "$work/original/"
    start_emulator
    wait_text 60 "QJ-47R TEST 40" 0 0 40 || fail "the test program's text did not appear: $(cat "$work/cell.txt")"
    mount_drive_a "$1"
    hold_key a
    wait_text 20 "DONE" 0 5 80 || fail "the program did not write the disc: $(cat "$work/cell.txt")"
    written=$(date +%s.%N)
    cmp -s "$1" "$work/original/$(basename "$1")" && return
    echo "note: the image was saved before the program showed DONE"
}

# 1. kill -9 after the write-back's delay.
write_disc "$work/killed.dsk"
sleep 3.5
kill -9 "$pid"
wait "$pid" 2>/dev/null
pid=
expect_sector_copy "$work/killed.dsk" "$work/original/killed.dsk"
echo "kill -9: the write was in the file $(since "$written") s after it was made"

# 2. The display goes away before the write-back's delay: the X server closes
# the program's connection (as it does when it ends, or when a window is
# killed from the desktop).
write_disc "$work/lost.dsk"
cmp -s "$work/lost.dsk" "$work/original/lost.dsk" || fail "the image was saved before the display went"
lost=$(since "$written")
awk -v t="$lost" 'BEGIN { exit !(t < 2.5) }' || fail "the display went only $lost s after the write"
xdotool windowkill "$main"
ended() { ! kill -0 "$pid" 2>/dev/null; }
wait_until 20 ended || fail "the program did not end when its display went"
wait "$pid" 2>/dev/null
status=$?
pid=
echo "display lost $lost s after the write: the program ended with status $status"
expect_sector_copy "$work/lost.dsk" "$work/original/lost.dsk"
[ -z "$(ls -A "$XDG_STATE_HOME/qj47r/rescued" 2>/dev/null)" ] || fail "an image was rescued though its file could be written"
echo "PASS"
