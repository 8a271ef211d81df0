#!/usr/bin/env bash
# Runs the Windows build of LAME's command-line encoder on an MP3 (its
# --mp3input decoder) at the benchmark's settings and checks the result's
# length on the Linux side. Usage: lame_frontend_check.sh LAME_EXE MP3 FRAMES_FILE
set -euo pipefail
lame=$1 input=$2 frames_file=$3
"${VELLUMTONE_WINE:-wine}" "$lame" --quiet --mp3input -b 320 -q 5 -m s "$input" lame_320.mp3
"$(dirname "$0")/linux_length_check.sh" lame_320.mp3 "$frames_file"
