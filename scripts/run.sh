#!/usr/bin/env bash
# Builds the program and the ODBC driver (no tests, benchmarks or
# fuzzers), writes this user's DSN "Lumetra Data Source" and runs the
# import program once; arguments are passed on (run.sh [FILE]).
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh --run
cmake -S . -B build-run -G Ninja -DLUMETRA_TESTS=OFF -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build-run
# The user DSN file: this HOME's, which unixODBC then reads through ODBCINI
# even where the password database names another home.
export ODBCINI=${ODBCINI:-$HOME/.odbc.ini}
bash datasource/setup-dsn.sh build-run/datasource/liblumetraodbc.so
exec build-run/driver/lumetra-import "$@"
