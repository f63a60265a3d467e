#!/usr/bin/env bash
# Registers the Lumetra ODBC driver with odbcinst and writes the user DSN
# "Lumetra Data Source" into the user's odbc.ini. Safe to run again: the
# driver entry and the DSN are replaced, other DSNs are left as they are.
#   setup-dsn.sh /path/to/liblumetraodbc.so
set -euo pipefail

library=$(realpath "${1:?usage: setup-dsn.sh /path/to/liblumetraodbc.so}")
driver="Lumetra"
dsn="Lumetra Data Source"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cat > "$work/driver.ini" <<INI
[$driver]
Description = Lumetra ODBC driver, storing into SQLite
Driver = $library
INI
odbcinst -u -d -n "$driver" >/dev/null 2>&1 || true
odbcinst -i -d -f "$work/driver.ini" >/dev/null

cat > "$work/dsn.ini" <<INI
[$dsn]
Description = Imports of the Lumetra HP Database Import Utility
Driver = $driver
INI
odbcinst -u -s -h -n "$dsn" >/dev/null 2>&1 || true
odbcinst -i -s -h -f "$work/dsn.ini" >/dev/null
echo "Data source \"$dsn\" uses $library (database: ${XDG_DATA_HOME:-$HOME/.local/share}/lumetra/lumetra.db)"
