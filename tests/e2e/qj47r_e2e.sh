#!/bin/bash
# qj47r end to end: start the real emulator from the build folder, where the
# build placed the test IPL program and font in roms/; wait for the program's
# text on the screen; mount a fixture disc image in drive A through the floppy
# window and its open dialog; open the debugger, stop the machine, step it and
# see that a key typed meanwhile goes unseen while it is stopped; run it again:
# the key, still down for the machine, is answered on the screen before the
# program copies sector 1 of the disc to sector 2; load a QJF program through File > Load ROM... and see its line;
# quit with File > Exit and find the disc image saved with what the program
# wrote. Cells are compared pixel by pixel with the glyphs of the character
# generator in roms/.
# Usage: qj47r_e2e.sh path/to/qj47r path/to/TEST.QJF path/to/e2e_make_dsk
# Exits 77 (skipped) when Xvfb or the X tools are not installed.
set -u
QJ47R=$(realpath "$1")
PROGRAM=$(realpath "$2")
MAKE_DSK=$(realpath "$3")

E2E_NAME=qj47r
source "$(dirname "$0")/e2e_session.sh"

DISC="$work/drive_a.dsk"
"$MAKE_DSK" "$DISC" || fail "cannot write the fixture disc image"
cp "$DISC" "$work/original.dsk"

source "$(dirname "$0")/qj47r_session.sh"
start_emulator

# 1. The test IPL program boots and writes its 40-column screen.
wait_text 60 "QJ-47R TEST 40" 0 0 40 || fail "the test program's text did not appear: $(cat "$work/cell.txt")"
text "END" 37 24 40 || fail "the last row is wrong: $(cat "$work/cell.txt")"
cp "$work/shot.png" e2e_qj47r_boot.png
echo "boot: 17 cells of 40-column text after $(since "$started") s"

# 2. "Floppy Options", then drive A's "Mount" and the open dialog: the drive's
# label shows the file instead of "NOT MOUNTED".
mount_drive_a "$DISC"
echo "floppy: drive A mounted"

# 3. "Show Debugger": it runs (caption "Stop", Step Into disabled). Stop it:
# the caption changes and Step Into is enabled; a step moves PC.
xdotool mousemove --window "$main" "$DEBUG_BUTTON" "$TOOLS" click 1
debugger=$(find_window "Z80 Debugger" 20)
[ -n "$debugger" ] || { shot; fail "the debugger did not appear"; }
window_geometry "$debugger"
# The insides of BtnStep and BtnRun, where their captions are, and EditPC.
STEP="26 418 48 15"
RUN="91 418 40 15"
PC="274 84 40 18"
# Step Into's caption: black when enabled, grey when not.
step_into() {
    awk -v d="$(darkest $STEP)" 'BEGIN { print (d < 0.25) ? "enabled" : (d > 0.4) ? "disabled" : "unclear" }'
}
stopped() { shot && [ "$(step_into)" = enabled ]; }
running() { shot && [ "$(step_into)" = disabled ]; }
press() { xdotool mousemove --window "$debugger" "$1" 425 click 1; }
RUN_BUTTON=111
STEP_BUTTON=50

wait_until 10 running || fail "the debugger does not show the machine running (Step Into $(step_into))"
cp "$work/shot.png" e2e_qj47r_debugger.png
before=$(region $RUN)
press $RUN_BUTTON
wait_until 10 stopped || fail "Stop did not enable Step Into"
[ "$(region $RUN)" != "$before" ] || fail "the Run button's caption did not change"
cp "$work/shot.png" e2e_qj47r_stopped.png
before=$(region $PC)
press $STEP_BUTTON
wait_until 10 changed $PC || fail "Step Into did not move PC"
echo "debugger: stopped, stepped"

# 4. Stopped, the machine does not see a key typed; its press stays in the
# key matrix until the machine has run long enough to see it.
hold_key a
sleep 1
shown "QJ-47R TEST 40" 0 0 40 || fail "the program answered a key while stopped: $(cat "$work/cell.txt")"

# 5. Run again: the program answers that key (A: row 4, bit 1) in 80 columns,
# then copies the sector and shows how many bytes it read.
window_geometry "$debugger"
resumed=$(date +%s.%N)
press $RUN_BUTTON
wait_until 10 running || fail "Run did not disable Step Into"
wait_text 20 "KEY 0402" 0 3 80 || fail "the program did not see the key typed while stopped: $(cat "$work/cell.txt")"
text "QJ-47R TEST 80 COLUMNS" 0 2 80 || fail "the 80-column line is wrong: $(cat "$work/cell.txt")"
echo "key: the key typed while stopped answered $(since "$resumed") s after Run"
wait_text 20 "DISC 0200" 0 4 80 || fail "the program did not copy the sector: $(cat "$work/cell.txt")"
wait_text 20 "DONE" 0 5 80 || fail "the program did not finish: $(cat "$work/cell.txt")"
cp "$work/shot.png" e2e_qj47r_key.png
echo "disc: 512 bytes read and written"

# 6. File > Load ROM...: the open dialog takes the file name typed into it.
file_menu "$LOAD_ITEM"
loaded=$(date +%s.%N)
open_file "Load Varnel Program" "$PROGRAM"
wait_text 20 "QJF PROGRAM LOADED" 0 12 80 || fail "the loaded program's line did not appear: $(cat "$work/cell.txt")"
cp "$work/shot.png" e2e_qj47r_load.png
echo "load: the program's line after $(since "$loaded") s"

# 7. File > Exit ends the program at once, saving the disc and the settings.
file_menu "$EXIT_ITEM"
closed=$(date +%s.%N)
ended() { ! kill -0 "$pid" 2>/dev/null; }
wait_until 10 ended || fail "File > Exit did not end the program"
took=$(since "$closed")
wait "$pid"
status=$?
pid=
[ "$status" -eq 0 ] || fail "the program ended with status $status"
echo "exit: status 0 after $took s"
awk -v t="$took" 'BEGIN { exit !(t < 3) }' || fail "the program took $took s to end"
grep -q '^RamExpansion=TRUE' "$XDG_CONFIG_HOME/qj47r.ini" || fail "no settings saved"

expect_sector_copy "$DISC" "$work/original.dsk"
echo "disc: saved, sector 2 the complement of sector 1"
echo "PASS"
