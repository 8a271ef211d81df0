# Shared settings of the project's scripts; sourced, not run.

# Everything that is built or downloaded outside the repository lives here:
# the Windows builds of the audio libraries, their sources, the Wine prefix.
VT_CACHE=${VELLUMTONE_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/mp3vellumtone}
VT_HOST=i686-w64-mingw32
# The posix thread model: the win32 one has no std::thread in GCC 12.
VT_CC=$VT_HOST-gcc-posix
VT_CXX=$VT_HOST-g++-posix

# The libraries' orig tarballs and their SHA-256 sums as build-deps.sh pins
# them, one "name sum" a line: every library it builds, read from its table.
vt_pinned_sources() {
  sed -n '/^declare -A orig_sha=(/,/^)/s/^ *\[\([^]]*\)\]=\([0-9a-f]\{64\}\).*/\1 \2/p' \
    "$(dirname "${BASH_SOURCE[0]}")/build-deps.sh"
}

# The source packages that build-deps.sh builds from their orig tarballs
# alone, without Debian's part, one a line.
vt_orig_only_packages() {
  sed -n 's/^orig_only="\(.*\)"$/\1/p' "$(dirname "${BASH_SOURCE[0]}")/build-deps.sh" | tr ' ' '\n' |
    sed '/^$/d'
}

# The project's version in the tree of commit $2 of repository $1.
vt_version_at() {
  git -C "$1" show "$2:CMakeLists.txt" |
    sed -n 's/^project(MP3Vellumtone VERSION \([0-9.]*\).*/\1/p'
}

vt_toolchain_id() {
  "$VT_CC" -dumpfullversion 2>/dev/null || "$VT_CC" -dumpversion
}

# Wine: a private 32-bit prefix, quiet, no Mono/Gecko prompts.
vt_wine_env() {
  export WINEPREFIX=${VELLUMTONE_WINEPREFIX:-$VT_CACHE/wineprefix}
  export WINEARCH=win32
  export WINEDEBUG=${WINEDEBUG:--all}
  export WINEDLLOVERRIDES="mscoree,mshtml="
}

# The launch command's own prefix on a real desktop: Wine's default window
# management, so the desktop's window manager frames the program's windows.
vt_desktop_wine_prefix() {
  export WINEPREFIX=${VELLUMTONE_DESKTOP_WINEPREFIX:-$VT_CACHE/wineprefix-desktop}
  if [[ ! -f $WINEPREFIX/.vellumtone-ready-1 ]]; then
    rm -rf "$WINEPREFIX"
    mkdir -p "$(dirname "$WINEPREFIX")"
    DISPLAY= wineboot -i >/dev/null 2>&1
    wineserver -w
    touch "$WINEPREFIX/.vellumtone-ready-1"
  fi
}

# Makes the private Wine prefix once. Xvfb has no window manager: unmanaged
# windows keep Wine from stalling about 2 s each time a dialog closes. A
# crashing test program ends at once instead of waiting in a crash dialog.
vt_wine_prefix() {
  vt_wine_env
  vt_unmanaged_prefix
}

# Makes $WINEPREFIX once as a prefix for Xvfb (see vt_wine_prefix).
vt_unmanaged_prefix() {
  local ready=$WINEPREFIX/.vellumtone-ready-2
  if [[ ! -f $ready ]]; then
    rm -rf "$WINEPREFIX"
    mkdir -p "$(dirname "$WINEPREFIX")"
    DISPLAY= wineboot -i >/dev/null 2>&1
    DISPLAY= wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
    DISPLAY= wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f \
      >/dev/null 2>&1
    wineserver -w
    touch "$ready"
  fi
}

# The launch command's own prefix on a private Xvfb: like the tests' prefix,
# but apart from it, so that the end of a test session (which stops every
# program of its prefix) never ends the launched program.
vt_launch_wine_prefix() {
  export WINEPREFIX=${VELLUMTONE_LAUNCH_WINEPREFIX:-$VT_CACHE/wineprefix-launch}
  vt_unmanaged_prefix
}

