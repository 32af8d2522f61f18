#!/usr/bin/env bash
# Builds the fuzz targets (the fuzz preset) and runs each for a bounded time
# on a copy of its seed corpus, fuzz/corpus/<target>. A broken promise, a
# sanitizer report or a crash fails the step and prints the input; each
# target's executions per second are printed for information.
#   KORRIN_FUZZ_SECONDS  seconds per target (default 30)
#   KORRIN_FUZZ_KEEP     1: merge what each run found into fuzz/corpus/<target>
#                        (libFuzzer -merge=1: only inputs that reach new
#                        coverage); default: keep nothing
#   KORRIN_FUZZ_BUILD    build directory (default build/fuzz)
set -euo pipefail
cd "$(dirname "$0")/../.."

seconds=${KORRIN_FUZZ_SECONDS:-30}
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
    # -print_funcs=0: no symbolizer is started to name newly covered functions.
    if ! "$build/fuzz/$target" -max_total_time="$seconds" -timeout=20 -print_final_stats=1 \
            -print_funcs=0 -artifact_prefix="$work/$target-" "$work/$target" > "$log" 2>&1; then
        echo "$target: FAILED"
        tail -80 "$log"
        for artifact in "$work/$target-"*; do
            [[ -e "$artifact" ]] || continue
            echo "input $(basename "$artifact"), base64: $(base64 -w 0 "$artifact")"
        done
        status=1
        continue
    fi
    printf '%-20s %9s executions in %s s, %6s/s (%s)\n' "$target" \
        "$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")" "$seconds" \
        "$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")" \
        "$(grep -oE 'cov: [0-9]+' "$log" | tail -1)"
    if [[ ${KORRIN_FUZZ_KEEP:-0} == 1 ]]; then
        before=$(find "$seeds" -type f | wc -l)
        "$build/fuzz/$target" -merge=1 "$seeds" "$work/$target" > "$log.merge" 2>&1 ||
            { echo "$target: merge FAILED"; tail -20 "$log.merge"; status=1; continue; }
        echo "$target: kept $(($(find "$seeds" -type f | wc -l) - before)) new inputs in $seeds"
    fi
done
echo "fuzz: $((SECONDS - start)) s"
exit "$status"
