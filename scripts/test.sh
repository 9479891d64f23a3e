#!/usr/bin/env bash
# Builds and runs every test: the normal build (core, CLI and desktop), then the
# whole program again under AddressSanitizer and UBSan, then a short fuzz run.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh

jobs=$(nproc)

cmake -S . -B build -G Ninja -DKEYMORA_WERROR=ON
cmake --build build -j "$jobs"
ctest --test-dir build --output-on-failure -j "$jobs"

./scripts/fuzz.sh "${KEYMORA_FUZZ_SECONDS:-60}"

cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKEYMORA_SANITIZE=ON \
  -DKEYMORA_BENCH=OFF
cmake --build build-asan -j "$jobs"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir build-asan --output-on-failure -j "$jobs"
