#!/bin/bash
# The tool windows on a desktop, end to end: the real emulator under openbox
# on a 1280x1024 screen, or on a screen of the size given with the main window
# moved to the place given before the tool windows open. The main window opens
# wholly on the screen; "Show Debugger", "Inspect I/O" and "Floppy Options"
# open their windows transient for the main window, wholly on the screen,
# covering neither the main window nor one another; a click into the emulated
# screen makes the main window active and leaves all three above it; a
# debugger covered by another window comes back to the front with the focus
# when "Show Debugger" is pressed again. Keeps a screenshot of the main window
# with the three tool windows open as e2e_tool_windows.png (or, with the main
# window moved, e2e_tool_windows_WxH.png).
# Usage: tool_windows_e2e.sh path/to/qj47r [WIDTHxHEIGHT X Y]
# Exits 77 (skipped) when Xvfb, openbox or the X tools are not installed.
set -u
QJ47R=$(realpath "$1")
CAPTION='Varnel QJ-47R Emulator'

SCREEN_W=1280 SCREEN_H=1024
MOVE_TO=
SHOT=e2e_tool_windows.png
if [ $# -ge 4 ]; then
    SCREEN_W=${2%x*} SCREEN_H=${2#*x}
    MOVE_TO="$3 $4"
    SHOT=e2e_tool_windows_$2.png
fi
E2E_SCREEN=${SCREEN_W}x$SCREEN_H

E2E_NAME=tool_windows
source "$(dirname "$0")/e2e_session.sh"
start_window_manager

export XDG_CONFIG_HOME="$work/config"
mkdir -p "$XDG_CONFIG_HOME"

# The id of a window as the window manager's lists write it.
hex() { printf '0x%x' "$1"; }

# Sets CX, CY, CW and CH to the client area of the window $1 on the screen.
client() {
    eval "$(xwininfo -id "$1" | awk '/Absolute upper-left X/ { print "CX=" $4 } /Absolute upper-left Y/ { print "CY=" $4 }
        /Width:/ { print "CW=" $2 } /Height:/ { print "CH=" $2 }')"
}
# Sets L, T, R and B to the frame of the window $1 (left, top, right and
# bottom, exclusive): its client area and the window manager's frame extents
# around it.
frame() {
    local el er et eb
    client "$1"
    read -r el er et eb <<<"$(xprop -id "$1" _NET_FRAME_EXTENTS | sed -n 's/.*= //p' | tr -d ',')"
    L=$((CX - ${el:-0})) T=$((CY - ${et:-0})) R=$((CX + CW + ${er:-0})) B=$((CY + CH + ${eb:-0}))
}
# Whether the rectangles "l t r b" $1 and $2 overlap.
overlap() {
    local a b
    read -r -a a <<<"$1"
    read -r -a b <<<"$2"
    [ "${a[0]}" -lt "${b[2]}" ] && [ "${b[0]}" -lt "${a[2]}" ] && [ "${a[1]}" -lt "${b[3]}" ] && [ "${b[1]}" -lt "${a[3]}" ]
}
# Where the window $1 lies in the stacking order, 1 at the bottom.
stack_place() {
    xprop -root _NET_CLIENT_LIST_STACKING | sed 's/.*# //' | tr ',' '\n' | tr -d ' ' | grep -n -x "$(hex "$1")" |
        cut -d: -f1
}
above() { [ "$(stack_place "$1")" -gt "$(stack_place "$2")" ]; }
active() { [ "$(xdotool getactivewindow 2>/dev/null)" = "$1" ]; }

# Whether the frame L T R B lies wholly on the screen.
on_screen() { [ "$L" -ge 0 ] && [ "$T" -ge 0 ] && [ "$R" -le "$SCREEN_W" ] && [ "$B" -le "$SCREEN_H" ]; }

start_window "$QJ47R" "$CAPTION" 60
main=$win
frame "$main"
on_screen || fail "the main window lies off the screen"
if [ -n "$MOVE_TO" ]; then
    read -r mx my <<<"$MOVE_TO"
    # The window manager places the frame's corner where the client's was asked for.
    xdotool windowmove "$main" "$mx" "$my"
    moved() { frame "$main"; [ "$L" -eq "$mx" ] && [ "$T" -eq "$my" ]; }
    wait_until 10 moved || fail "the main window did not move to $mx,$my: its frame is at $L,$T"
    sleep 0.5
fi
frame "$main"
MAIN="$L $T $R $B"
echo "main window: frame $MAIN"
# The client area ends with the 640 x 400 screen and the 19-pixel status bar,
# below the menu bar and the 41-pixel tool bar.
client "$main"
KEEP="$CX $((CY + CH - 419)) $((CX + 640)) $((CY + CH))"
TOOLS=$((CH - 419 - 41 + 20))
FLOPPY_BUTTON=150 # "Floppy Options"
DEBUG_BUTTON=237  # "Show Debugger"
IOMON_BUTTON=276  # "Inspect I/O"
press() { xdotool mousemove --window "$main" "$1" "$TOOLS" click 1; }

has_frame() { xprop -id "$1" _NET_FRAME_EXTENTS | grep -q =; }

# 1. The three tool windows, each beside the main window.
captions=("Z80 Debugger" "IOForm" "Floppy Drives")
buttons=("$DEBUG_BUTTON" "$IOMON_BUTTON" "$FLOPPY_BUTTON")
ids=()
frames=()
for n in 0 1 2; do
    caption=${captions[n]}
    press "${buttons[n]}"
    id=$(find_window "$caption" 20)
    [ -n "$id" ] || { shot; fail "the window \"$caption\" did not appear"; }
    wait_until 10 has_frame "$id" || fail "\"$caption\" got no frame"
    sleep 0.3
    frame "$id"
    echo "$caption: frame $L $T $R $B"
    on_screen || fail "\"$caption\" lies off the screen"
    ! overlap "$L $T $R $B" "$KEEP" || { shot; fail "\"$caption\" covers the emulated screen or the status bar"; }
    ! overlap "$L $T $R $B" "$MAIN" || { shot; fail "\"$caption\" covers the main window"; }
    for ((o = 0; o < n; o++)); do
        ! overlap "$L $T $R $B" "${frames[o]}" || { shot; fail "\"$caption\" covers \"${captions[o]}\""; }
    done
    transient=$(xprop -id "$id" WM_TRANSIENT_FOR | sed -n 's/.*# //p')
    [ "$transient" = "$(hex "$main")" ] || fail "\"$caption\" is transient for $transient, not the main window"
    ids+=("$id")
    frames+=("$L $T $R $B")
done
debugger=${ids[0]}
floppy=${ids[2]}

# 2. A click into the emulated screen (to type) activates the main window; the
# tool windows stay above it.
xdotool mousemove --window "$main" 320 $((CH - 19 - 200)) click 1
wait_until 10 active "$main" || fail "a click into the screen did not activate the main window"
sleep 0.5
for n in 0 1 2; do
    above "${ids[n]}" "$main" || { shot; fail "\"${captions[n]}\" went behind the main window"; }
done
shot
cp "$work/shot.png" "$SHOT"
echo "click into the screen: main window active, the three tool windows above it"

# 3. The floppy window moved over the debugger and activated: the debugger is
# behind it. "Show Debugger" brings the debugger to the front with the focus.
xdotool windowmove "$floppy" 700 100
xdotool windowactivate "$floppy" 2>/dev/null
wait_until 10 above "$floppy" "$debugger" || fail "the floppy window did not cover the debugger"
press "$DEBUG_BUTTON"
wait_until 10 above "$debugger" "$floppy" || { shot; fail "Show Debugger left the debugger behind the floppy window"; }
wait_until 10 active "$debugger" || fail "Show Debugger did not give the debugger the focus"
echo "Show Debugger: an open debugger came to the front with the focus"
echo "PASS"
