# The common start of the end-to-end scripts, sourced with E2E_NAME set (the
# program's short name). Skips (exit 77) where Xvfb or the X tools are not
# installed; runs the calling script again on a free virtual display of its
# own; provides $work (a folder removed at the end), $pid (set it to the
# program under test: it is ended at the end) and fail, which shows
# $work/$E2E_NAME.log and keeps $work/shot.png as e2e_${E2E_NAME}_failed.png.
for tool in xvfb-run Xvfb xauth xdotool import convert; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        echo "SKIP: $tool is not installed"
        exit 77
    fi
done

if [ -z "${QJ_E2E_ON_XVFB:-}" ]; then
    exec xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" env QJ_E2E_ON_XVFB=1 bash "$0" "$@"
fi

work=$(mktemp -d)
pid=
cleanup() {
    if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then
        kill "$pid"
        wait "$pid" 2>/dev/null
    fi
    rm -rf "$work"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*"
    [ -f "$work/$E2E_NAME.log" ] && sed "s/^/$E2E_NAME: /" "$work/$E2E_NAME.log"
    [ -f "$work/shot.png" ] && cp "$work/shot.png" "e2e_${E2E_NAME}_failed.png"
    exit 1
}
