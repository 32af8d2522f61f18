#!/usr/bin/env bash
# The unit tests under valgrind memcheck, from a Debug build without
# sanitizers (the memcheck preset): any memory error or leak fails the step.
# KORRIN_MEMCHECK_BUILD chooses the build directory.
#
# The alert tests replace operator new to count the alert code's heap blocks;
# nouserintercepts keeps valgrind from putting its own operator new in place
# of theirs (it still sees every block, through malloc).
set -euo pipefail
cd "$(dirname "$0")/../.."
source .ci/lib/unit-tests.bash

unit_test_step memcheck "${KORRIN_MEMCHECK_BUILD:-build/memcheck}" \
    valgrind --soname-synonyms=somalloc=nouserintercepts --error-exitcode=1 --leak-check=full --errors-for-leak-kinds=definite,possible \
    --track-origins=yes
