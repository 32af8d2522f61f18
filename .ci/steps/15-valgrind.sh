#!/usr/bin/env bash
# The unit tests under valgrind memcheck, from a Debug build without
# sanitizers (the memcheck preset): any memory error or leak fails the step.
# KORRIN_MEMCHECK_BUILD chooses the build directory.
set -euo pipefail
cd "$(dirname "$0")/../.."
source .ci/lib/unit-tests.bash

unit_test_step memcheck "${KORRIN_MEMCHECK_BUILD:-build/memcheck}" \
    valgrind --error-exitcode=1 --leak-check=full --errors-for-leak-kinds=definite,possible \
    --track-origins=yes
