#!/bin/bash
# qj47r end to end: start the real emulator from the build folder, where the
# build placed the test IPL program and font in roms/; wait for the program's
# text on the screen; mount a fixture disc image in drive A through the floppy
# window and its open dialog; open the debugger, stop the machine, step it and
# see that a key held meanwhile goes unseen; run it again and type a key, which
# the program answers on the screen before it copies sector 1 of the disc to
# sector 2; load a QJF program through File > Load ROM... and see its line;
# quit with File > Exit and find the disc image saved with what the program
# wrote. Cells are compared pixel by pixel with the glyphs of the character
# generator in roms/.
# Usage: qj47r_e2e.sh path/to/qj47r path/to/TEST.QJF path/to/e2e_make_dsk
# Exits 77 (skipped) when Xvfb or the X tools are not installed.
set -u
QJ47R=$(realpath "$1")
PROGRAM=$(realpath "$2")
MAKE_DSK=$(realpath "$3")
FONT=$(dirname "$QJ47R")/roms/qjfont.bin
CAPTION='Varnel QJ-47R Emulator'

E2E_NAME=qj47r
source "$(dirname "$0")/e2e_session.sh"

[ -f "$FONT" ] || fail "no character generator at $FONT"
# The settings of this run stay in its own folder.
export XDG_CONFIG_HOME="$work/config"
mkdir -p "$XDG_CONFIG_HOME"
# The disc: 512-byte sectors 1 to 9 on each track, after the image's 256-byte
# header and the track's 256-byte header: sector 1 at 512, sector 2 at 1024.
DISC="$work/drive_a.dsk"
"$MAKE_DSK" "$DISC" || fail "cannot write the fixture disc image"
cp "$DISC" "$work/original.dsk"
SECTOR1=512
SECTOR2=1024
SECTOR_BYTES=512

started=$(date +%s.%N)
start_window "$QJ47R" "$CAPTION" 60
main=$win
window_geometry "$main"
echo "main window $WIDTH x $HEIGHT at $X,$Y"
[ "$WIDTH" -eq 640 ] || fail "the main window is $WIDTH wide, not 640"
MX=$X
MY=$Y
# The screen is the 640 x 400 above the 19-pixel status bar; the menu bar is
# above the 41-pixel tool bar, whose buttons are 39 pixels wide.
SX=$X
SY=$((Y + HEIGHT - 19 - 400))
MENU=$((HEIGHT - 19 - 400 - 41))
[ "$MENU" -gt 10 ] && [ "$MENU" -lt 40 ] || fail "no room for the menu bar ($MENU pixels)"
TOOLS=$((MENU + 20))
# The File menu's items, from the top of the window: "Load ROM..." and, past the separator, "Exit".
LOAD_ITEM=$((MENU + 10))
EXIT_ITEM=$((MENU + 34))
FLOPPY_BUTTON=150 # "Floppy Options", the fourth button after a separator
DEBUG_BUTTON=237  # "Show Debugger", the sixth after two separators

since() { awk -v a="$1" -v b="$(date +%s.%N)" 'BEGIN { printf "%.2f", b - a }'; }

# The character generator: 8 bytes a glyph.
read -r -a glyphs <<<"$(od -An -v -tu1 "$FONT" | tr '\n' ' ')"

