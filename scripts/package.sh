#!/usr/bin/env bash
# Sets everything up, builds, and makes the release for Windows users:
# build/mp3vellumtone-<version>-win32.zip (the program, the example plug-in
# in Plugins, README.txt, the licence and the third-party notices).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/common.sh"

vt_set_up "$root"
cmake --build "$VT_BUILD" --target release_zip
ls "$VT_BUILD"/mp3vellumtone-*-win32.zip
