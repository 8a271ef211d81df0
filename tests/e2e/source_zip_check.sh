#!/usr/bin/env bash
# Makes the release's source zip in the current folder, unpacks it, and
# checks that it is the source of version $1: the project's tree at that
# version, and each library's sources with the sums pinned in the tree's
# own scripts/build-deps.sh (Debian's parts with the sums of their .dsc).
# $2: the binary zip's README.txt, which must say where the source is.
# $3: the repository. Exit code 77 (skipped) outside a git checkout.
set -euo pipefail
shopt -s nullglob
version=$1 readme=$2 repository=$3
git -C "$repository" rev-parse --git-dir >/dev/null 2>&1 || exit 77

fail() { echo "FAILED: $*" >&2; exit 1; }

rm -rf unpacked ./*.zip
VELLUMTONE_ALLOW_DIRTY=1 "$repository/scripts/source-zip.sh" . >/dev/null
zip=mp3vellumtone-$version-src.zip
[[ -f $zip ]] || fail "no $zip"
mkdir unpacked
cmake -E chdir unpacked cmake -E tar xf "../$zip"
tree=unpacked/mp3vellumtone-$version-src
[[ -d $tree ]] || fail "$zip does not hold mp3vellumtone-$version-src/"

source "$tree/scripts/common.sh"
[[ $(sed -n 's/^project(MP3Vellumtone VERSION \([0-9.]*\).*/\1/p' "$tree/CMakeLists.txt") == "$version" ]] ||
  fail "the tree in $zip is not version $version"
deb=$tree/debian-sources
orig_only=" $(vt_orig_only_packages | tr '\n' ' ') "
libraries=0
while read -r orig sum; do
  [[ -f $deb/$orig ]] || fail "$orig is missing"
  echo "$sum  $deb/$orig" | sha256sum -c --quiet - || fail "$orig does not match its pinned sum"
  dscs=("$deb/${orig%%_*}"_*.dsc)
  ((${#dscs[@]} == 1)) || fail "no .dsc for $orig"
  libraries=$((libraries + 1))
  [[ $orig_only == *" ${orig%%_*} "* ]] && continue
  # Every file of Debian's part that build-deps.sh applies, with the .dsc's sum.
  while read -r part_sum part; do
    [[ -f $deb/$part ]] || fail "$part is missing"
    echo "$part_sum  $deb/$part" | sha256sum -c --quiet - || fail "$part does not match its .dsc"
  done < <(sed -n '/^Checksums-Sha256:/,/^[^ ]/p' "${dscs[0]}" | awk '$3 ~ /\.debian\.tar\./ { print $1, $3 }')
done < <(vt_pinned_sources)
((libraries >= 3)) || fail "only $libraries libraries pinned"
patches=("$tree"/scripts/patches/*.patch)
((${#patches[@]} > 0)) || fail "the project's patches are missing"
grep -q "mp3vellumtone-$version-src.zip" "$readme" || fail "README.txt does not say where the source is"
echo "$zip: version $version, $libraries libraries with their pinned sums, ${#patches[@]} patches"
