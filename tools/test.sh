#!/usr/bin/env bash
# Installs what is missing, builds the test build (AddressSanitizer and
# UndefinedBehaviorSanitizer) in build-test/ and runs every test, then the
# decode pool and page pipeline tests again under ThreadSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
./tools/setup-debian.sh
cmake -S . -B build-test -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTAVELO_SANITIZE=ON -DTAVELO_TESTS=ON
cmake --build build-test --parallel
cd build-test
ctest --output-on-failure --parallel 2
cd ..
# The decode pool and the page pipeline under ThreadSanitizer, in build-tsan/:
# only the test program that holds them. Reports inside Qt and glibc, which
# are not instrumented, are suppressed by tools/tsan.supp (each line says why).
# The 7z, tar and PDF tests are left to the ASan run: they start 7z, bsdtar
# and qpdf through QProcess while the pool's threads run, after which
# ThreadSanitizer reports the construction of the pipeline's own mutex as
# racing with its first lock (Qt starts children by a raw clone it does not
# see).
cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTAVELO_TSAN=ON -DTAVELO_TESTS=ON
cmake --build build-tsan --parallel --target test_documento
TSAN_OPTIONS="suppressions=$PWD/tools/tsan.supp halt_on_error=1 exitcode=66" QT_QPA_PLATFORM=offscreen \
  build-tsan/test_documento --gtest_filter='-Documentos.SevenZipAndTar*:Documentos.Pdf*'
# A short run of every fuzz target (clang build in build-fuzz/): fails on a
# new crash, leak, hang over 5 s or memory over 2 GB (see tools/fuzz.sh).
./tools/fuzz.sh "${TAVELO_FUZZ_SEGUNDOS:-30}"
