#!/usr/bin/env bash
# Installs what is missing, builds the test build (AddressSanitizer and
# UndefinedBehaviorSanitizer) in build-test/ and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
./tools/setup-debian.sh
cmake -S . -B build-test -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTAVELO_SANITIZE=ON -DTAVELO_TESTS=ON
cmake --build build-test --parallel
cd build-test
ctest --output-on-failure --parallel 2
cd ..
# A short run of every fuzz target (clang build in build-fuzz/): fails on a
# new crash, leak, hang over 5 s or memory over 2 GB (see tools/fuzz.sh).
./tools/fuzz.sh "${TAVELO_FUZZ_SEGUNDOS:-30}"
