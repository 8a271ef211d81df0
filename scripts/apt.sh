# The setup's calls to apt, made to outlast a package archive in the middle
# of a sync (an index of the wrong size for a few minutes, or the lists of one
# architecture one update behind the other's). Sourced, not run.
# Every call goes through vt_apt_get, which the tests replace with a stub.

VT_APT_TRIES=${VT_APT_TRIES:-3}
VT_APT_PAUSE=${VT_APT_PAUSE:-20}

vt_apt_get() { apt-get "$@"; }

vt_apt_say() { echo "${0##*/}: $*" >&2; }

# apt-get update, tried again while an index fails to download. When one
# still fails, it is named and the setup goes on with the lists apt has:
# the install below can often resolve without it.
vt_apt_update() {
  local try log
  log=$(mktemp)
  for ((try = 1; ; try++)); do
    if vt_apt_get update -q 2>&1 | tee "$log" >&2; then
      rm -f "$log"
      return 0
    fi
    ((try < VT_APT_TRIES)) || break
    vt_apt_say "apt-get update failed (try $try of $VT_APT_TRIES); trying again in $VT_APT_PAUSE s"
    sleep "$VT_APT_PAUSE"
  done
  local failed
  failed=$(sed -n 's/^E: Failed to fetch \([^ ]*\).*/\1/p' "$log" | sort -u)
  rm -f "$log"
  if [[ -n $failed ]]; then
    local url
    while read -r url; do
      vt_apt_say "could not fetch $url after $VT_APT_TRIES tries (is the mirror in the middle of a sync?); going on with the package lists apt has"
    done <<<"$failed"
  else
    vt_apt_say "apt-get update failed $VT_APT_TRIES times; going on with the package lists apt has"
  fi
  return 0
}

# apt-get install -y of its arguments. When they do not resolve (with one
# index missing, the multi-arch libraries of the two architectures may have
# different versions in the lists), it tries once more: with the base
# release preferred, whose versions exist for every architecture, or, when
# the caller named a release itself (-t R first), after the lists are
# fetched again. Only when that fails too does it stop.
vt_apt_install() {
  vt_apt_get install -y -q "$@" && return 0
  if [[ ${1:-} == -t ]]; then
    vt_apt_say "the install did not resolve; fetching the package lists again and trying once more"
    vt_apt_update
    vt_apt_get install -y -q "$@" && return 0
  else
    vt_apt_say "the install did not resolve; trying again with the base release preferred (-t bookworm)"
    vt_apt_get install -y -q -t bookworm "$@" && return 0
  fi
  vt_apt_say "the packages could not be installed (apt's message is above); the package archive may be in the middle of a sync: run the command again later"
  return 1
}

# apt-get source --download-only of the packages after $1 into the current
# folder, tried again until the command $1 says that every file it needs is
# there. Auxiliary files (a signature, a diff) may answer 404, so apt's own
# status does not count; the caller checks what came against its pinned sums.
vt_apt_source() {
  local complete=$1 try
  shift
  for ((try = 1; ; try++)); do
    vt_apt_get source --download-only "$@" >&2 || true
    "$complete" && return 0
    ((try < VT_APT_TRIES)) || return 1
    vt_apt_say "source packages are missing (try $try of $VT_APT_TRIES); fetching the lists again in $VT_APT_PAUSE s"
    sleep "$VT_APT_PAUSE"
    vt_apt_update
  done
}
