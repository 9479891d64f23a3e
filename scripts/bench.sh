#!/usr/bin/env bash
# Runs every benchmark of a Release build and prints its figures.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release -DKEYMORA_TESTS=OFF
cmake --build build-release -j "$(nproc)"
for b in build-release/bench/bench_* build-release/bench/gui/bench_*; do
  [ -x "$b" ] || continue
  echo "== $(basename "$b")"
  QT_QPA_PLATFORM=offscreen "$b"
  echo
done
