#!/usr/bin/env bash
# Sets everything up (packages, audio libraries, Wine prefix), builds, and runs
# all tests under Wine with a private X server and sound server.
# Extra arguments go to ctest (e.g. -L gui, -LE audio, -R Name).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/common.sh"

vt_set_up "$root"

vt_open_session test

# A private PulseAudio with a null sink; Wine plays into it and one parec,
# running for the whole session, records everything that is played.
vt_start_sound_server
export VELLUMTONE_CAPTURE=$VT_BUILD/capture.raw
: >"$VELLUMTONE_CAPTURE"
parec -d "$vt_sink.monitor" --raw --format=s16le --rate=44100 --channels=2 \
  --latency-msec=20 >"$VELLUMTONE_CAPTURE" 2>"$session/parec.log" &
pids+=($!)

# A small volume for the tests of a full disk (root may mount a tmpfs; the
# tests that need it are skipped where it cannot be made).
small_disk=$session/small-disk
mkdir -p "$small_disk"
if mount -t tmpfs -o size=256k vellumtone-small "$small_disk" 2>/dev/null; then
  export VELLUMTONE_SMALL_DISK=$small_disk
  cleanup_mounts+=("$small_disk")
fi

vt_start_wineserver
# Tests that change the display's scale (LogPixels, prefix-wide) put it back;
# one that was killed could not, so every run starts at 100 %.
wine reg delete 'HKCU\Control Panel\Desktop' /v LogPixels /f >/dev/null 2>&1 || true

export VELLUMTONE_WINE=$(command -v wine)
cd "$VT_BUILD"
ctest --output-on-failure --timeout 600 -j "$(nproc)" "$@"
