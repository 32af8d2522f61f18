#!/usr/bin/env bash
# Builds the fuzz targets (the fuzz preset) and runs each for a bounded time
# on a copy of its seed corpus, so that what a run adds is not kept. Prints
# the executions per target; any broken promise or sanitizer report fails.
#   KORRIN_FUZZ_SECONDS  seconds per target (default 30)
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
    if "$build/fuzz/$target" -max_total_time="$seconds" -timeout=20 -print_final_stats=1 \
            -artifact_prefix="$work/$target-" "$work/$target" > "$log" 2>&1; then
        executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
        rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")
        coverage=$(grep -oE 'cov: [0-9]+' "$log" | tail -1)
        printf '%-20s %9s executions in %s s (%s/s, %s)\n' "$target" "$executions" "$seconds" \
            "$rate" "$coverage"
    else
        echo "$target: FAILED"
        tail -80 "$log"
        for artifact in "$work/$target-"*; do
            [[ -e "$artifact" ]] || continue
            echo "input $(basename "$artifact"), base64:"
            base64 -w 0 "$artifact"
            echo
        done
        status=1
    fi
done
echo "fuzz: $((SECONDS - start)) s"
exit "$status"
