#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need: the MinGW-w64
# cross toolchain, 32-bit Wine, a headless X server, a user-space PulseAudio,
# and the Linux-side tools that make the tests' tagged MP3 files and check
# the program's output files.
# Idempotent: returns at once when everything is already there.
set -euo pipefail
source "$(dirname "$0")/apt.sh"

packages=(
  mingw-w64 g++-mingw-w64-i686-posix
  wine wine32:i386 fonts-wine
  xvfb xauth x11-utils xdotool openbox
  pulseaudio pulseaudio-utils
  cmake ninja-build googletest make pkg-config
  imagemagick mpg123 sox locales
  ffmpeg lame python3-mutagen
  dpkg-dev ca-certificates bzip2 xz-utils patch
)

installed() {
  [[ $(dpkg-query -W -f='${Status}' "$1" 2>/dev/null) == "install ok installed" ]]
}

# Some virtual machines run no 32-bit x86 Linux code at all (the kernel's
# IA-32 emulation is off), and 32-bit Wine is such code. There, QEMU's user
# mode emulator runs it, registered with the kernel as the handler of 32-bit
# x86 executables. Bookworm's QEMU 7.2 cannot run Wine (it does not honour
# the address reservations Wine makes); the backported one can.
ensure_i386_runs() {
  /lib/ld-linux.so.2 --version >/dev/null 2>&1 && return 0
  local qemu=/usr/bin/qemu-i386 binfmt=/proc/sys/fs/binfmt_misc
  if [[ ! -x $qemu ]] || ! $qemu --version | grep -qE 'version ([89]|[1-9][0-9])\.'; then
    if ! grep -qs bookworm-backports /etc/apt/sources.list.d/vellumtone-backports.sources; then
      cat > /etc/apt/sources.list.d/vellumtone-backports.sources <<'BPO'
Types: deb
URIs: http://deb.debian.org/debian
Suites: bookworm-backports
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
BPO
      vt_apt_update
    fi
    vt_apt_install -t bookworm-backports qemu-user-static
  fi
  [[ -f $binfmt/register ]] || mount -t binfmt_misc binfmt_misc "$binfmt"
  [[ -f $binfmt/qemu-i386 ]] && echo -1 > "$binfmt/qemu-i386"
  # ELF, 32-bit, little-endian, executable or shared object, machine i386;
  # F: the kernel keeps the emulator open, so it works in any mount namespace.
  printf '%s' ':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:'"$qemu"':F' \
    > "$binfmt/register"
  /lib/ld-linux.so.2 --version >/dev/null 2>&1 || {
    echo "install-packages: 32-bit x86 programs still do not run" >&2; exit 1; }
}

# A Japanese locale: Wine started under it gives programs a double-byte ANSI
# code page (932), for the tests of file names in such code pages.
ensure_japanese_locale() {
  locale -a 2>/dev/null | grep -qix 'ja_JP.utf8' && return 0
  [[ $(id -u) -eq 0 ]] || return 0
  grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen 2>/dev/null || echo 'ja_JP.UTF-8 UTF-8' >> /etc/locale.gen
  locale-gen >/dev/null
}

missing=()
for p in "${packages[@]}"; do
  installed "$p" || missing+=("$p")
done
if ((${#missing[@]} == 0)) && grep -qs 'deb-src' /etc/apt/sources.list.d/vellumtone-src.sources; then
  ensure_i386_runs
  ensure_japanese_locale
  exit 0
fi

if [[ $(id -u) -ne 0 ]]; then
  echo "install-packages: missing packages (${missing[*]}); run this script as root" >&2
  exit 1
fi

export DEBIAN_FRONTEND=noninteractive
dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386

# Source packages of the audio libraries come from Debian's own archive.
if ! grep -qs 'deb-src' /etc/apt/sources.list.d/vellumtone-src.sources; then
  cat > /etc/apt/sources.list.d/vellumtone-src.sources <<'SRC'
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm bookworm-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg

Types: deb-src
URIs: http://deb.debian.org/debian-security
Suites: bookworm-security
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SRC
fi

vt_apt_update
# Recommended packages stay on: wine32:i386 brings the 32-bit X libraries
# Wine needs through them.
vt_apt_install "${packages[@]}"
ensure_i386_runs
ensure_japanese_locale
