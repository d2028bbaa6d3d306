#!/bin/bash
# qj47r end to end: a key pressed and released back to back reaches the
# program. In each of several fresh starts of the real emulator (8, or
# $QJ_E2E_KEY_STARTS), right after the test IPL program has written its boot
# text, `xdotool key a` sends the press and the release of A one right after
# the other, mostly before the emulation has run its next slice; the program,
# which waits for any key, must answer "KEY 0402" (row 4, bit 1) every time.
# Then, under openbox as on a desktop, the key echo program loaded through
# File > Load ROM... shows the letter of every press the machine sees:
# `xdotool type --delay 0` sends all the presses and releases at one instant,
# so a doubled letter's release and second press come marked as the
# keyboard's own repeat (or unmarked with one timestamp, when they are read
# apart); every letter must show once, in order. A key held past the
# keyboard's repeat delay, whose repeats X11 now and then sends unmarked too,
# shows once.
# Usage: qj47r_key_e2e.sh path/to/qj47r path/to/KEYECHO.QJF
# Exits 77 (skipped) when Xvfb, openbox or the X tools are not installed.
set -u
QJ47R=$(realpath "$1")
ECHO=$(realpath "$2")

E2E_NAME=qj47r_key
source "$(dirname "$0")/e2e_session.sh"

source "$(dirname "$0")/qj47r_session.sh"

starts=${QJ_E2E_KEY_STARTS:-8}
seen=0
for ((i = 1; i <= starts; i++)); do
    start_emulator
    wait_text 60 "QJ-47R TEST 40" 0 0 40 || fail "start $i: the test program's text did not appear: $(cat "$work/cell.txt")"
    focus_main
    typed=$(date +%s.%N)
    xdotool key a
    if wait_text 5 "KEY 0402" 0 3 80; then
        seen=$((seen + 1))
        echo "start $i: the key answered after $(since "$typed") s"
    else
        echo "start $i: the key was not seen: $(cat "$work/cell.txt")"
        cp "$work/shot.png" "e2e_qj47r_key_missed_$i.png"
    fi
    kill "$pid"
    wait "$pid" 2>/dev/null
    pid=
done
echo "key: seen in $seen of $starts fresh starts"
[ "$seen" -eq "$starts" ] || fail "the key was missed in $((starts - seen)) of $starts starts"

# Whether the 80-column text cell at column $1, row $2 is dark all over.
blank() {
    [ "$(convert "$work/shot.png" -crop "8x16+$((SX + $1 * 8))+$((SY + $2 * 16))" +repage -colorspace Gray \
        -format '%[fx:maxima]' info:)" = 0 ]
}
# Types with xdotool ($1: its arguments) and waits until row 0 shows the text
# $2 and nothing after it, also a second later.
echoes() {
    local started
    started=$(date +%s.%N)
    xdotool $1
    wait_text 10 "$2" 0 0 80 || fail "after \"xdotool $1\" row 0 does not read $2: $(cat "$work/cell.txt")"
    sleep 1
    shown "$2" 0 0 80 && blank ${#2} 0 || fail "after \"xdotool $1\" row 0 reads more than $2"
    echo "echo: \"xdotool $1\" gave $2 after $(since "$started") s"
}

start_window_manager
start_emulator
# The window manager's frame is around the window: the screen's place from the
# corner of the window's own area.
eval "$(xwininfo -id "$main" | awk '/Absolute upper-left X/ { print "MX=" $4 } /Absolute upper-left Y/ { print "MY=" $4 }')"
SX=$MX
SY=$((MY + HEIGHT - 19 - 400))
wait_text 60 "QJ-47R TEST 40" 0 0 40 || fail "the test program's text did not appear: $(cat "$work/cell.txt")"
file_menu "$LOAD_ITEM"
open_file "Load Varnel Program" "$ECHO"
wait_until 10 eval 'shot && blank 0 0 && blank 1 0' || fail "the key echo program did not clear the screen"
focus_main
echoes "type --delay 0 hello" HELLO
echoes "type --delay 0 aabbccdd" HELLOAABBCCDD
echoes "type --delay 0 zzz" HELLOAABBCCDDZZZ
# Held for 1.5 s, past the repeat delay of the X server (660 ms).
echoes "keydown x sleep 1.5 keyup x" HELLOAABBCCDDZZZX
cp "$work/shot.png" e2e_qj47r_key_echo.png
echo "PASS"
