#!/usr/bin/env bash
# Writes the corresponding source of the release into folder $1:
# mp3vellumtone-<version>-src.zip with the project's tree at the commit in
# hand (git archive) and, in debian-sources/, the libraries' sources as
# scripts/build-deps.sh builds them: Debian's orig tarballs (checked against
# the sums pinned there), Debian's own part of each source package (checked
# against the sums in its .dsc) and the .dsc; the project's patches are in
# the tree (scripts/patches/). Refuses a tree with uncommitted changes, since
# the zip must hold what the program was built from; VELLUMTONE_ALLOW_DIRTY=1
# lets the tests look at one made from a working tree anyway.
set -euo pipefail
shopt -s nullglob
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/common.sh"

out=$(mkdir -p "$1" && cd "$1" && pwd)
if [[ -z ${VELLUMTONE_ALLOW_DIRTY:-} && -n $(git -C "$root" status --porcelain) ]]; then
  echo "source-zip: the tree has uncommitted changes; commit them first" >&2
  exit 1
fi
version=$(vt_version_at "$root" HEAD)
name=mp3vellumtone-$version-src
src=$VT_CACHE/sources
work=$(mktemp -d "${TMPDIR:-/tmp}/vellumtone-src.XXXXXX")
trap 'rm -rf "$work"' EXIT

git -C "$root" archive --format=tar --prefix="$name/" HEAD | tar -x -C "$work"
deb=$work/$name/debian-sources
mkdir -p "$deb"

fail() { echo "source-zip: $*" >&2; exit 1; }

# The sum that a package's .dsc gives for one of its files.
dsc_sum() {
  sed -n '/^Checksums-Sha256:/,/^[^ ]/p' "$1" | awk -v f="$2" '$3 == f { print $1 }'
}

add_package() {
  local orig=$1 sum=$2 pkg=${1%%_*} dsc part
  [[ -f $src/$orig ]] || fail "$orig is not in $src (run scripts/build-deps.sh)"
  echo "$sum  $src/$orig" | sha256sum -c --quiet - || fail "$orig does not match its pinned sum"
  cp "$src/$orig" "$deb/"
  for dsc in "$src/${pkg}"_*.dsc; do
    cp "$dsc" "$deb/"
    # What is built from its orig tarball alone needs no Debian part.
    [[ $orig_only == *" $pkg "* ]] && continue
    for part in "$src/${pkg}"_*.debian.tar.* "$src/${pkg}"_*.diff.gz; do
      [[ $(dsc_sum "$dsc" "${part##*/}") == $(sha256sum <"$part" | cut -c1-64) ]] ||
        fail "${part##*/} does not match the sum in ${dsc##*/}"
      cp "$part" "$deb/"
    done
  done
}

orig_only=" $(vt_orig_only_packages | tr '\n' ' ') "
while read -r orig sum; do add_package "$orig" "$sum"; done < <(vt_pinned_sources)

cat >"$deb/README.txt" <<TEXT
The libraries in mp3vellumtone.exe $version, as built
======================================================

scripts/build-deps.sh builds each library from these files: the orig
tarball (its SHA-256 sum is pinned in build-deps.sh), then the patches in
Debian's part of the source package (<package>_*.debian.tar.*; the .dsc
gives the Debian version and the sums), then the project's own patches in
scripts/patches/. libao's Debian part is an old-style .diff.gz, which is not
applied: libao is built from its orig tarball and the project's patch.
libebur128 is built from its orig tarball alone, and its Debian part is not
here. To build from these files without downloading anything,
copy them into the folder build-deps.sh downloads to
(~/.cache/mp3vellumtone/sources, or \$VELLUMTONE_CACHE/sources) and run
bash scripts/test.sh or bash scripts/package.sh as README.md describes.

Files and their SHA-256 sums:
$(cd "$deb" && sha256sum -- *.orig.* *.dsc *.debian.tar.* *.diff.gz 2>/dev/null)
TEXT

rm -f "$out/$name.zip"
(cd "$work" && cmake -E tar cf "$out/$name.zip" --format=zip "$name")
echo "$out/$name.zip"
