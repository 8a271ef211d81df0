#!/usr/bin/env bash
# Sets everything up, builds, and makes the release for Windows users:
# build/mp3vellumtone-<version>-win32.zip (the program, the example plug-in
# in Plugins, README.txt, the licence and the third-party notices) and its
# corresponding source, build/mp3vellumtone-<version>-src.zip (the project's
# tree and the libraries' sources as built; see scripts/source-zip.sh).
# Refuses a tree with uncommitted changes: the source must be what the
# program was built from.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/common.sh"

if [[ -n $(git -C "$root" status --porcelain) ]]; then
  echo "package: the tree has uncommitted changes; commit them first" >&2
  exit 1
fi
vt_set_up "$root"
cmake --build "$VT_BUILD" --target release_zip
version=$(vt_version_at "$root" HEAD)
"$root/scripts/source-zip.sh" "$VT_BUILD" >/dev/null
ls "$VT_BUILD/mp3vellumtone-$version-win32.zip" "$VT_BUILD/mp3vellumtone-$version-src.zip"
