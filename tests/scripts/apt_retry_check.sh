#!/usr/bin/env bash
# The setup's apt calls against a stub archive: an index that fails while a
# mirror syncs, an install that resolves only with the base release, a source
# download that comes in late. No network: vt_apt_get is replaced.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../../scripts/apt.sh"
VT_APT_PAUSE=0
work=${1:-$PWD}/apt_retry_check
rm -rf "$work" && mkdir -p "$work" && cd "$work" || exit 1

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# The stub: each call is appended to calls.log; $scenario says how the
# archive answers. Calls run in subshells (through tee), so counts are kept
# in the log, not in variables.
i386_index=http://deb.debian.org/debian-security/dists/bookworm-security/main/binary-i386/Packages.xz
calls() { grep -c "^$1" calls.log 2>/dev/null; }
vt_apt_get() {
  echo "$*" >>calls.log
  case "$scenario:$1" in
    flaky-update:update)
      (($(calls update) > 1)) && return 0
      echo "E: Failed to fetch $i386_index  File has unexpected size (374820 != 376004). Mirror sync in progress?"
      return 100 ;;
    syncing:update)
      echo "E: Failed to fetch $i386_index  File has unexpected size (374820 != 376004). Mirror sync in progress?"
      echo "E: Some index files failed to download. They have been ignored, or old ones used instead."
      return 100 ;;
    syncing:install)
      [[ " $* " == *" -t bookworm "* ]] && return 0
      echo "libxml2:i386 : Depends: liblzma5:i386 (>= 5.1.1alpha+20120614) but it is not going to be installed" >&2
      return 100 ;;
    broken:install) return 100 ;;
    backports:install) (($(calls install) > 1)) ;;
    late-source:source)
      (($(calls source) == 2)) && touch orig.tar.gz
      return 100 ;;
    *) return 0 ;;
  esac
}
run() {  # scenario, then the call; its messages go to said.log
  scenario=$1; shift
  : >calls.log
  "$@" 2>said.log >/dev/null
}
said() { grep -qF -- "$1" said.log || fail "$scenario: no \"$1\" in: $(cat said.log)"; }

run flaky-update vt_apt_update || fail "flaky-update: failed"
[[ $(calls update) == 2 ]] || fail "flaky-update: $(calls update) updates, not 2"
said "try 1 of 3"

run syncing vt_apt_update || fail "syncing: an index that keeps failing stops the setup"
[[ $(calls update) == 3 ]] || fail "syncing: $(calls update) updates, not 3"
said "could not fetch $i386_index after 3 tries"
said "going on with the package lists apt has"
run syncing vt_apt_install wine wine32:i386 || fail "syncing: the install did not go on"
grep -qx -- "install -y -q -t bookworm wine wine32:i386" calls.log ||
  fail "syncing: no install with the base release preferred: $(cat calls.log)"
said "trying again with the base release preferred (-t bookworm)"

run broken vt_apt_install cmake && fail "broken: an install that never resolves passed"
said "run the command again later"

run backports vt_apt_install -t bookworm-backports qemu-user-static || fail "backports: failed"
[[ $(calls install) == 2 && $(calls update) == 1 ]] ||
  fail "backports: not fetched again and retried: $(cat calls.log)"
grep -q -- "-t bookworm " calls.log && fail "backports: the base release replaced the one asked for"

has_orig() { [[ -f orig.tar.gz ]]; }
run late-source vt_apt_source has_orig mpg123 || fail "late-source: given up"
[[ $(calls source) == 2 ]] || fail "late-source: $(calls source) downloads, not 2"
rm -f orig.tar.gz
scenario=broken
vt_apt_source has_orig mpg123 2>/dev/null && fail "a source that never comes counted as there"

((failures == 0)) && echo "apt retry checks passed"
exit $((failures > 0))
