#!/usr/bin/env bash
# Builds the libFuzzer targets with clang, ASan and UBSan and runs each for the given seconds.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}

bash scripts/install-deps.sh
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DLUMETRA_WERROR=ON \
  -DLUMETRA_FUZZ=ON -DLUMETRA_SANITIZE=ON -DLUMETRA_QT=OFF
cmake --build build-fuzz
shopt -s nullglob
for target in build-fuzz/fuzz/fuzz_*; do
  [ -x "$target" ] || continue
  corpus="build-fuzz/corpus/$(basename "$target")"
  mkdir -p "$corpus"
  seeds="fuzz/seeds"
  [ -d "$seeds" ] || seeds=""
  echo "fuzzing $(basename "$target") for ${seconds}s"
  "$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 "$corpus" $seeds
done
