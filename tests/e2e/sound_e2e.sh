#!/bin/bash
# The sound output end to end: a private PulseAudio server with a null sink,
# a tone played through our sound device at the emulator's pace, the sink's
# monitor recorded with parec, and the recording checked for the tone's pitch
# and for gaps.
# Usage: sound_e2e.sh path/to/e2e_sound_tone_play path/to/e2e_sound_tone_check
# Exits 77 (skipped) when PulseAudio or its tools are not installed.
set -u
PLAY=$(realpath "$1")
CHECK=$(realpath "$2")
FREQUENCY=800
SECONDS_PLAYED=8
MIN_SECONDS_CHECKED=5

for tool in pulseaudio pactl parec; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        echo "SKIP: $tool is not installed"
        exit 77
    fi
done

work=$(mktemp -d)
server=
recorder=
cleanup() {
    for p in $recorder $server; do
        if kill -0 "$p" 2>/dev/null; then
            kill "$p"
            wait "$p" 2>/dev/null
        fi
    done
    rm -rf "$work"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*"
    [ -f "$work/pulseaudio.log" ] && sed 's/^/pulseaudio: /' "$work/pulseaudio.log"
    exit 1
}

# The server and its clients live in a runtime folder of our own, away from
# any session's sound server. As root PulseAudio warns and runs on.
mkdir -m 700 "$work/runtime" "$work/home"
export XDG_RUNTIME_DIR="$work/runtime" HOME="$work/home"
export PULSE_SERVER="unix:$work/runtime/native"
unset PULSE_SINK PULSE_SOURCE
sink=qj_e2e
# Without shared memory: the client library's memfd path has been seen to
# abort the player now and then ("Cannot send block reference with
# non-registered memfd ID", then an assertion); the socket carries the samples.
pulseaudio -n --daemonize=no --exit-idle-time=-1 --use-pid-file=no --log-target=stderr --disable-shm=yes \
    -L "module-null-sink sink_name=$sink rate=64000 channels=1 format=s16le" \
    -L "module-native-protocol-unix auth-anonymous=1 socket=$work/runtime/native" \
    >"$work/pulseaudio.log" 2>&1 &
server=$!
for _ in $(seq 100); do
    pactl info >/dev/null 2>&1 && break
    kill -0 "$server" 2>/dev/null || fail "the PulseAudio server did not start"
    sleep 0.1
done
pactl info >/dev/null 2>&1 || fail "the PulseAudio server does not answer"

# One attempt: record the monitor, play the tone, check the recording.
attempt() {
    parec -d "$sink.monitor" --latency-msec=10 --rate=64000 --channels=1 --format=s16le --raw \
        >"$work/recording.raw" &
    recorder=$!
    # The null sink settles its timing for a while after a client connects:
    # play once the recording flows.
    for _ in $(seq 50); do
        [ "$(stat -c %s "$work/recording.raw")" -gt 64000 ] && break
        sleep 0.1
    done
    sleep 1

    # A slice of emulation keeps the window thread busy 3 ms of every 10.
    ASAN_OPTIONS=detect_leaks=0 "$PLAY" "$SECONDS_PLAYED" "$FREQUENCY" 3 >"$work/play.log" 2>&1
    status=$?
    sed 's/^/player: /' "$work/play.log"
    [ "$status" = 77 ] && fail "the player found no audio output on the PulseAudio server"
    if [ "$status" != 0 ]; then
        echo "the player failed with status $status"
        kill "$recorder"
        wait "$recorder" 2>/dev/null
        recorder=
        return 1
    fi
    sleep 0.5
    kill "$recorder"
    wait "$recorder" 2>/dev/null
    recorder=
    "$CHECK" "$work/recording.raw" "$FREQUENCY" "$MIN_SECONDS_CHECKED"
}

# A host too busy to run the player in time starves any sound output now and
# then; a fault of ours fails every attempt.
unset QT_QPA_PLATFORM
for try in 1 2 3; do
    echo "Attempt $try:"
    if attempt; then
        echo "PASS"
        exit 0
    fi
done
cp "$work/recording.raw" e2e_sound_failed.raw
echo "The last recording is in e2e_sound_failed.raw (16-bit mono, 64000 Hz)."
exit 1
