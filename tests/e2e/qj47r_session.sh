# The common part of the qj47r end-to-end scripts, sourced after
# e2e_session.sh with QJ47R set to the program: the character generator's
# glyphs and the text check, waiting, regions of screenshots, keys, the open
# dialog and the File menu, and the start of the emulator with the places of
# its menu, tool bar and screen. The settings and the rescued images of the
# run stay in folders of its own.
export XDG_CONFIG_HOME="$work/config" XDG_STATE_HOME="$work/state"
mkdir -p "$XDG_CONFIG_HOME"
FONT=$(dirname "$QJ47R")/roms/qjfont.bin
CAPTION='Varnel QJ-47R Emulator'
[ -f "$FONT" ] || fail "no character generator at $FONT"

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

# Gives the main window the focus and the pointer (over the emulated screen).
focus_main() {
    xdotool mousemove --window "$main" 320 $((SY - MY + 200)) click 1
    xdotool windowfocus --sync "$main" 2>/dev/null
}

# Holds the key down for a while, as a person does, so that a slice runs
# while it is down; the main window has the focus and the pointer.
hold_key() {
    focus_main
    xdotool keydown "$1"
    sleep 0.3
    xdotool keyup "$1"
}

# Types the file name into the open dialog with the caption $1 and waits until
# it has gone. The dialog's completion list, popping up while the name is
# typed, now and then takes the keys (it opens a folder of the name's start and
# empties the field): the name is typed again, up to three times.
open_file() {
    local dialog try
    dialog=$(find_window "$1" 20)
    [ -n "$dialog" ] || { shot; fail "the open dialog \"$1\" did not appear"; }
    for try in 1 2 3; do
        xdotool windowfocus --sync "$dialog" 2>/dev/null
        xdotool key ctrl+a
        xdotool type --delay 5 "$2"
        sleep 0.3
        xdotool key Return
        wait_until 5 dialog_gone "$1" && return
        echo "note: the open dialog \"$1\" stayed open after try $try"
    done
    shot
    fail "the open dialog \"$1\" stayed open"
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


# Starts the emulator and waits for its main window: sets main, MX, MY, SX, SY
# (the screen's corner), MENU, TOOLS, LOAD_ITEM, EXIT_ITEM and the tool
# buttons' places, and started (the time).
start_emulator() {
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
}

# "Floppy Options", then drive A's "Mount" and the open dialog with the file $1:
# the drive's label shows the file instead of "NOT MOUNTED". Sets floppy.
mount_drive_a() {
    xdotool mousemove --window "$main" "$FLOPPY_BUTTON" "$TOOLS" click 1
    floppy=$(find_window "Floppy Drives" 20)
    [ -n "$floppy" ] || { shot; fail "the floppy window did not appear"; }
    window_geometry "$floppy"
    shot
    before=$(region 18 24 281 16) # Label1
    xdotool mousemove --window "$floppy" 62 54 click 1
    open_file "Mount Disk Image" "$1"
    wait_until 10 changed 18 24 281 16 || fail "drive A's label did not change"
}

# The fixture disc (e2e_make_dsk): 512-byte sectors 1 to 9 on each track,
# after the image's 256-byte header and the track's 256-byte header: sector 1
# at 512, sector 2 at 1024.
SECTOR1=512
SECTOR2=1024
SECTOR_BYTES=512

# Fails unless the image $1 holds in sector 2 the complement of sector 1, as
# the test program writes it, and nothing else changed from the image $2.
expect_sector_copy() {
    [ "$(stat -c %s "$1")" -eq "$(stat -c %s "$2")" ] || fail "the saved image changed its size"
    cmp -l "$2" "$1" | awk -v from=$((SECTOR2 + 1)) -v to=$((SECTOR2 + SECTOR_BYTES)) '
        $1 < from || $1 > to { printf "byte %d changed outside sector 2\n", $1 - 1; bad = 1; exit }
        { n++ }
        END { if (!bad && n == 0) print "sector 2 was not written"; exit (bad || n == 0) }' ||
        fail "the disc image was not saved as the program wrote it"
    paste <(od -An -v -tu1 -w1 -j "$SECTOR1" -N "$SECTOR_BYTES" "$1") \
        <(od -An -v -tu1 -w1 -j "$SECTOR2" -N "$SECTOR_BYTES" "$1") |
        awk '$1 + $2 != 255 { printf "byte %d of sector 2 is %d, sector 1 has %d\n", NR - 1, $2, $1; exit 1 }' ||
        fail "sector 2 does not hold the complement of sector 1"
}
