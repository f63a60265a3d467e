#!/usr/bin/env bash
# The whole test suite: installs what it needs, configures, builds, runs ctest.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh --windows
cmake -S . -B build -G Ninja -DLUMETRA_WERROR=ON
cmake --build build
ctest --test-dir build --output-on-failure -j2