# Configures and builds the project into $VT_BUILD with the dependency cache
# found by build-deps.sh.
vt_build() {
  local root=$1 deps log=$VT_CACHE/build-deps.log
  mkdir -p "$VT_CACHE"
  if ! deps=$("$root/scripts/build-deps.sh" 2>"$log" | tail -n1) || [[ -z $deps ]]; then
    tail -n 40 "$log" >&2
    echo "building the audio libraries failed; the whole log is $log" >&2
    return 1
  fi
  VT_DEPS=$deps
  VT_BUILD=${VELLUMTONE_BUILD:-$root/build}
  # New libraries: forget where CMake found the old ones.
  if [[ $(cat "$VT_BUILD/.deps-prefix" 2>/dev/null) != "$deps" ]]; then
    rm -f "$VT_BUILD/CMakeCache.txt"
    mkdir -p "$VT_BUILD"
    echo "$deps" >"$VT_BUILD/.deps-prefix"
  fi
  cmake -S "$root" -B "$VT_BUILD" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-i686-w64-mingw32.cmake" \
    -DCMAKE_PREFIX_PATH="$deps" >/dev/null
  cmake --build "$VT_BUILD"
}

# Everything before the program can run: packages, libraries, the build and
# the Wine prefix.
vt_set_up() {
  "$1/scripts/install-packages.sh"
  vt_build "$1"
  vt_wine_prefix
}

# A private X display, its number chosen by the server itself; exports
# DISPLAY and adds the server's process to the caller's `pids` array.
# $1: a folder for the server's notes.
vt_private_display() {
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$1/display" \
    >"$1/xvfb.log" 2>&1 &
  pids+=($!)
  local _
  for _ in $(seq 100); do [[ -s $1/display ]] && break; sleep 0.1; done
  [[ -s $1/display ]] || { echo "Xvfb did not start" >&2; return 1; }
  export DISPLAY=:$(head -n1 "$1/display")
}

# A session of Windows programs: a temporary folder ($session) and a private
# X display. The session's processes (the `pids` array) and the wineserver
# are stopped and the folder removed when the script exits, also after a
# failure or Ctrl-C. $1: a name for the folder.
vt_open_session() {
  session=$(mktemp -d "${TMPDIR:-/tmp}/vellumtone-$1.XXXXXX")
  pids=()
  cleanup_mounts=()
  trap vt_close_session EXIT
  trap 'exit 130' INT TERM
  vt_private_display "$session"
}

vt_close_session() {
  local pid mount
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wineserver -k 2>/dev/null || true
  wineserver -w 2>/dev/null || true  # gone before a next session starts its own
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
  for mount in "${cleanup_mounts[@]}"; do umount "$mount" 2>/dev/null || true; done
  rm -rf "$session"
}

# A private PulseAudio with a null sink ($vt_sink) as the default output,
# for the session; exports what Wine needs to find it.
vt_start_sound_server() {
  export XDG_RUNTIME_DIR=$session/pulse
  mkdir -m 700 -p "$XDG_RUNTIME_DIR"
  export PULSE_SERVER=unix:$XDG_RUNTIME_DIR/native
  vt_sink=vellumtone_null
  pulseaudio --daemonize=no --exit-idle-time=-1 -n --disable-shm=yes \
    --use-pid-file=no --system=no \
    --load="module-null-sink sink_name=$vt_sink rate=44100 channels=2 format=s16le" \
    --load="module-native-protocol-unix socket=$XDG_RUNTIME_DIR/native auth-anonymous=1" \
    >"$session/pulse.log" 2>&1 &
  pids+=($!)
  local _
  for _ in $(seq 100); do pactl info >/dev/null 2>&1 && break; sleep 0.1; done
  pactl info >/dev/null 2>&1 || {
    cat "$session/pulse.log" >&2; echo "PulseAudio did not start" >&2; return 1; }
  pactl set-default-sink "$vt_sink"
}

# One persistent wineserver: each Windows program then starts in a fraction
# of a second instead of several.
vt_start_wineserver() {
  wineserver -p
  wine cmd /c exit >/dev/null 2>&1 || true
}
