#!/bin/bash
# qj47r end to end: a key pressed and released back to back reaches the
# program. In each of several fresh starts of the real emulator (8, or
# $QJ_E2E_KEY_STARTS), right after the test IPL program has written its boot
# text, `xdotool key a` sends the press and the release of A one right after
# the other, mostly before the emulation has run its next slice; the program,
# which waits for any key, must answer "KEY 0402" (row 4, bit 1) every time.
# Usage: qj47r_key_e2e.sh path/to/qj47r
# Exits 77 (skipped) when Xvfb or the X tools are not installed.
set -u
QJ47R=$(realpath "$1")

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
echo "PASS"
