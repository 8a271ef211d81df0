#!/usr/bin/env bash
# Sets everything up, builds, and runs the benchmark under Wine on a private
# X display, then writes BENCHMARKS.md: the machine, then the figures.
# Arguments go to the benchmark program, e.g. --seconds 60 --repeat 1
# (defaults: a 10-minute input, 5 rounds, memory with 1- and 60-minute
# inputs). With arguments, the report goes to build/bench/BENCHMARKS.md
# instead, so a short trial run does not replace the real figures.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/common.sh"

vt_set_up "$root"

vt_open_session bench
vt_start_wineserver

report=$root/BENCHMARKS.md
(($# == 0)) || report=$VT_BUILD/bench/BENCHMARKS.md
mkdir -p "$VT_BUILD/bench"
wine "$VT_BUILD/tests/bench/vellumtone_bench.exe" --out "$session/figures.md" "$@"

emulation="runs natively"
if [[ -e /proc/sys/fs/binfmt_misc/qemu-i386 ]] && grep -q '^enabled' /proc/sys/fs/binfmt_misc/qemu-i386; then
  emulation="runs under QEMU's user-mode emulation ($(qemu-i386 --version | head -n1)): every figure is an emulated one"
fi
{
  echo "# Benchmarks"
  echo
  echo "Made by \`bash scripts/bench.sh\` on $(date -u +%Y-%m-%d). Machine: $(lscpu | sed -n 's/^Model name: *//p'), $(nproc) cores, $(free -g | awk '/^Mem:/ {print $2}') GiB, $(uname -sr); $(wine --version); 32-bit x86 code $emulation. Compiler: $($VT_CXX --version | head -n1). Library flags: see scripts/build-deps.sh."
  echo
  cat "$session/figures.md"
} >"$report"
echo "Report: $report"
