#!/usr/bin/env bash
# check_job_worker.sh WORKER: the example job worker against the stand-in,
# with the example's settings: once with the box set to answer cancel at
# once (exit 1), once with its 180-second wait ended by SIGTERM (exit 143),
# when the worker must let the library clear the job before it stops. The
# journal's calls must read init, raise, state 3, clear, state 1.
set -uo pipefail
worker=$1 settings=$(dirname "$0")/../../examples/korrin.ini work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export KORRIN_DEBUG_LOG=off KORRIN_JOURNAL=$work/journal
unset KORRIN_FOCUS
calls() { grep -so '"call":"[a-z]*","accepted":true' "$KORRIN_JOURNAL" | cut -d'"' -f4 | xargs; }
check() { # check WHAT EXPECTED-STATUS STATUS
    [[ $3 == "$2" && $(calls) == "init raise state clear state" ]] ||
        { echo "$1: exit $3, journal: $(calls)" && exit 1; }
    echo "$1: exit $3, the job raised and cleared" && rm "$KORRIN_JOURNAL"
}

sed 's/^nKRMSGBOXOPTION = 2$/nKRMSGBOXOPTION = 1/' "$settings" > "$work/cancel.ini"
KORRIN_SETTINGS=$work/cancel.ini "$worker" 42 LTO-0001 L1 D1 > /dev/null
check "answered cancel at once" 1 $?

# A signal before the sleep begins does not end it: SIGTERM until the clearing.
KORRIN_SETTINGS=$settings "$worker" 42 LTO-0001 L1 D1 > /dev/null &
for _ in $(seq 200); do
    [[ $(calls) == *clear* ]] && break
    [[ $(calls) == *state* ]] && kill -TERM $! 2> /dev/null
    sleep 0.1
done
wait $!
check "SIGTERM in the wait" 143 $?
