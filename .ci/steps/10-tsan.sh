#!/usr/bin/env bash
# The library's and the stand-in's tests under ThreadSanitizer (the tsan
# preset): the stand-in's journal and call counts reached from two threads.
# KORRIN_TSAN_BUILD chooses the build directory.
set -euo pipefail
cd "$(dirname "$0")/../.."
source .ci/lib/unit-tests.bash

export TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1"
unit_test_step tsan "${KORRIN_TSAN_BUILD:-build/tsan}"
