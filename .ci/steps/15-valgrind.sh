#!/usr/bin/env bash
# The unit tests under valgrind memcheck, from a Debug build without
# sanitizers (the memcheck preset): any memory error or leak fails the step.
# KORRIN_MEMCHECK_BUILD chooses the build directory.
set -euo pipefail
cd "$(dirname "$0")/../.."

build=${KORRIN_MEMCHECK_BUILD:-build/memcheck}
start=$SECONDS
cmake --preset memcheck -B "$build" > /dev/null
cmake --build "$build" --target alert_tests alert_scripted_dialog_tests platform_tests

logs=$(mktemp -d)
trap 'rm -rf "$logs"' EXIT
status=0
for binary in tests/alert_tests tests/alert_scripted_dialog_tests tests/platform/platform_tests; do
    name=$(basename "$binary")
    log="$logs/$name.log"
    if valgrind --error-exitcode=1 --leak-check=full --errors-for-leak-kinds=definite,possible \
            --track-origins=yes "$build/$binary" --gtest_brief=1 > "$log" 2>&1; then
        echo "$name: $(grep -E '^\[  PASSED  \]' "$log") $(grep -E 'ERROR SUMMARY' "$log" | sed 's/^==[0-9]*== //')"
    else
        echo "$name: FAILED under valgrind"
        grep -vE '^Job ' "$log" | tail -150
        status=1
    fi
done
echo "valgrind: $((SECONDS - start)) s"
exit "$status"
