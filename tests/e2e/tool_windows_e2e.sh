#!/bin/bash
# The tool windows on a desktop, end to end: the real emulator under openbox
# on a 1280x1024 screen, or on a screen of the size given with the main window
# moved to the place given (a coordinate "middle" centres it on that axis)
# before the tool windows open. The main window opens wholly on the screen;
# "Show Debugger", "Inspect I/O" and "Floppy Options" open their windows
# transient for the main window, wholly on the screen, covering none of its
# menu items and tool buttons, nor one another, nor the rest of the main
# window; with "may-cover-screen" given (a screen without room beside the main
# window) they may cover the main window's emulated screen and the rest of it,
# together no more than half of the screen, and one another. A click into the emulated screen
# makes the main window active and leaves all three above it; a debugger
# covered by another window comes back to the front with the focus when "Show
# Debugger" is pressed again. Keeps a screenshot of the main window with the
# three tool windows open as e2e_tool_windows.png (or, with the main window
# moved, e2e_tool_windows_WxH.png).
# Usage: tool_windows_e2e.sh path/to/qj47r [WIDTHxHEIGHT X Y [may-cover-screen]]
# Exits 77 (skipped) when Xvfb, openbox or the X tools are not installed.
set -u
QJ47R=$(realpath "$1")
CAPTION='Varnel QJ-47R Emulator'

SCREEN_W=1280 SCREEN_H=1024
MOVE_TO=
SHOT=e2e_tool_windows.png
COVER_SCREEN=0
if [ $# -ge 4 ]; then
    SCREEN_W=${2%x*} SCREEN_H=${2#*x}
    MOVE_TO="$3 $4"
    SHOT=e2e_tool_windows_$2.png
    [ "${5:-}" = may-cover-screen ] && COVER_SCREEN=1
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

# The area that the rectangles "l t r b" $1 and $2 share.
shared_area() {
    local a b w h
    read -r -a a <<<"$1"
    read -r -a b <<<"$2"
    w=$(($((a[2] < b[2] ? a[2] : b[2])) - $((a[0] > b[0] ? a[0] : b[0]))))
    h=$(($((a[3] < b[3] ? a[3] : b[3])) - $((a[1] > b[1] ? a[1] : b[1]))))
    [ "$w" -gt 0 ] && [ "$h" -gt 0 ] && echo $((w * h)) || echo 0
}
# The right end (exclusive, on the screen) of what the screenshot shows in the
# rectangle "l t r b" $1 on the background of each of its rows (the colour at
# the row's right end): the texts of the menu items, the pictures of the tool
# buttons. The bars' backgrounds may shade from row to row.
drawn_right() {
    local r
    read -r -a r <<<"$1"
    convert "$work/shot.png" -crop "$((r[2] - r[0]))x$((r[3] - r[1]))+${r[0]}+${r[1]}" +repage -depth 8 txt:- |
        sed -nE 's/^([0-9]+),([0-9]+): *\(([0-9]+),([0-9]+),([0-9]+).*/\1 \2 \3 \4 \5/p' |
        awk -v w="$((r[2] - r[0]))" -v left="${r[0]}" '
            function far(a, b) { return (a > b ? a - b : b - a) }
            { c[$2, $1] = $3 " " $4 " " $5; if ($2 > rows) rows = $2 }
            END {
                best = -1
                for (y = 0; y <= rows; y++) {
                    split(c[y, w - 1], bg, " ")
                    for (x = w - 1; x > best; x--) {
                        split(c[y, x], p, " ")
                        if (far(p[1], bg[1]) + far(p[2], bg[2]) + far(p[3], bg[3]) > 60) { best = x; break }
                    }
                }
                print left + best + 1
            }'
}

# Whether the frame L T R B lies wholly on the screen.
on_screen() { [ "$L" -ge 0 ] && [ "$T" -ge 0 ] && [ "$R" -le "$SCREEN_W" ] && [ "$B" -le "$SCREEN_H" ]; }

start_window "$QJ47R" "$CAPTION" 60
main=$win
frame "$main"
on_screen || fail "the main window lies off the screen"
if [ -n "$MOVE_TO" ]; then
    read -r mx my <<<"$MOVE_TO"
    [ "$mx" = middle ] && mx=$(((SCREEN_W - (R - L)) / 2))
    [ "$my" = middle ] && my=$(((SCREEN_H - (B - T)) / 2))
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
MENU_H=$((CH - 419 - 41))
TOOLS=$((MENU_H + 20))
# The menu items and the tool buttons lie at the left of their bars: up to a
# few pixels right of the last menu text and of the last button's picture.
shot
menu_right=$(($(drawn_right "$CX $((CY + 3)) $((CX + CW)) $((CY + MENU_H - 3))") + 10))
tools_right=$(($(drawn_right "$CX $((CY + MENU_H + 4)) $((CX + CW)) $((CY + MENU_H + 37))") + 5))
# Four menus and nine 39-pixel buttons.
[ $((menu_right - CX)) -gt 100 ] && [ $((tools_right - CX)) -ge $((9 * 39)) ] ||
    fail "menu items and tool buttons found up to $((menu_right - CX)) and $((tools_right - CX)) pixels"
MENU_ITEMS="$CX $CY $menu_right $((CY + MENU_H))"
TOOL_BUTTONS="$CX $((CY + MENU_H)) $tools_right $((CY + MENU_H + 41))"
echo "menu items: $MENU_ITEMS; tool buttons: $TOOL_BUTTONS"
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
covered=0
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
    ! overlap "$L $T $R $B" "$MENU_ITEMS" || { shot; fail "\"$caption\" covers a menu of the main window"; }
    ! overlap "$L $T $R $B" "$TOOL_BUTTONS" || { shot; fail "\"$caption\" covers a tool button"; }
    if [ "$COVER_SCREEN" = 1 ]; then
        covered=$((covered + $(shared_area "$L $T $R $B" "$KEEP")))
    else
        ! overlap "$L $T $R $B" "$KEEP" || { shot; fail "\"$caption\" covers the emulated screen or the status bar"; }
        ! overlap "$L $T $R $B" "$MAIN" || { shot; fail "\"$caption\" covers the main window"; }
    fi
    # Without room, a tool window goes over another before over more of the
    # emulated screen: its tool button brings the other to the front again.
    for ((o = 0; o < n && !COVER_SCREEN; o++)); do
        ! overlap "$L $T $R $B" "${frames[o]}" || { shot; fail "\"$caption\" covers \"${captions[o]}\""; }
    done
    transient=$(xprop -id "$id" WM_TRANSIENT_FOR | sed -n 's/.*# //p')
    [ "$transient" = "$(hex "$main")" ] || fail "\"$caption\" is transient for $transient, not the main window"
    ids+=("$id")
    frames+=("$L $T $R $B")
done
debugger=${ids[0]}
floppy=${ids[2]}
if [ "$COVER_SCREEN" = 1 ]; then
    echo "the tool windows cover $((covered * 100 / (640 * 419)))% of the emulated screen and the status bar"
    [ $((covered * 2)) -le $((640 * 419)) ] || { shot; fail "the tool windows cover more than half of the screen"; }
fi

# 2. A click into the emulated screen (to type) activates the main window; the
# tool windows stay above it.
click_x=320 click_y=$((CH - 19 - 200))
for f in "${frames[@]}"; do
    ! overlap "$((CX + click_x)) $((CY + click_y)) $((CX + click_x + 1)) $((CY + click_y + 1))" "$f" ||
        fail "a tool window covers the middle of the emulated screen"
done
xdotool mousemove --window "$main" "$click_x" "$click_y" click 1
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
