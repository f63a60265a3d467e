#!/usr/bin/env bash
# Writes a temporary "Lumetra Data Source" into a folder and prints the
# environment that points unixODBC at it:
#   eval "$(bash tests/support/temp-dsn.sh build/datasource/liblumetraodbc.so /tmp/dsn)"
# The database is <folder>/lumetra.db.
set -euo pipefail
driver=$(realpath "${1:?usage: temp-dsn.sh <driver.so> <folder>}")
dir=$(realpath -m "${2:?usage: temp-dsn.sh <driver.so> <folder>}")
mkdir -p "$dir"
: > "$dir/odbcinst.ini"
cat > "$dir/odbc.ini" <<INI
[Lumetra Data Source]
Driver = $driver
Database = $dir/lumetra.db
INI
printf 'export ODBCSYSINI=%q ODBCINI=%q\n' "$dir" "$dir/odbc.ini"
