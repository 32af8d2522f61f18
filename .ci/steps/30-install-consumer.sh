#!/usr/bin/env bash
# Installs a release build into a temporary prefix, then builds and runs a
# separate consumer project against it: once through find_package, once
# through pkg-config. The installed tool must run from there too.
set -euo pipefail
cd "$(dirname "$0")/../.."

build=build/install-check
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix
expected='Please insert the required media [LTO-0001] for JobID [42] into the library [L1] drive [D1].'

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKORRIN_BUILD_TESTS=OFF
cmake --build "$build" -j2
cmake --install "$build" --prefix "$prefix"

export KORRIN_DEBUG_LOG=off

echo "-- find_package"
cmake -S tests/consumer -B "$work/consumer" -G Ninja -DCMAKE_PREFIX_PATH="$prefix"
cmake --build "$work/consumer"
out=$("$work/consumer/korrin-consumer")
echo "$out"
[[ $out == "$expected" ]]

echo "-- pkg-config"
pc=$(find "$prefix" -name korrin-alert.pc)
export PKG_CONFIG_PATH=${pc%/*}
flags=$(pkg-config --cflags --libs korrin-alert)
echo "$flags"
# shellcheck disable=SC2086 # the flags are words
g++ -std=c++17 tests/consumer/*.cpp $flags -o "$work/consumer-pc"
libdir=$(pkg-config --variable=libdir korrin-alert)
out=$(LD_LIBRARY_PATH=$libdir "$work/consumer-pc")
[[ $out == "$expected" ]]

echo "-- installed tool"
"$prefix/bin/korrin-alert" --json --answer-after 0 new-media --job 7 --library L1 --drive D1 |
    grep -q '"exit_status": 0'
echo "install and consume: ok"
