#!/usr/bin/env bash
# Sets everything up, builds, and runs the benchmark under Wine on a private
# X display, then writes BENCHMARKS.md: the machine, then the figures.
# Arguments go to the benchmark program, e.g. --seconds 60 --repeat 1
# (defaults: a 10-minute input, 10 rounds, memory with 1- and 60-minute
# inputs). With arguments, the report goes to build/bench/BENCHMARKS.md
# instead, so a short trial run does not replace the real figures.
# --preview-only measures only the preview and replaces that section of
# BENCHMARKS.md, keeping the rest; --end-only likewise the end of a
# conversion (further arguments go to the benchmark program, e.g.
# --repeat 3). --batch-only measures only a batch against its single
# conversions and its memory, and replaces that section (arguments go to
# vellumtone_batch_bench, e.g. --seconds 30 --rounds 1). --guard-only
# likewise measures only the floating-point guard around plug-in calls
# (arguments go to vellumtone_guard_bench).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/common.sh"

preview_only=0
end_only=0
batch_only=0
guard_only=0
if [[ ${1:-} == --batch-only ]]; then
  batch_only=1
  shift
elif [[ ${1:-} == --guard-only ]]; then
  guard_only=1
  shift
elif [[ ${1:-} == --preview-only ]]; then
  preview_only=1
  shift
elif [[ ${1:-} == --end-only ]]; then
  end_only=1
  shift
fi

vt_set_up "$root"

vt_open_session bench
vt_start_sound_server
vt_start_wineserver

report=$root/BENCHMARKS.md
(($# == 0 || end_only || batch_only || guard_only)) || report=$VT_BUILD/bench/BENCHMARKS.md
mkdir -p "$VT_BUILD/bench"
# A section of its own program's goes last, in place of the old one:
# replace_section HEADING PROGRAM ARGUMENTS...
replace_section() {
  local heading=$1 program=$2
  shift 2
  wine "$VT_BUILD/tests/bench/$program.exe" --out "$session/section.md" "$@"
  awk -v heading="## $heading" '$0 == heading { skip = 1; next } /^## / { skip = 0 } !skip' \
    "$report" >"$session/report.md"
  { cat "$session/report.md"; echo; cat "$session/section.md"; } >"$report"
}
replace_batch_section() { replace_section "Batch conversion" vellumtone_batch_bench "$@"; }
replace_guard_section() {
  replace_section "The floating-point guard around plug-in calls" vellumtone_guard_bench "$@"
}
if ((batch_only || guard_only)); then
  if ((batch_only)); then replace_batch_section "$@"; else replace_guard_section "$@"; fi
  echo "Report: $report"
  exit 0
fi
if ((end_only)); then
  wine "$VT_BUILD/tests/bench/vellumtone_bench.exe" --end-only --out "$session/end.md" "$@"
  # The new section takes the old one's place, before the preview's.
  awk -v new="$session/end.md" '
    /^## End of a conversion/ { skip = 1; next }
    /^## Preview responsiveness/ {
      if (last != "") print ""
      while ((getline line < new) > 0) print line
      print ""
      skip = 0
    }
    !skip { print; last = $0 }' "$report" >"$session/report.md"
  cp "$session/report.md" "$report"
  echo "Report: $report"
  exit 0
fi
if ((preview_only)); then
  sed '/^## Preview responsiveness/,$d' "$report" >"$session/figures.md"
else
  wine "$VT_BUILD/tests/bench/vellumtone_bench.exe" --out "$session/figures.md" "$@"
fi

# The preview: everything played is captured with the arrival time of each
# piece, while the preview benchmark notes when it moved the slider, pressed
# Play and Stop.
capture_latency_ms=10
python3 "$root/scripts/timed_capture.py" "$vt_sink" "$capture_latency_ms" \
  "$session/capture.raw" "$session/capture.times" &
pids+=($!)
(cd "$VT_BUILD/bench" && wine "$VT_BUILD/tests/bench/vellumtone_preview_bench.exe" \
  --events "$session/preview.events")
# Then the whole tone once, while LAME's transcoder keeps a core busy as a
# conversion would (over and over, until the preview is done).
(cd "$VT_BUILD/bench" && while :; do
  wine "$VT_DEPS/bin/lame.exe" --quiet -q 0 --mp3input preview_tone.mp3 load_out.mp3 || break
done) >/dev/null 2>&1 &
load=$!
(cd "$VT_BUILD/bench" && wine "$VT_BUILD/tests/bench/vellumtone_preview_bench.exe" \
  --events "$session/whole.events" --whole)
kill "$load" 2>/dev/null || true
cat "$session/whole.events" >>"$session/preview.events"
sleep 1
python3 "$root/tests/bench/preview_latency.py" "$session/capture.raw" "$session/capture.times" \
  "$session/preview.events" "$capture_latency_ms" >"$session/preview.md"

emulation="runs natively"
# The processor as the Linux side sees it: its model name, and what tells
# two processors of the same name apart.
cpu_field() { sed -n "s/^$1[[:space:]]*: *//p" /proc/cpuinfo | head -n1; }
processor="$(cpu_field 'model name') ($(cpu_field vendor_id), family $(cpu_field 'cpu family'), model $(cpu_field model), stepping $(cpu_field stepping); L2 $(cpu_field 'cache size') per core, L3 $(lscpu | sed -n 's/^L3 cache: *//p')$(lscpu | sed -n 's/^Hypervisor vendor: *\(.*\)/; a virtual machine under \1/p'))"
if [[ -e /proc/sys/fs/binfmt_misc/qemu-i386 ]] && grep -q '^enabled' /proc/sys/fs/binfmt_misc/qemu-i386; then
  emulation="runs under QEMU's user-mode emulation ($(qemu-i386 --version | head -n1)): every figure is an emulated one"
fi
{
  if ((preview_only)); then
    cat "$session/figures.md"
  else
    echo "# Benchmarks"
    echo
    echo "Made by \`bash scripts/bench.sh\` on $(date -u +%Y-%m-%d). Machine: $processor, $(nproc) cores, $(free -g | awk '/^Mem:/ {print $2}') GiB, $(uname -sr); $(wine --version); 32-bit x86 code $emulation. Compiler: $($VT_CXX --version | head -n1). Library flags: see scripts/build-deps.sh."
    echo
    cat "$session/figures.md"
    echo
  fi
  echo "## Preview responsiveness"
  echo
  echo "Measured by \`bash scripts/bench.sh\` (or \`--preview-only\`) on $(date -u +%Y-%m-%d), on the machine above. The real program previews a steady 440 Hz tone into a private PulseAudio null sink whose monitor is recorded; another program moves the volume slider between 100 and 0 every 1.5 s, and presses Play and Stop, noting each time on Wine's performance counter. Wine's counter and the recording's time stamps (CLOCK_MONOTONIC_RAW) are the same clock here. From the recording: when the sound changed after each action."
  echo
  cat "$session/preview.md"
  if [[ -f $root/tests/bench/preview-before.md ]]; then
    echo
    cat "$root/tests/bench/preview-before.md"
  fi
} >"$report"
(($# > 0)) || { replace_guard_section; replace_batch_section; }
echo "Report: $report"
