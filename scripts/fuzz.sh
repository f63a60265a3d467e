#!/usr/bin/env bash
# Builds the libFuzzer targets with clang, ASan and UBSan and runs each for the given seconds.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}

bash scripts/install-deps.sh
# Every library is built with libFuzzer's coverage, so the fuzzer sees the
# branches of the code it drives, not only those of the target itself.
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DLUMETRA_WERROR=ON \
  -DLUMETRA_FUZZ=ON -DLUMETRA_SANITIZE=ON -DLUMETRA_QT=OFF \
  -DCMAKE_C_FLAGS=-fsanitize=fuzzer-no-link -DCMAKE_CXX_FLAGS=-fsanitize=fuzzer-no-link
cmake --build build-fuzz --target fuzz/all
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
