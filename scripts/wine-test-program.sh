#!/usr/bin/env bash
# Runs a test program under Wine for ctest: "$@" is Wine and the program's
# command line.
#
# The test programs write their own result to $VT_RESULT_FILE just before
# they return from main. Two things can happen after that which are Wine's
# and not the tests':
# - Once a process's last Windows thread has ended, Wine's server gives its
#   Unix side about half a second to exit and then kills it (SIGKILL); on a
#   loaded machine that can catch a test program whose tests have all run.
# - Now and then the process never finishes exiting at all (seen on a loaded
#   machine: every test passed, and the process was still there five minutes
#   later, until ctest's timeout).
# In both cases the result the program wrote is the one that counts; a
# process that has written it gets $VT_EXIT_GRACE_SECONDS to end on its own.
result=$(mktemp "${TMPDIR:-/tmp}/vellumtone-result.XXXXXX") || exit 1
child=
trap 'if [[ -n $child ]]; then kill -KILL "$child" 2>/dev/null; fi; rm -f "$result"' EXIT
trap 'exit 143' TERM INT

VT_RESULT_FILE=$result "$@" &
child=$!
grace=${VT_EXIT_GRACE_SECONDS:-60}
ended=
while kill -0 "$child" 2>/dev/null; do
  if [[ -s $result ]]; then
    if [[ -z $ended ]]; then
      ended=$SECONDS
    elif ((SECONDS - ended >= grace)); then
      echo "The test program had not exited $grace s after its tests ended; ended it" >&2
      kill -KILL "$child" 2>/dev/null
      break
    fi
  fi
  sleep 0.1
done
wait "$child"
status=$?
child=
if ((status == 128 + 9)) && [[ -s $result ]]; then
  read -r status <"$result"
  echo "The test program was killed after it had ended; its own result: $status" >&2
fi
exit "$status"
