#!/usr/bin/env bash
# The whole test suite under ThreadSanitizer (the tsan preset), the threads
# test among it. KORRIN_TSAN_BUILD chooses the build directory.
set -euo pipefail
cd "$(dirname "$0")/../.."

build=${KORRIN_TSAN_BUILD:-build/tsan}
start=$SECONDS
cmake --preset tsan -B "$build" > /dev/null
cmake --build "$build"
ctest --preset tsan --test-dir "$build"
echo "tsan: $((SECONDS - start)) s"
