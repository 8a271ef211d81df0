#!/usr/bin/env bash
# Sets everything up, builds, and starts MP3 Vellumtone under Wine. The
# example plug-in (dsp_vellumtone_gain.dll) and a generated sample MP3 wait
# in build/sample, where the program's file dialogs open. Without a display
# the program runs on a private Xvfb and a screenshot is saved.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/common.sh"

vt_set_up "$root"

sample=$VT_BUILD/sample
mkdir -p "$sample" "$VT_BUILD/screenshots"
cp "$VT_BUILD/plugins/dsp_vellumtone_gain.dll" "$sample/"
if [[ ! -f $sample/sample.mp3 ]]; then
  sox -n -r 44100 -c 2 -b 16 "$sample/sample.wav" synth 8 sine 220-660 sine 330 \
    tremolo 3 40 fade 0.2 8 0.5 vol 0.5
  (cd "$sample" && wine "$VT_DEPS/bin/lame.exe" --quiet -b 192 sample.wav sample.mp3)
  rm -f "$sample/sample.wav"
fi

pids=()
trap 'for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done' EXIT
if [[ -z ${DISPLAY:-} ]]; then
  mkdir -p "$sample/.xvfb"
  vt_private_display "$sample/.xvfb"
  private_display=1
else
  # A real desktop: the test prefix leaves windows unmanaged (right for
  # Xvfb, wrong here), so the program runs in a prefix of its own.
  vt_desktop_wine_prefix
fi

echo "Starting MP3 Vellumtone; the sample MP3 and the example plug-in are in $sample"
cd "$sample"
wine "$VT_BUILD/bin/mp3vellumtone.exe" &
app=$!
if [[ -n ${private_display:-} ]]; then
  sleep 15
  import -window root "$VT_BUILD/screenshots/launch.png"
  echo "No display: running on a private Xvfb; screenshot in $VT_BUILD/screenshots/launch.png"
  echo "Press Ctrl-C to end it."
fi
wait $app
