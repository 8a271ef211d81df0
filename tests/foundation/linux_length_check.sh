#!/usr/bin/env bash
# Decodes an MP3 with Debian's mpg123 (which honours the encoder's gapless
# information, unlike sox) and checks its length against the expected number
# of sample frames within one MP3 frame. Usage: linux_length_check.sh MP3 FRAMES_FILE
set -euo pipefail
mp3=$1 expected=$(tr -dc 0-9 < "$2")
frames=$(( $(mpg123 -q -s "$mp3" | wc -c) / 4 ))
echo "decoded $frames frames, expected $expected"
diff=$(( frames > expected ? frames - expected : expected - frames ))
(( diff <= 1152 ))
