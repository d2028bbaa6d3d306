# The common start of the end-to-end scripts, sourced with E2E_NAME set (the
# program's short name). Skips (exit 77) where Xvfb or the X tools are not
# installed; runs the calling script again on a free virtual display of its
# own (the first free from $QJ_E2E_SERVER_NUM on, when it is set), of the size
# $E2E_SCREEN (1280x1024 when it is not set); provides
# $work (a folder removed at the end, which also holds the run's HOME, XDG
# folders and TMPDIR), $pid (the program under test, ended at
# the end), fail, which shows $work/$E2E_NAME.log and keeps $work/shot.png as
# e2e_${E2E_NAME}_failed.png, and the functions below.
for tool in xvfb-run Xvfb xauth xdotool import convert; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        echo "SKIP: $tool is not installed"
        exit 77
    fi
done

if [ -z "${QJ_E2E_ON_XVFB:-}" ]; then
    exec xvfb-run -a ${QJ_E2E_SERVER_NUM:+-n "$QJ_E2E_SERVER_NUM"} -s "-screen 0 ${E2E_SCREEN:-1280x1024}x24 -nolisten tcp" \
        env QJ_E2E_ON_XVFB=1 bash "$0" "$@"
fi

work=$(mktemp -d)
# The programs under test, and the tools, find a home and user folders of the
# run's own: nothing reaches the user's files (Qt's dialog history, caches).
mkdir -p "$work/user/home" "$work/user/tmp" "$work/user/runtime"
chmod 700 "$work/user/runtime"
export HOME="$work/user/home" XDG_CONFIG_HOME="$work/user/home/.config" XDG_STATE_HOME="$work/user/home/.local/state" \
    XDG_CACHE_HOME="$work/user/home/.cache" XDG_DATA_HOME="$work/user/home/.local/share" \
    XDG_RUNTIME_DIR="$work/user/runtime" TMPDIR="$work/user/tmp"
pid=
wm_pid=
cleanup() {
    local p
    for p in "$pid" "$wm_pid"; do
        if [ -n "$p" ] && kill -0 "$p" 2>/dev/null; then
            kill "$p"
            wait "$p" 2>/dev/null
        fi
    done
    rm -rf "$work"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*"
    [ -f "$work/$E2E_NAME.log" ] && sed "s/^/$E2E_NAME: /" "$work/$E2E_NAME.log"
    [ -f "$work/shot.png" ] && cp "$work/shot.png" "e2e_${E2E_NAME}_failed.png"
    exit 1
}

# Waits up to $1 seconds until the command that follows succeeds.
wait_until() {
    local end
    end=$(($(date +%s) + $1))
    shift
    while ! "$@"; do
        [ "$(date +%s)" -lt "$end" ] || return 1
        sleep 0.2
    done
}

# Starts the window manager openbox on the virtual display, as a desktop has
# one, and waits until it manages windows; it ends with the session. Skips
# (exit 77) where openbox or the X utilities are not installed.
start_window_manager() {
    local tool
    for tool in openbox xprop xwininfo; do
        if ! command -v "$tool" >/dev/null 2>&1; then
            echo "SKIP: $tool is not installed"
            exit 77
        fi
    done
    openbox --sm-disable >"$work/openbox.log" 2>&1 &
    wm_pid=$!
    wait_until 20 window_manager_running || fail "openbox did not start: $(cat "$work/openbox.log")"
}
window_manager_running() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; }

# Starts the program under test (the arguments: the program and its own) on
# the virtual display, its output in $work/$E2E_NAME.log; sets $pid.
start_program() {
    unset QT_QPA_PLATFORM
    ASAN_OPTIONS=detect_leaks=0 "$@" >"$work/$E2E_NAME.log" 2>&1 &
    pid=$!
}

# Prints the id of the visible window with exactly the caption $1, waiting up
# to $2 seconds (30 when not given) for it to appear; prints nothing if it did not.
find_window() {
    timeout "${2:-30}" xdotool search --sync --onlyvisible --name "^$1\$" 2>/dev/null | head -1
}

# Starts the program $1 (as start_program) and waits up to $3 seconds (30 when
# not given) for its window with exactly the caption $2: sets $win, or fails.
start_window() {
    start_program "$1"
    win=$(find_window "$2" "${3:-30}")
    [ -n "$win" ] || fail "the window \"$2\" did not appear"
}

# Sets X, Y, WIDTH and HEIGHT to the place of the window $1 on the display.
window_geometry() {
    eval "$(xdotool getwindowgeometry --shell "$1")"
}

# A screenshot of the whole display in $work/shot.png.
shot() {
    import -window root "$work/shot.png" || fail "no screenshot"
}

# The colour of the screenshot at $1, $2 from X, Y (a window's corner), as six hex digits.
colour() {
    convert "$work/shot.png" -crop "1x1+$((X + $1))+$((Y + $2))" +repage -depth 8 -format '%[hex:p{0,0}]' info: |
        cut -c1-6
}

# Fails unless the screenshot shows the colour $3 at $1, $2 from X, Y.
expect() {
    local got
    got=$(colour "$1" "$2")
    [ "$got" = "$3" ] || fail "at $1,$2 the window shows $got, not $3"
}
