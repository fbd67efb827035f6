#!/usr/bin/env bash
# Installs what is missing, builds a release build in build/ and starts the
# viewer on the sample comic the build draws.
set -euo pipefail
cd "$(dirname "$0")/.."
./tools/setup-debian.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DTAVELO_TESTS=OFF
cmake --build build --parallel
exec ./build/tavelo "$PWD/build/muestra/Muestra.cbz"
