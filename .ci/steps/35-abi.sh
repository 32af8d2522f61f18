#!/usr/bin/env bash
# The alert library keeps the ABI described in abi/ (.ci/abi.sh), and the
# check fails on copies of the library with an incompatible change. Uses the
# package build (KORRIN_PACKAGE_BUILD, default build/package).
set -euo pipefail
cd "$(dirname "$0")/../.."

start=$SECONDS
bash .ci/abi.sh
bash .ci/abi.sh --self-test
echo "abi: $((SECONDS - start)) s"
