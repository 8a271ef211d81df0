#!/usr/bin/env bash
# Sets everything up, builds, and starts MP3 Vellumtone under Wine. The
# example plug-in (dsp_vellumtone_gain.dll) and a generated sample MP3 wait
# in build/sample, where the program's file dialogs open. Without a display
# the program runs on a private Xvfb, and a screenshot is saved once its
# window is up.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/common.sh"

vt_set_up "$root"

pids=()
trap 'for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done' EXIT
sample=$VT_BUILD/sample
screenshot=$VT_BUILD/screenshots/launch.png
mkdir -p "$sample" "$VT_BUILD/screenshots"
if [[ -z ${DISPLAY:-} ]]; then
  mkdir -p "$sample/.xvfb"
  vt_private_display "$sample/.xvfb"
  # Not the tests' prefix: a test session ending beside it would end the
  # program too.
  vt_launch_wine_prefix
  private_display=1
  rm -f "$screenshot"
else
  # A real desktop: the test prefix leaves windows unmanaged (right for
  # Xvfb, wrong here), so the program runs in a prefix of its own.
  vt_desktop_wine_prefix
fi

# Made on the display the program will use: a Wine program started without
# one leaves the prefix's desktop without a display for a few seconds, and a
# program started then gets no windows at all.
cp "$VT_BUILD/plugins/dsp_vellumtone_gain.dll" "$sample/"
if [[ ! -f $sample/sample.mp3 ]]; then
  sox -n -r 44100 -c 2 -b 16 "$sample/sample.wav" synth 8 sine 220-660 sine 330 \
    tremolo 3 40 fade 0.2 8 0.5 vol 0.5
  (cd "$sample" && wine "$VT_DEPS/bin/lame.exe" --quiet -b 192 sample.wav sample.mp3)
  rm -f "$sample/sample.wav"
fi

echo "Starting MP3 Vellumtone; the sample MP3 and the example plug-in are in $sample"
cd "$sample"
wine "$VT_BUILD/bin/mp3vellumtone.exe" &
app=$!
pids+=("$app")

# The program's exit code, told when it ended before its window was seen.
ended_early() {
  local code=0
  wait "$app" || code=$?
  echo "MP3 Vellumtone ended on its own before its window appeared (exit code $code)" >&2
  exit $((code == 0 ? 1 : code))
}

if [[ -n ${private_display:-} ]]; then
  window=
  for _ in $(seq 1200); do  # up to 2 minutes: a new prefix is set up first
    kill -0 "$app" 2>/dev/null || ended_early
    window=$(xdotool search --onlyvisible --name '^MP3 Vellumtone$' 2>/dev/null | head -n1 || true)
    [[ -n $window ]] && break
    sleep 0.1
  done
  [[ -n $window ]] || { echo "the main window did not appear within 2 minutes" >&2; exit 1; }
  sleep 1  # its controls paint after the window is mapped
  kill -0 "$app" 2>/dev/null || ended_early
  import -window root "$screenshot"
  echo "No display: running on a private Xvfb; screenshot in $screenshot"
  echo "Press Ctrl-C to end it."
fi
code=0
wait "$app" || code=$?
echo "MP3 Vellumtone ended (exit code $code)"
exit "$code"
