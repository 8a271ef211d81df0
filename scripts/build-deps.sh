#!/usr/bin/env bash
# Builds libmpg123, LAME (library and its command-line encoder), libao, zlib,
# TagLib (with zlib) and libebur128 as static 32-bit Windows libraries from
# Debian's source packages,
# all of them as releases (NDEBUG: no library assertion can put up a box in
# the user's program), into a cache
# folder outside the repository. Prints the install prefix on its last line.
# A second run with the same sources, patches and toolchain does nothing.
set -euo pipefail
shopt -s nullglob
here=$(cd "$(dirname "$0")" && pwd)
source "$here/common.sh"
source "$here/apt.sh"

declare -A orig_sha=(
  [mpg123_1.31.2.orig.tar.bz2]=b17f22905e31f43b6b401dfdf6a71ed11bb7d056f68db449d70b9f9ae839c7de
  [lame_3.100.orig.tar.gz]=ddfe36cab873794038ae2c1210557ad34857a4b6bdc515785d1da9e175b1da1e
  [libao_1.2.2+20180113.orig.tar.gz]=cc9e68134e74f62a1feb6d07e4a0fb565351d80205d1e5d48d540b6abc4cf07d
  [taglib_1.13.orig.tar.gz]=58f08b4db3dc31ed152c04896ee9172d22052bc7ef12888028c01d8b1d60ade0
  [zlib_1.2.13.dfsg.orig.tar.bz2]=71feb7947e3c00ef125f83b79a4e529bde31171e5babe48b391f06758d1ab0a1
  [libebur128_1.2.6.orig.tar.gz]=baa7fc293a3d4651e244d8022ad03ab797ca3c2ad8442c43199afe8059faa613
)
# The source packages as apt-get source names them. zlib's version is given:
# bookworm's security update of it is not on every mirror, and its fix is to
# minizip, which is not built.
source_packages=(mpg123 lame libao taglib zlib=1:1.2.13.dfsg-1 libebur128)
# Debian's own packaging patches that do not apply to a Windows build:
# TagLib's bundled utf8-cpp instead of Debian's package, and taglib-config's
# dpkg lookup.
skipped_patches=" 0001-Use-system-libutf8cpp-library.patch 0002-Make-taglib-config-arch-independent.patch "
# Built from the orig tarball alone, without Debian's part: libebur128's
# Debian part cannot be had from every mirror, and a build must not depend
# on whether it came.
orig_only=" libebur128 "


# LAME's configure cannot read the MinGW gcc version and would build at -O0;
# the flags are given explicitly (and checked below). -msse is also what lets
# LAME's SSE code compile; -mfpmath=sse keeps its floating point out of the
# x87 unit (Debian's MinGW gcc does so already with -msse2: the encoder came
# out the same and no faster, but another compiler might not). The program
# therefore needs a CPU with SSE2.
OPT_CFLAGS="-O3 -fomit-frame-pointer -ffast-math -maccumulate-outgoing-args -msse -msse2 -mfpmath=sse -DNDEBUG"
MPG123_CFLAGS="-O2 -msse -msse2 -DNDEBUG"
AO_CFLAGS="-O2 -DNDEBUG"
ZLIB_CFLAGS="-O2 -DNDEBUG"
# Static, with zlib (so that a compressed ID3v2 frame which must be written
# anew can be read), without its bindings, tests and examples.
TAGLIB_CXXFLAGS="-O2 -DNDEBUG"
# The loudness meter's K-weighting filter in SSE2 (-mfpmath=sse): the library
# then flushes denormals through MXCSR, and puts the caller's MXCSR back.
EBUR128_CFLAGS="-O2 -msse -msse2 -mfpmath=sse -DNDEBUG"

