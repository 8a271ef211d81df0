#!/usr/bin/env bash
# Runs a test program under Wine for ctest: "$@" is Wine and the program's
# command line.
#
# Once a process's last Windows thread has ended, Wine's server gives its
# Unix side about half a second to exit and then kills it (SIGKILL). On a
# loaded machine that can catch a test program whose tests have all run,
# and ctest would report a crash. The test programs write their own result
# to $VT_RESULT_FILE just before they return from main; when Wine killed
# one after that, the result it wrote is the one that counts.
result=$(mktemp "${TMPDIR:-/tmp}/vellumtone-result.XXXXXX") || exit 1
trap 'rm -f "$result"' EXIT
VT_RESULT_FILE=$result "$@"
status=$?
if ((status == 128 + 9)) && [[ -s $result ]]; then
  read -r status <"$result"
  echo "Wine killed the test program after it had ended; its own result: $status" >&2
fi
exit "$status"
