#!/bin/bash
# qj47r end to end: the user's disc images in the hard cases.
# (1) Two emulators that share one home folder, each with a written image
#     whose folder was removed, end by SIGTERM at the same moment (as at a
#     logout): two rescued copies under names of their own, each holding its
#     program's writes, each program naming its own copy on stderr, and both
#     ending with status 1.
# (2) A file of random bytes is mounted: a box at the mount says it is no
#     well-formed disc image. An image in the standard DSK layout: a box at
#     the mount too (kept as e2e_qj47r_standard_layout.png, where it says that
#     the machine reads the extended layout only; the window tests check its
#     text).
# (3) An image made read-only after the mount is written by the program: the
#     write-back's notice shows within a few seconds. Run as root, the program
#     runs as the unprivileged user "nobody" (root may write any file).
# The test IPL program, answering a key, copies sector 1 of the disc in drive
# A to sector 2 and shows "DONE".
# Usage: qj47r_data_safety_e2e.sh path/to/qj47r path/to/e2e_make_dsk
# Exits 77 (skipped) when Xvfb or the X tools are not installed.
set -u
QJ47R=$(realpath "$1")
MAKE_DSK=$(realpath "$2")

E2E_NAME=qj47r_data_safety
source "$(dirname "$0")/e2e_session.sh"

source "$(dirname "$0")/qj47r_session.sh"

# Two emulators show the same captions: only the windows of $pid count.
find_window() {
    timeout "${2:-30}" xdotool search --sync --all --onlyvisible --pid "$pid" --name "^$1\$" 2>/dev/null | head -1
}

# Closes the message box $1 with the caption $2.
close_box() {
    xdotool windowfocus --sync "$1" 2>/dev/null
    xdotool key Return
    wait_until 10 dialog_gone "$2" || fail "the box \"$2\" did not close"
}

others=()
trap 'for p in "${others[@]}"; do kill -9 "$p" 2>/dev/null; done; cleanup' EXIT

# Starts an emulator, waits for the boot text and mounts the image $1 in drive A.
start_with_disc() {
    start_emulator
    wait_text 60 "QJ-47R TEST 40" 0 0 40 || fail "the test program's text did not appear: $(cat "$work/cell.txt")"
    mount_drive_a "$1"
}

# ---- 1. Two emulators, one home, ended together ----

for n in 1 2; do
    mkdir -p "$work/disc$n"
    "$MAKE_DSK" "$work/disc$n/a.dsk" || fail "cannot write the fixture disc image"
    # The second image differs in sector 1, so that each copy shows whose it is.
    [ "$n" = 2 ] && printf '\x12\x34\x56\x78' | dd of="$work/disc2/a.dsk" bs=1 seek=$SECTOR1 conv=notrunc 2>/dev/null
    cp "$work/disc$n/a.dsk" "$work/original$n.dsk"
    start_with_disc "$work/disc$n/a.dsk"
    rm -rf "$work/disc$n" # the image's folder goes: nothing can save it now
    hold_key a
    wait_text 20 "DONE" 0 5 80 || fail "emulator $n did not write the disc: $(cat "$work/cell.txt")"
    mv "$work/$E2E_NAME.log" "$work/emulator$n.log" # it goes on writing there
    others+=("$pid")
    eval "pid$n=$pid"
done
pid=
kill -TERM "$pid1" "$pid2"
for n in 1 2; do
    eval "p=\$pid$n"
    wait "$p"
    status=$?
    [ "$status" -eq 1 ] || fail "emulator $n ended with status $status, not 1: $(cat "$work/emulator$n.log")"
done
others=()
copies=("$XDG_STATE_HOME"/qj47r/rescued/*.dsk)
[ "${#copies[@]}" -eq 2 ] && [ -f "${copies[0]}" ] || fail "the rescue folder holds ${#copies[@]} copies: $(ls "$XDG_STATE_HOME/qj47r/rescued")"
for n in 1 2; do
    told=$(sed -n "s/.*the machine's copy is in \(.*\)$/\1/p" "$work/emulator$n.log")
    [ -n "$told" ] || fail "emulator $n did not name its copy: $(cat "$work/emulator$n.log")"
    eval "told$n=\$told"
    expect_sector_copy "$told" "$work/original$n.dsk"
    echo "emulator $n: its copy is $(basename "$told")"
done
[ "$told1" != "$told2" ] || fail "both emulators named the same copy $told1"

# ---- 2 and 3: one emulator, as an unprivileged user where the script is root ----

home="$work/home"
mkdir -p "$home/discs" "$home/config" "$home/state"
if [ "$(id -u)" = 0 ]; then
    command -v setpriv >/dev/null || { echo "SKIP: setpriv is not installed"; exit 77; }
    chmod 755 "$work"
    cp "$XAUTHORITY" "$home/Xauthority"
    chown -R 65534:65534 "$home"
    runner="$work/as-nobody.sh"
    cat >"$runner" <<EOF
#!/bin/sh
exec setpriv --reuid=65534 --regid=65534 --clear-groups env HOME="$home" XAUTHORITY="$home/Xauthority" \
    XDG_CONFIG_HOME="$home/config" XDG_STATE_HOME="$home/state" XDG_RUNTIME_DIR="$home" "$QJ47R"
EOF
    chmod 755 "$runner"
    QJ47R=$runner
fi

head -c 1000 /dev/urandom >"$home/discs/random.dsk"
"$MAKE_DSK" --standard "$home/discs/standard.dsk" || fail "cannot write the standard-layout disc image"
"$MAKE_DSK" "$home/discs/ro.dsk" || fail "cannot write the fixture disc image"
cp "$home/discs/ro.dsk" "$work/original-ro.dsk"
[ "$(id -u)" = 0 ] && chown 65534:65534 "$home/discs/"*.dsk

# 2. Random bytes: mounted, with a box that says why the machine may find nothing.
start_with_disc "$home/discs/random.dsk"
box=$(find_window "Mounted Disk Image" 10)
[ -n "$box" ] || { shot; fail "no box at the mount of a file of random bytes"; }
shot
cp "$work/shot.png" e2e_qj47r_no_disc_image.png
close_box "$box" "Mounted Disk Image"
echo "random bytes: the box showed at the mount"

# The standard layout: mounted, with a box that says the machine does not read it.
mount_drive_a "$home/discs/standard.dsk"
box=$(find_window "Mounted Disk Image" 10)
[ -n "$box" ] || { shot; fail "no box at the mount of an image in the standard layout"; }
shot
cp "$work/shot.png" e2e_qj47r_standard_layout.png
close_box "$box" "Mounted Disk Image"
echo "standard layout: the box showed at the mount"

# 3. Read-only after the mount, then written: the notice within a few seconds.
mount_drive_a "$home/discs/ro.dsk"
[ -z "$(find_window "Mounted Disk Image" 2)" ] || fail "a box showed at the mount of a well-formed, writable image"
chmod 444 "$home/discs/ro.dsk"
hold_key a
wait_text 20 "DONE" 0 5 80 || fail "the program did not write the disc: $(cat "$work/cell.txt")"
written=$(date +%s.%N)
notice=$(find_window "Save Disk Image" 10)
[ -n "$notice" ] || { shot; fail "no notice of the write-back that failed: $(cat "$work/$E2E_NAME.log")"; }
after=$(since "$written")
shot
cp "$work/shot.png" e2e_qj47r_read_only_notice.png
cmp -s "$home/discs/ro.dsk" "$work/original-ro.dsk" || fail "the read-only image was written"
echo "read-only after the mount: the notice showed $after s after the write"
echo "PASS"
