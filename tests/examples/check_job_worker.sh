#!/usr/bin/env bash
# check_job_worker.sh WORKER: runs the example job worker against the
# stand-in with the example's settings file: once with the message box set to
# answer cancel at once, once with the 180-second wait ended by SIGTERM, when
# the worker must let the library clear the job before it stops. The
# journal shows what reached the job manager.
set -euo pipefail
worker=$1
settings=$(dirname "$0")/../../examples/korrin.ini
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export KORRIN_DEBUG_LOG=off KORRIN_JOURNAL=$work/journal
unset KORRIN_FOCUS

# The journal's calls in order, a job state with its value, a refused call marked.
calls() {
    sed -E -e 's/.*"call":"state","accepted":true,"params":\[([0-9]+).*/state=\1/' \
        -e 's/.*"call":"([a-z]+)","accepted":true.*/\1/' \
        -e 's/.*"call":"([a-z]+)","accepted":false.*/\1(refused)/' "$KORRIN_JOURNAL" 2> /dev/null |
        paste -sd ' '
}
cycle='init raise state=3 clear state=1'

# fail WHAT STATUS OUTPUT
fail() {
    echo "$1: exit status $2, journal: $(calls)"$'\n'"$3"
    exit 1
}

sed 's/^nKRMSGBOXOPTION = 2$/nKRMSGBOXOPTION = 1/' "$settings" > "$work/cancel.ini"
status=0
out=$(KORRIN_SETTINGS=$work/cancel.ini "$worker" 42 LTO-0001 L1 D1) || status=$?
[[ $status == 1 && $(calls) == "$cycle" ]] || fail "answered cancel at once" "$status" "$out"
echo "answered cancel at once: not confirmed, job raised and cleared"

# A signal before the sleep begins is noted without ending it, so SIGTERM
# goes again until the clearing is there.
rm "$KORRIN_JOURNAL"
KORRIN_SETTINGS=$settings "$worker" 42 LTO-0001 L1 D1 > "$work/out" &
pid=$!
for _ in $(seq 100); do
    [[ $(calls) == *state=3* ]] && break
    sleep 0.1
done
for _ in $(seq 100); do
    [[ $(calls) == "$cycle" ]] && break
    kill -TERM "$pid" 2> /dev/null || break
    sleep 0.1
done
status=0
wait "$pid" || status=$?
[[ $status == 143 && $(calls) == "$cycle" ]] ||
    fail "SIGTERM in the wait" "$status" "$(cat "$work/out")"
echo "SIGTERM in the wait: job raised and cleared, worker stopped (143)"
