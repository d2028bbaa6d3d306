#!/bin/bash
# qj47r end to end: the rescue at its edges.
# (1) An image whose file name is 240 bytes long is written by the program,
#     its folder removed, and the program ended by SIGTERM: a rescued copy
#     under a name the file system takes (the stem shortened, the time and
#     the extension kept), holding the program's write, named on stderr; the
#     exit status is 1.
# (2) That copy deleted: the next start shows the box of the rescued images
#     (kept as e2e_qj47r_rescued_list.png, where it names the copy as no
#     longer there; the window tests check its text).
# The test IPL program, answering a key, copies sector 1 of the disc in drive
# A to sector 2 and shows "DONE".
# Usage: qj47r_rescue_e2e.sh path/to/qj47r path/to/e2e_make_dsk
# Exits 77 (skipped) when Xvfb or the X tools are not installed.
set -u
QJ47R=$(realpath "$1")
MAKE_DSK=$(realpath "$2")

E2E_NAME=qj47r_rescue
source "$(dirname "$0")/e2e_session.sh"

source "$(dirname "$0")/qj47r_session.sh"

# Mounts the image $1 in drive A of a fresh emulator, removes the image's
# folder, has the program write the disc and ends the emulator with SIGTERM:
# sets rescued to the copy its stderr names.
write_and_terminate() {
    local folder status
    folder=$(dirname "$1")
    cp "$1" "$work/original.dsk"
    start_emulator
    wait_text 60 "QJ-47R TEST 40" 0 0 40 || fail "the test program's text did not appear: $(cat "$work/cell.txt")"
    mount_drive_a "$1"
    rm -rf "$folder" # nothing can save the image now
    hold_key a
    wait_text 20 "DONE" 0 5 80 || fail "the program did not write the disc: $(cat "$work/cell.txt")"
    kill -TERM "$pid"
    wait "$pid"
    status=$?
    local log=$work/$E2E_NAME.log
    pid=
    [ "$status" -eq 1 ] || fail "the emulator ended with status $status, not 1: $(cat "$log")"
    rescued=$(sed -n "s/.*the machine's copy is in \(.*\)$/\1/p" "$log")
    [ -n "$rescued" ] && [ -f "$rescued" ] || fail "no rescued copy named on stderr: $(cat "$log")"
    expect_sector_copy "$rescued" "$work/original.dsk"
}

# ---- 1. A file name of 240 bytes ----

long=$(printf 'g%.0s' $(seq 236)).dsk
mkdir -p "$work/long"
"$MAKE_DSK" "$work/long/$long" || fail "cannot write the fixture disc image"
write_and_terminate "$work/long/$long"
first=$rescued
name=$(basename "$first")
[ "${#name}" -le 255 ] || fail "the copy's name has ${#name} bytes"
[[ "$name" =~ ^g+-[0-9]{8}-[0-9]{6}\.dsk$ ]] || fail "the copy's name $name lost its time or extension"
echo "a name of 240 bytes: rescued as ${name:0:12}...${name: -24} (${#name} bytes)"

# ---- 2. The next start tells a copy that is gone ----

rm -f "$first"
start_emulator
box=$(find_window "Rescued Disk Images" 20)
[ -n "$box" ] || { shot; fail "no box of the rescued images at the next start"; }
shot
cp "$work/shot.png" e2e_qj47r_rescued_list.png
xdotool windowfocus --sync "$box" 2>/dev/null
xdotool key Return
wait_until 10 dialog_gone "Rescued Disk Images" || fail "the box did not close"
echo "the next start: the box of the rescued images showed"
echo "PASS"
