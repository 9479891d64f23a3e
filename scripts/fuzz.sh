#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs every one of them.
#   fuzz.sh SECONDS      the seconds are shared out among the targets (CI's short run)
#   fuzz.sh --runs N     each target runs N inputs (make fuzz)
# Every fuzz/fuzz_<name>.cpp is a target; its seeds are fuzz/seeds/fuzz_<name>/.
# The corpus each run grows is kept in build-fuzz/corpus/fuzz_<name>/.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ "${1:-}" = "--runs" ]; then
  limit=(-runs="${2:?number of runs}")
  share=""
else
  share=${1:-60}
fi
CC=clang-14 CXX=clang++-14 cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DKEYMORA_FUZZ=ON -DKEYMORA_GUI=OFF -DKEYMORA_TESTS=OFF -DKEYMORA_BENCH=OFF
cmake --build build-fuzz -j "$(nproc)"
fuzzers=()
for fuzzer in build-fuzz/fuzz/fuzz_*; do
  [ -x "$fuzzer" ] && fuzzers+=("$fuzzer")
done
if [ -n "$share" ]; then
  per=$(( share / ${#fuzzers[@]} ))
  [ "$per" -ge 5 ] || per=5
  limit=(-max_total_time="$per")
fi
for fuzzer in "${fuzzers[@]}"; do
  name=$(basename "$fuzzer")
  corpus="build-fuzz/corpus/$name"
  mkdir -p "$corpus"
  seeds="fuzz/seeds/$name"
  echo "fuzz: $name (${limit[*]})"
  started=$(date +%s)
  "$fuzzer" "${limit[@]}" -rss_limit_mb=2048 -timeout=10 -print_final_stats=1 \
    "$corpus" $( [ -d "$seeds" ] && echo "$seeds" ) > "build-fuzz/$name.log" 2>&1 || {
    tail -n 40 "build-fuzz/$name.log"
    exit 1
  }
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "build-fuzz/$name.log")
  cov=$(grep -o 'cov: [0-9]*' "build-fuzz/$name.log" | tail -n 1)
  echo "fuzz: $name: $runs executions, $cov, $(( $(date +%s) - started )) s"
done