# Whether the text starts at column, row (40 or 80 columns): every pixel lit
# green where the glyph has a dot (scan lines doubled, the default), dark
# elsewhere; spaces are not checked. Writes the first wrong pixel to
# $work/cell.txt otherwise.
text() {
    local s=$1 col=$2 row=$3 cols=$4 w=16 i g r bytes=""
    [ "$cols" = 80 ] && w=8
    for ((i = 0; i < ${#s}; i++)); do
        g=$(printf '%d' "'${s:i:1}")
        for r in 0 1 2 3 4 5 6 7; do bytes+="${glyphs[g * 8 + r]} "; done
    done
    convert "$work/shot.png" -crop "$((${#s} * w))x16+$((SX + col * w))+$((SY + row * 16))" +repage -depth 8 txt:- |
        sed -nE 's/^([0-9]+),([0-9]+): *\(([0-9]+),([0-9]+),([0-9]+).*/\1 \2 \3 \4 \5/p' |
        awk -v bytes="$bytes" -v w="$w" -v s="$s" '
            BEGIN { split(bytes, b, " "); bad = 0; n = 0 }
            {
                n++
                c = int($1 / w); x = $1 % w; y = $2; ch = substr(s, c + 1, 1)
                if (bad || ch == " ") next
                bit = (w == 16) ? int(x / 2) : x
                dot = int(b[c * 8 + int(y / 2) + 1] / 2 ^ (7 - bit)) % 2
                lit = ($4 > 64 && $3 < 64 && $5 < 64)
                dark = ($3 < 16 && $4 < 16 && $5 < 16)
                if ((dot && !lit) || (!dot && !dark)) {
                    printf "%s: pixel %d,%d is %d,%d,%d\n", ch, x, y, $3, $4, $5
                    bad = 1
                }
            }
            END { exit (bad || n != length(s) * w * 16) }' >"$work/cell.txt"
}
shown() { shot && text "$@"; }

# Waits up to $1 seconds until the text shows.
wait_text() {
    local limit=$1
    shift
    wait_until "$limit" shown "$@"
}

# A digest of the pixels of a rectangle (x, y, width, height from X, Y) of the screenshot.
region() {
    convert "$work/shot.png" -crop "$3x$4+$((X + $1))+$((Y + $2))" +repage -format '%#' info:
}
# The darkest grey (0 black, 1 white) in such a rectangle.
darkest() {
    convert "$work/shot.png" -crop "$3x$4+$((X + $1))+$((Y + $2))" +repage -colorspace Gray -format '%[fx:minima]' info:
}
changed() { shot && [ "$(region "$@")" != "$before" ]; }

# Holds the key down for a while, as a person does, so that a slice runs
# while it is down; the main window has the focus and the pointer.
hold_key() {
    xdotool mousemove --window "$main" 320 $((SY - MY + 200)) click 1
    xdotool windowfocus --sync "$main" 2>/dev/null
    xdotool keydown "$1"
    sleep 0.3
    xdotool keyup "$1"
}

# Types the file name into the open dialog with the caption $1 and waits until it has gone.
open_file() {
    local dialog
    dialog=$(find_window "$1" 20)
    [ -n "$dialog" ] || { shot; fail "the open dialog \"$1\" did not appear"; }
    xdotool windowfocus --sync "$dialog" 2>/dev/null
    xdotool type --delay 5 "$2"
    xdotool key Return
    wait_until 20 dialog_gone "$1" || { shot; fail "the open dialog \"$1\" stayed open"; }
}
dialog_gone() { [ -z "$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null)" ]; }

# Opens the File menu, waits until it shows, and clicks the item at $1 pixels
# from the top of the main window.
file_menu() {
    X=$MX
    Y=$MY
    shot
    before=$(region 4 $((MENU + 4)) 100 40)
    xdotool mousemove --window "$main" 16 $((MENU / 2)) click 1
    wait_until 10 changed 4 $((MENU + 4)) 100 40 || fail "the File menu did not open"
    xdotool mousemove --window "$main" 40 "$1" click 1
}

# 1. The test IPL program boots and writes its 40-column screen.
wait_text 60 "QJ-47R TEST 40" 0 0 40 || fail "the test program's text did not appear: $(cat "$work/cell.txt")"
text "END" 37 24 40 || fail "the last row is wrong: $(cat "$work/cell.txt")"
cp "$work/shot.png" e2e_qj47r_boot.png
echo "boot: 17 cells of 40-column text after $(since "$started") s"

# 2. "Floppy Options", then drive A's "Mount" and the open dialog: the drive's
# label shows the file instead of "NOT MOUNTED".
xdotool mousemove --window "$main" "$FLOPPY_BUTTON" "$TOOLS" click 1
floppy=$(find_window "Floppy Drives" 20)
[ -n "$floppy" ] || { shot; fail "the floppy window did not appear"; }
window_geometry "$floppy"
shot
before=$(region 18 24 281 16) # Label1
xdotool mousemove --window "$floppy" 62 54 click 1
open_file "Mount Disk Image" "$DISC"
wait_until 10 changed 18 24 281 16 || fail "drive A's label did not change"
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

# 4. Stopped, the machine does not see a key.
hold_key a
sleep 1
shown "QJ-47R TEST 40" 0 0 40 || fail "the program answered a key while stopped: $(cat "$work/cell.txt")"

# 5. Run again: the program answers a key (A: row 4, bit 1) in 80 columns,
# then copies the sector and shows how many bytes it read.
window_geometry "$debugger"
press $RUN_BUTTON
wait_until 10 running || fail "Run did not disable Step Into"
typed=$(date +%s.%N)
hold_key a
wait_text 20 "KEY 0402" 0 3 80 || fail "the program did not see the key: $(cat "$work/cell.txt")"
text "QJ-47R TEST 80 COLUMNS" 0 2 80 || fail "the 80-column line is wrong: $(cat "$work/cell.txt")"
echo "key: answered after $(since "$typed") s"
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

# Sector 2 of the image holds the complement of sector 1; nothing else changed.
[ "$(stat -c %s "$DISC")" -eq "$(stat -c %s "$work/original.dsk")" ] || fail "the saved image changed its size"
cmp -l "$work/original.dsk" "$DISC" | awk -v from=$((SECTOR2 + 1)) -v to=$((SECTOR2 + SECTOR_BYTES)) '
    $1 < from || $1 > to { printf "byte %d changed outside sector 2\n", $1 - 1; bad = 1; exit }
    { n++ }
    END { if (!bad && n == 0) print "sector 2 was not written"; exit (bad || n == 0) }' ||
    fail "the disc image was not saved as the program wrote it"
paste <(od -An -v -tu1 -w1 -j "$SECTOR1" -N "$SECTOR_BYTES" "$DISC") \
    <(od -An -v -tu1 -w1 -j "$SECTOR2" -N "$SECTOR_BYTES" "$DISC") |
    awk '$1 + $2 != 255 { printf "byte %d of sector 2 is %d, sector 1 has %d\n", NR - 1, $2, $1; exit 1 }' ||
    fail "sector 2 does not hold the complement of sector 1"
echo "disc: saved, sector 2 the complement of sector 1"
echo "PASS"
