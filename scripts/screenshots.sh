#!/usr/bin/env bash
# Makes the pictures in README.md (docs/*.png): the program as a user sees
# it on a desktop, framed by a window manager (Openbox), at 100 % and at
# 150 % display scaling. Runs on a private Xvfb with a Wine prefix of its
# own with Wine's default window management (not the tests' prefix, whose
# windows are unmanaged).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/common.sh"

vt_set_up "$root"
VELLUMTONE_DESKTOP_WINEPREFIX=$VT_CACHE/wineprefix-screenshots vt_desktop_wine_prefix
vt_open_session screenshots
openbox --sm-disable >"$session/openbox.log" 2>&1 &
pids+=($!)
wineserver -p

# The window of the running program with its frame: the window manager's
# frame is the ancestor of the program's window just below the root.
shoot_framed() {
  local out=$1 id frame parent root_id
  for _ in $(seq 150); do
    id=$(xdotool search --onlyvisible --name '^MP3 Vellumtone$' 2>/dev/null | head -n1) && [[ -n $id ]] && break
    sleep 0.2
  done
  [[ -n ${id:-} ]] || { echo "screenshots: the program's window did not appear" >&2; return 1; }
  sleep 2  # drawn completely
  root_id=$(xwininfo -root | sed -n 's/.*Window id: \(0x[0-9a-f]*\).*/\1/p')
  frame=$(printf '0x%x' "$id")
  while parent=$(xwininfo -tree -id "$frame" | sed -n 's/^ *Parent window id: \(0x[0-9a-f]*\).*/\1/p') &&
        [[ -n $parent && $parent != "$root_id" ]]; do
    frame=$parent
  done
  import -window "$frame" "$out"
}

# $1: the display's DPI; $2: the picture.
picture() {
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1
  (cd "$session" && wine "$VT_BUILD/bin/mp3vellumtone.exe") &
  local app=$!
  shoot_framed "$2"
  xdotool search --name '^MP3 Vellumtone$' windowclose 2>/dev/null || true
  wineserver -k 2>/dev/null || true
  wait "$app" 2>/dev/null || true
  wineserver -w
  wineserver -p
  echo "$2"
}

picture 96 "$root/docs/main-window.png"
picture 144 "$root/docs/main-window-150.png"
wine reg delete 'HKCU\Control Panel\Desktop' /v LogPixels /f >/dev/null 2>&1 || true
