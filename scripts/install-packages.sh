#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need: the MinGW-w64
# cross toolchain, 32-bit Wine, a headless X server, a user-space PulseAudio,
# and the Linux-side tools that check the program's output files.
# Idempotent: returns at once when everything is already there.
set -euo pipefail

packages=(
  mingw-w64 g++-mingw-w64-i686-posix
  wine wine32:i386 fonts-wine
  xvfb xauth x11-utils xdotool
  pulseaudio pulseaudio-utils
  cmake ninja-build googletest make pkg-config
  imagemagick mpg123 sox
  dpkg-dev ca-certificates bzip2 xz-utils patch quilt
)

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$p")
done
if ((${#missing[@]} == 0)) && grep -qs '^deb-src\|deb-src' /etc/apt/sources.list.d/vellumtone-src.sources; then
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

apt-get update -q
# Recommended packages stay on: wine32:i386 brings the 32-bit X libraries
# Wine needs through them.
apt-get install -y -q "${packages[@]}"
