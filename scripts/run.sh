#!/usr/bin/env bash
# Builds the utility, registers the data source "Lumetra Data Source" for
# this user and runs the import program once.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
cmake -S . -B build -G Ninja >/dev/null
cmake --build build
if [ ! -x build/driver/lumetra-import ]; then
  echo "The import program is not built yet: it arrives with the import run." >&2
  exit 1
fi
bash datasource/setup-dsn.sh build/datasource/liblumetraodbc.so
exec build/driver/lumetra-import
