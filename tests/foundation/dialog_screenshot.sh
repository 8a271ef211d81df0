#!/usr/bin/env bash
# Shows the smoke dialog under the test X server, checks it is a real window
# on screen, and saves a screenshot of it. Usage: dialog_screenshot.sh EXE PNG
set -euo pipefail
exe=$1 png=$2
marker=$(mktemp -u "${TMPDIR:-/tmp}/vt-smoke-XXXXXX")
"${VELLUMTONE_WINE:-wine}" "$exe" "$marker" &
pid=$!
trap 'kill $pid 2>/dev/null || true; rm -f "$marker"' EXIT

for _ in $(seq 300); do [[ -f $marker ]] && break; sleep 0.1; done
[[ -f $marker ]] || { echo "the dialog never appeared"; exit 1; }

window=$(xdotool search --onlyvisible --name '^Vellumtone smoke test$' | head -n1)
[[ -n $window ]] || { echo "no visible X window with the dialog's caption"; exit 1; }
mkdir -p "$(dirname "$png")"
import -window "$window" "$png"
# A blank capture has no variation at all; text and borders make some.
deviation=$(convert "$png" -format '%[fx:standard_deviation]' info:)
echo "screenshot $png, deviation $deviation"
awk -v d="$deviation" 'BEGIN { exit !(d > 0.01) }' || { echo "the screenshot is blank"; exit 1; }

rm -f "$marker"
wait $pid