key=$( { vt_toolchain_id; printf '%s\n' "${orig_sha[@]}" | sort; \
         echo "$OPT_CFLAGS|$MPG123_CFLAGS|$AO_CFLAGS|$ZLIB_CFLAGS|$TAGLIB_CXXFLAGS|$EBUR128_CFLAGS"; \
         cat "$0" "$here"/patches/*.patch; } | sha256sum | cut -c1-16)
prefix=$VT_CACHE/deps/$key
if [[ -f $prefix/.complete ]]; then
  touch "$prefix/.complete"  # the last use, for the pruning below
  echo "$prefix"
  exit 0
fi

src=$VT_CACHE/sources
work=$VT_CACHE/build-$key
mkdir -p "$src"
# Older builds (other versions, flags or toolchains) go, except the one used
# last: work trees of two branches that build different libraries would
# otherwise rebuild them on every turn.
last=$(ls -1t "$VT_CACHE"/deps/*/.complete 2>/dev/null | head -n1)
for old in "$VT_CACHE"/deps/*; do
  [[ $old/.complete == "$last" ]] || rm -rf "$old"
done
rm -rf "$VT_CACHE"/build-*
mkdir -p "$work" "$prefix"

all_orig_tarballs_present() {
  local f
  for f in "${!orig_sha[@]}"; do [[ -f $src/$f ]] || return 1; done
}

fetch_sources() {
  local f
  # Only the orig tarballs matter, and they are checked against pinned sums
  # below: a stale index that names another version brings in nothing.
  all_orig_tarballs_present ||
    (cd "$src" && vt_apt_source all_orig_tarballs_present "${source_packages[@]}") || true
  for f in "${!orig_sha[@]}"; do
    if [[ ! -f $src/$f ]]; then
      echo "build-deps: $f could not be downloaded" >&2; exit 1
    fi
    echo "${orig_sha[$f]}  $src/$f" | sha256sum -c --quiet - >&2 || {
      echo "build-deps: $f does not match its pinned SHA-256" >&2; exit 1; }
  done
}

# Unpacks the orig tarball of package $1 into $work/$1 and applies Debian's
# patches that came with it (mpg123's carry security fixes), then ours.
unpack() {
  local pkg=$1 dir=$work/$1
  local tarballs=("$src/${pkg}_"*.orig.tar.*) debian=("$src/${pkg}_"*.debian.tar.*)
  [[ $orig_only == *" $pkg "* ]] && debian=()
  mkdir -p "$dir"
  tar -xf "${tarballs[0]}" -C "$dir" --strip-components=1
  if ((${#debian[@]})); then
    tar -xf "${debian[0]}" -C "$dir"
    if [[ -f $dir/debian/patches/series ]]; then
      local line name opts
      while read -r line; do
        line=${line%%#*}
        read -r name opts <<<"$line" || true
        [[ -z ${name:-} ]] && continue
        [[ $skipped_patches == *" $name "* ]] && continue
        patch -d "$dir" ${opts:--p1} -s -N < "$dir/debian/patches/$name" >&2
      done < "$dir/debian/patches/series"
    fi
  fi
  local own
  for own in "$here"/patches/"$pkg"-*.patch; do
    [[ -f $own ]] && patch -d "$dir" -p1 -s -N < "$own" >&2
  done
  return 0
}

configure_host() {
  PKG_CONFIG_LIBDIR=$prefix/lib/pkgconfig \
  ./configure --host=$VT_HOST --build=x86_64-linux-gnu \
    --enable-static --disable-shared --prefix="$prefix" \
    CC="$VT_CC" "$@" >&2
}

# Fails when a generated Makefile did not take the flags we asked for.
check_cflags() {
  local makefile=$1 wanted=$2
  grep -E '^CFLAGS *=' "$makefile" | grep -qF -- "$wanted" || {
    echo "build-deps: $makefile lost its optimisation flags:" >&2
    grep -E '^CFLAGS *=' "$makefile" >&2; exit 1; }
}

build_mpg123() {
  unpack mpg123
  cd "$work/mpg123"
  configure_host --with-cpu=x86 --disable-modules \
    CFLAGS="$MPG123_CFLAGS"
  check_cflags Makefile "$MPG123_CFLAGS"
  make -j"$(nproc)" >&2
  make install >&2
}

build_lame() {
  unpack lame
  cd "$work/lame"
  configure_host --disable-gtktest --enable-frontend --enable-decoder \
    CFLAGS="$OPT_CFLAGS"
  check_cflags libmp3lame/Makefile "$OPT_CFLAGS"
  check_cflags frontend/Makefile "$OPT_CFLAGS"
  make -j"$(nproc)" >&2
  make install >&2
}

build_libao() {
  unpack libao
  cd "$work/libao"
  [[ -x configure ]] || autoreconf -fi >&2
  configure_host --enable-wmm --disable-esd --disable-alsa --disable-arts \
    --disable-nas --disable-pulse CFLAGS="$AO_CFLAGS"
  make -j"$(nproc)" >&2
  make install >&2
}

# The library alone (libz.a and its two headers): Debian's patches touch
# only minizip and the shared library, neither of which is built.
build_zlib() {
  unpack zlib
  cd "$work/zlib"
  CHOST=$VT_HOST CC="$VT_CC" CFLAGS="$ZLIB_CFLAGS" ./configure --static --prefix="$prefix" >&2
  check_cflags Makefile "$ZLIB_CFLAGS"
  make -j"$(nproc)" libz.a >&2
  make install >&2
}

# zlib is named by its files, so the host's own can never be taken.
build_taglib() {
  unpack taglib
  cmake -S "$work/taglib" -B "$work/taglib/build" -G Ninja \
    -DCMAKE_SYSTEM_NAME=Windows -DCMAKE_C_COMPILER="$VT_CC" -DCMAKE_CXX_COMPILER="$VT_CXX" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS_RELEASE="$TAGLIB_CXXFLAGS" \
    -DCMAKE_INSTALL_PREFIX="$prefix" -DBUILD_SHARED_LIBS=OFF -DWITH_ZLIB=ON \
    -DZLIB_INCLUDE_DIR="$prefix/include" -DZLIB_LIBRARY="$prefix/lib/libz.a" \
    -DBUILD_BINDINGS=OFF -DBUILD_TESTING=OFF -DBUILD_EXAMPLES=OFF >&2
  grep -q '^#define *HAVE_ZLIB 1' "$work/taglib/build/config.h" || {
    echo "build-deps: TagLib did not take zlib" >&2; exit 1; }
  cmake --build "$work/taglib/build" -j"$(nproc)" >&2
  cmake --install "$work/taglib/build" >&2
}

# The library alone, static, with its own copy of queue.h (MinGW has none);
# its math library is looked for among the cross compiler's, never the host's.
build_libebur128() {
  unpack libebur128
  cmake -S "$work/libebur128" -B "$work/libebur128/build" -G Ninja \
    -DCMAKE_SYSTEM_NAME=Windows -DCMAKE_C_COMPILER="$VT_CC" \
    -DCMAKE_FIND_ROOT_PATH=/usr/$VT_HOST -DCMAKE_FIND_ROOT_PATH_MODE_LIBRARY=ONLY \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_C_FLAGS_RELEASE="$EBUR128_CFLAGS" \
    -DCMAKE_INSTALL_PREFIX="$prefix" -DBUILD_SHARED_LIBS=OFF -DENABLE_TESTS=OFF >&2
  cmake --build "$work/libebur128/build" -j"$(nproc)" >&2
  cmake --install "$work/libebur128/build" >&2
}

# A library that still calls the C runtime's assert would show its
# "Assertion failed!" box and end the user's program.
check_no_asserts() {
  local found
  found=$("$VT_HOST-nm" -A "$prefix"/lib/*.a 2>/dev/null | grep -E ' U (__imp_)?__w?assert$' || true)
  if [[ -n $found ]]; then
    echo "build-deps: built with assertions left in:" >&2
    echo "$found" >&2; exit 1
  fi
}

fetch_sources
(build_mpg123)
(build_lame)
(build_libao)
(build_zlib)
(build_taglib)
(build_libebur128)
check_no_asserts
rm -rf "$work"
touch "$prefix/.complete"
echo "$prefix"
