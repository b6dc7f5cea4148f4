#!/bin/sh
# Installs what is missing, builds, and runs every test: the normal build,
# then a clang build with AddressSanitizer and UndefinedBehaviorSanitizer
# (which also runs the fuzzers for a bounded time).
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
jobs=$(nproc)
"$root/scripts/deps.sh"

cmake -S "$root" -B "$root/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$root/build" -j"$jobs"
ctest --test-dir "$root/build" -j"$jobs" --output-on-failure

CC=clang CXX=clang++ cmake -S "$root" -B "$root/build-asan" -DCMAKE_BUILD_TYPE=Debug \
  -DKB_SANITIZE=ON -DKB_FUZZ=ON -DKB_BENCHMARKS=OFF
cmake --build "$root/build-asan" -j"$jobs"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir "$root/build-asan" -j"$jobs" --output-on-failure
