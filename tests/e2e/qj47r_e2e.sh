#!/bin/bash
# qj47r end to end: start the real emulator from the build folder, where the
# build placed the test IPL program and font in roms/; wait for the program's
# text on the screen, type a key and see the program answer, load a QJF
# program through File > Load ROM... and its open dialog, see its line, and
# quit with File > Exit. Cells are compared pixel by pixel with the glyphs of
# the character generator in roms/.
# Usage: qj47r_e2e.sh path/to/qj47r path/to/TEST.QJF
# Exits 77 (skipped) when Xvfb or the X tools are not installed.
set -u
QJ47R=$(realpath "$1")
PROGRAM=$(realpath "$2")
FONT=$(dirname "$QJ47R")/roms/qjfont.bin
CAPTION='Varnel QJ-47R Emulator'
DIALOG='Load Varnel Program'

E2E_NAME=qj47r
source "$(dirname "$0")/e2e_session.sh"

[ -f "$FONT" ] || fail "no character generator at $FONT"
# The settings of this run stay in its own folder.
export XDG_CONFIG_HOME="$work/config"
mkdir -p "$XDG_CONFIG_HOME"

unset QT_QPA_PLATFORM
started=$(date +%s.%N)
ASAN_OPTIONS=detect_leaks=0 "$QJ47R" >"$work/qj47r.log" 2>&1 &
pid=$!

main=$(timeout 60 xdotool search --sync --onlyvisible --name "^$CAPTION\$" | head -1)
[ -n "$main" ] || fail "the main window did not appear"
eval "$(xdotool getwindowgeometry --shell "$main")"
echo "main window $WIDTH x $HEIGHT at $X,$Y"
[ "$WIDTH" -eq 640 ] || fail "the main window is $WIDTH wide, not 640"
# The screen is the 640 x 400 above the 19-pixel status bar; the menu bar is
# above the 41-pixel tool bar.
SX=$X
SY=$((Y + HEIGHT - 19 - 400))
MENU=$((HEIGHT - 19 - 400 - 41))
[ "$MENU" -gt 10 ] && [ "$MENU" -lt 40 ] || fail "no room for the menu bar ($MENU pixels)"

shot() { import -window root "$work/shot.png" || fail "no screenshot"; }

# Whether the cell at column, row (40 or 80 columns) shows the character:
# every pixel lit green where the glyph has a dot (scan lines doubled, the
# default), dark elsewhere. Prints the first wrong pixel otherwise.
cell() {
    local col=$1 row=$2 ch=$3 cols=$4 w=16 glyph bytes
    [ "$cols" = 80 ] && w=8
    glyph=$(printf '%d' "'$ch")
    bytes=$(od -An -tu1 -j $((glyph * 8)) -N8 "$FONT")
    convert "$work/shot.png" -crop "${w}x16+$((SX + col * w))+$((SY + row * 16))" +repage -depth 8 txt:- |
        sed -nE 's/^([0-9]+),([0-9]+): *\(([0-9]+),([0-9]+),([0-9]+).*/\1 \2 \3 \4 \5/p' |
        awk -v bytes="$bytes" -v w="$w" -v ch="$ch" '
            BEGIN { split(bytes, b, " "); bad = 0; n = 0 }
            {
                x = $1; y = $2; n++
                bit = (w == 16) ? int(x / 2) : x
                dot = int(b[int(y / 2) + 1] / 2 ^ (7 - bit)) % 2
                lit = ($4 > 64 && $3 < 64 && $5 < 64)
                dark = ($3 < 16 && $4 < 16 && $5 < 16)
                if (!bad && ((dot && !lit) || (!dot && !dark))) {
                    printf "%s: pixel %d,%d is %d,%d,%d\n", ch, x, y, $3, $4, $5
                    bad = 1
                }
            }
            END { exit (bad || n != w * 16) }'
}

# Whether the text starts at column, row.
text() {
    local s=$1 col=$2 row=$3 cols=$4 i
    for ((i = 0; i < ${#s}; i++)); do
        [ "${s:i:1}" = " " ] && continue
        cell $((col + i)) "$row" "${s:i:1}" "$cols" >"$work/cell.txt" || return 1
    done
}

# Waits up to $1 seconds until the text shows.
wait_text() {
    local limit=$1
    shift
    local end=$(($(date +%s) + limit))
    while [ "$(date +%s)" -lt "$end" ]; do
        shot
        text "$@" && return 0
        sleep 0.5
    done
    return 1
}

since() { awk -v a="$1" -v b="$(date +%s.%N)" 'BEGIN { printf "%.1f", b - a }'; }

# 1. The test IPL program boots and writes its 40-column screen.
wait_text 60 "QJ-47R TEST 40" 0 0 40 || fail "the test program's text did not appear: $(cat "$work/cell.txt")"
text "END" 37 24 40 || fail "the last row is wrong: $(cat "$work/cell.txt")"
cp "$work/shot.png" e2e_qj47r_boot.png
echo "boot: 17 cells of 40-column text after $(since "$started") s"

# 2. A key: the program reports its matrix row and bits (A: row 4, bit 1) in 80 columns.
# The pointer over the screen and the focus on the window; the key is held
# for a while, as a person holds it, so that a slice runs while it is down.
xdotool mousemove --window "$main" 320 $((SY - Y + 200)) click 1
xdotool windowfocus --sync "$main" 2>/dev/null
typed=$(date +%s.%N)
xdotool keydown a
sleep 0.3
xdotool keyup a
wait_text 20 "KEY 0402" 0 3 80 || fail "the program did not see the key: $(cat "$work/cell.txt")"
text "QJ-47R TEST 80 COLUMNS" 0 2 80 || fail "the 80-column line is wrong: $(cat "$work/cell.txt")"
cp "$work/shot.png" e2e_qj47r_key.png
echo "key: answered after $(since "$typed") s"

# 3. File > Load ROM...: the open dialog takes the file name typed into it.
xdotool mousemove --window "$main" 16 $((MENU / 2)) click 1
sleep 0.5
xdotool key Down Return
dialog=$(timeout 20 xdotool search --sync --onlyvisible --name "^$DIALOG\$" | head -1)
[ -n "$dialog" ] || { shot; fail "the open dialog did not appear"; }
sleep 0.5
xdotool windowfocus --sync "$dialog" 2>/dev/null
loaded=$(date +%s.%N)
xdotool type --delay 5 "$PROGRAM"
xdotool key Return
wait_text 20 "QJF PROGRAM LOADED" 0 12 80 || fail "the loaded program's line did not appear: $(cat "$work/cell.txt")"
cp "$work/shot.png" e2e_qj47r_load.png
echo "load: the program's line after $(since "$loaded") s"

# 4. File > Exit ends the program.
xdotool mousemove --window "$main" 16 $((MENU / 2)) click 1
sleep 0.5
xdotool key Down Down Return
for _ in $(seq 1 40); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.25
done
kill -0 "$pid" 2>/dev/null && fail "File > Exit did not end the program"
wait "$pid"
status=$?
pid=
[ "$status" -eq 0 ] || fail "the program ended with status $status"
grep -q '^RamExpansion=TRUE' "$XDG_CONFIG_HOME/qj47r.ini" || fail "no settings saved"
echo "exit: status 0, settings saved"
echo "PASS"
