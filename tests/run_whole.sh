#!/usr/bin/env bash
# Runs every test program of a build whole, as a developer starts one from a
# shell: all its cases in one process, in a shuffled order, with a home that
# holds a user's files (a settings file, a rescued disc image and the list of
# rescued images), no XDG folder set and a temporary folder of a long path.
# Fails when a program fails or runs longer than its time limit, or when any
# file under the home was created, changed or removed.
#
#   tests/run_whole.sh BUILD_DIR [PROGRAM...]
#
# Without programs: those listed in BUILD_DIR/test_programs.txt (written by
# the build). QJ_WHOLE_TIMEOUT (seconds, 300) limits each program, and
# QJ_WHOLE_JOBS (the processor count) how many run at once.
set -uo pipefail

build=$(cd "${1:?usage: $0 BUILD_DIR [PROGRAM...]}" && pwd)
shift
if [ $# -gt 0 ]; then
    programs=("$@")
else
    mapfile -t programs <"$build/test_programs.txt"
fi
limit=${QJ_WHOLE_TIMEOUT:-300}
jobs=${QJ_WHOLE_JOBS:-$(nproc)}

work=$(mktemp -d)
chmod 711 "$work" # parts of some tests run as another user, who must reach their folders
trap 'chmod -R u+rwX "$work" 2>/dev/null; rm -rf "$work"' EXIT

# The user's home, as a user of the emulator has it.
home="$work/home"
mkdir -p "$home/.config" "$home/.local/state/qj47r/rescued"
printf '[\\SOFTWARE\\QJ47R Emulator]\nRamExpansion=TRUE\nGraphics1=FALSE\nGraphics2=TRUE\nScanDouble=TRUE\n' \
    >"$home/.config/qj47r.ini"
head -c 4096 /dev/urandom >"$home/.local/state/qj47r/rescued/games-20261101-101010.dsk"
printf '%s\t%s\n' "$home/.local/state/qj47r/rescued/games-20261101-101010.dsk" "$home/discs/games.dsk" \
    >"$home/.local/state/qj47r/rescued/unreported.txt"
mkdir -p "$home/discs"
cp "$home/.local/state/qj47r/rescued/games-20261101-101010.dsk" "$home/discs/games.dsk"

# A world-writable temporary folder whose path is 120 characters long.
tmp="$work/t"
while [ ${#tmp} -lt 120 ]; do tmp="${tmp}x"; done
tmp=${tmp:0:120}
mkdir -p "$tmp"
chmod 1777 "$tmp"

listing() { (cd "$home" && find . -printf '%y %m %p\n' | sort && find . -type f -print0 | sort -z | xargs -0 -r sha256sum); }
listing >"$work/before"

run_one() {
    local program=$1 name log status
    name=$(basename "$program")
    log="$work/$name.log"
    env -u XDG_CONFIG_HOME -u XDG_STATE_HOME -u XDG_RUNTIME_DIR -u XDG_CACHE_HOME -u XDG_DATA_HOME \
        HOME="$home" TMPDIR="$tmp" QT_QPA_PLATFORM=offscreen \
        timeout --kill-after=10 "$limit" "$program" --gtest_shuffle >"$log" 2>&1
    status=$?
    if [ $status -eq 0 ]; then
        echo "passed  $name"
    else
        [ $status -eq 124 ] && echo "TIMEOUT $name (after ${limit} s)" || echo "FAILED  $name (status $status)"
        tail -n 60 "$log" | sed "s/^/    $name: /"
        return 1
    fi
}
export -f run_one
export work home tmp limit

echo "Each test program run whole ($jobs at a time, at most $limit s each):"
printf '%s\n' "${programs[@]}" | xargs -P "$jobs" -I{} bash -c 'run_one "$@"' _ {} >"$work/results" 2>&1
failed=$(grep -c -E '^(FAILED|TIMEOUT)' "$work/results")
cat "$work/results"

status=0
[ "$failed" -eq 0 ] || { echo "$failed of ${#programs[@]} test programs failed"; status=1; }
listing >"$work/after"
if ! diff -u "$work/before" "$work/after" >"$work/home.diff"; then
    echo "The test programs changed files under HOME:"
    cat "$work/home.diff"
    status=1
fi
[ $status -eq 0 ] && echo "All ${#programs[@]} test programs passed run whole, and HOME is as it was."
exit $status
