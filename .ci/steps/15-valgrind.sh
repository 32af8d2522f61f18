#!/usr/bin/env bash
# The unit tests under valgrind memcheck, from a Debug build without
# sanitizers (the memcheck preset): any memory error or leak fails the step.
# KORRIN_MEMCHECK_BUILD chooses the build directory.
set -euo pipefail
cd "$(dirname "$0")/../.."
source .ci/lib/unit-tests.bash

build=${KORRIN_MEMCHECK_BUILD:-build/memcheck}
start=$SECONDS
cmake --preset memcheck -B "$build" > /dev/null
cmake --build "$build" --target "${unit_test_targets[@]}"
status=0
run_unit_tests "$build" valgrind --error-exitcode=1 --leak-check=full \
    --errors-for-leak-kinds=definite,possible --track-origins=yes || status=1
echo "valgrind: $((SECONDS - start)) s"
exit "$status"
