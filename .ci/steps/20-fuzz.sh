#!/usr/bin/env bash
# Builds the fuzz targets (the fuzz preset) and runs each for a bounded time
# on a copy of its seed corpus. Prints each target's executions, executions
# per second and coverage; a broken promise, a sanitizer report or a target
# below the floor in both its runs fails the step.
#   KORRIN_FUZZ_SECONDS   seconds per target (default 10)
#   KORRIN_FUZZ_AIM       executions per second each target should reach
#                         (default 10000): a run below it runs once more
#   KORRIN_FUZZ_MIN_RATE  executions per second below which a target fails,
#                         when both its runs fall short (default 9000, below
#                         the aim by this machine's slow spells; 0 checks nothing)
#   KORRIN_FUZZ_KEEP      1: merge what each run found into fuzz/corpus/<target>
#                         (libFuzzer -merge=1: only inputs that reach new
#                         coverage, the smallest first); default: keep nothing
#   KORRIN_FUZZ_BUILD     build directory (default build/fuzz)
set -euo pipefail
cd "$(dirname "$0")/../.."

seconds=${KORRIN_FUZZ_SECONDS:-10}
aim=${KORRIN_FUZZ_AIM:-10000}
floor=${KORRIN_FUZZ_MIN_RATE:-9000}
((aim >= floor)) || aim=$floor
keep=${KORRIN_FUZZ_KEEP:-0}
build=${KORRIN_FUZZ_BUILD:-build/fuzz}
start=$SECONDS
cmake --preset fuzz -B "$build" > /dev/null
cmake --build "$build"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
status=0
for seeds in fuzz/corpus/*/; do
    target=$(basename "$seeds")
    mkdir -p "$work/$target"
    cp "$seeds"* "$work/$target/"
    log="$work/$target.log"
    # A shared machine has slow spells of a few seconds: a target below the
    # aim runs once more, and fails the step only when both runs fall below
    # the floor.
    previous=0
    for attempt in 1 2; do
        # -print_funcs=0: no symbolizer is started to name the functions a
        # new input reaches, which nobody reads here and which costs a short run.
        if ! "$build/fuzz/$target" -max_total_time="$seconds" -timeout=20 -print_final_stats=1 \
                -print_funcs=0 -artifact_prefix="$work/$target-" "$work/$target" > "$log" 2>&1; then
            echo "$target: FAILED"
            tail -80 "$log"
            for artifact in "$work/$target-"*; do
                [[ -e "$artifact" ]] || continue
                echo "input $(basename "$artifact"), base64:"
                base64 -w 0 "$artifact"
                echo
            done
            status=1
            continue 2
        fi
        executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
        rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")
        coverage=$(grep -oE 'cov: [0-9]+' "$log" | tail -1)
        verdict=""
        if ((rate < aim)); then
            if ((attempt == 1)); then
                verdict="  below the aim of $aim executions per second: once more"
            elif ((rate < floor && previous < floor)); then
                verdict="  FAILED: below $floor executions per second twice"
                status=1
            else
                verdict="  below the aim of $aim again; one of its runs reached the floor of $floor"
            fi
        fi
        printf '%-20s %9s executions in %s s, %6s/s (%s)%s\n' "$target" "$executions" \
            "$seconds" "$rate" "$coverage" "$verdict"
        previous=$rate
        ((rate < aim)) || break
    done
    if [[ "$keep" == 1 ]]; then
        before=$(find "$seeds" -type f | wc -l)
        "$build/fuzz/$target" -merge=1 "$seeds" "$work/$target" > "$log.merge" 2>&1 ||
            { echo "$target: merge FAILED"; tail -20 "$log.merge"; status=1; continue; }
        echo "$target: kept $(( $(find "$seeds" -type f | wc -l) - before )) new inputs in $seeds"
    fi
done
echo "fuzz: $((SECONDS - start)) s"
exit "$status"
