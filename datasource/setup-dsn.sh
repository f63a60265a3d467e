#!/usr/bin/env bash
# Writes the user DSN "Lumetra Data Source" with the driver's absolute
# path into the user's odbc.ini, so that no system file and no root is
# needed. Safe to run again: the DSN is replaced, other DSNs are left as
# they are. odbcinst's own errors are shown.
#   setup-dsn.sh /path/to/liblumetraodbc.so
set -euo pipefail

library=$(realpath -e "${1:?usage: setup-dsn.sh /path/to/liblumetraodbc.so}")
dsn="Lumetra Data Source"
fail() { echo "setup-dsn.sh: $*" >&2; exit 1; }
command -v odbcinst >/dev/null || fail "odbcinst is not installed (Debian package odbcinst)"

# unixODBC reads the user DSNs from $ODBCINI, else from the home folder of
# the password database, which may not exist (nobody's /nonexistent) or
# differ from $HOME. Then the DSN goes into $HOME/.odbc.ini, and ODBCINI
# must point there.
user_ini=$(odbcinst -j | sed -n 's/^USER DATA SOURCES\.*: //p')
[ -n "$user_ini" ] || fail "odbcinst -j names no user data source file"
note=""
if [ -z "${ODBCINI:-}" ] && { [ ! -w "$(dirname "$user_ini")" ] || [ "$user_ini" != "$HOME/.odbc.ini" ]; }; then
  export ODBCINI=$HOME/.odbc.ini
  note="unixODBC looks for user DSNs in $user_ini: export ODBCINI=$ODBCINI to use this one"
  user_ini=$ODBCINI
fi

# odbcinst reports its errors on standard output: kept for the message.
if odbcinst -q -s -h -n "$dsn" >/dev/null 2>&1; then
  out=$(odbcinst -u -s -h -n "$dsn" 2>&1) || fail "could not remove the old \"$dsn\" from $user_ini: $out"
fi
template="[$dsn]
Description = Imports of the Lumetra HP Database Import Utility
Driver = $library
CommitInterval = 100"
out=$(printf '%s\n' "$template" | odbcinst -i -s -h -r 2>&1) || fail "could not write \"$dsn\" into $user_ini: $out"
echo "Data source \"$dsn\" written into $user_ini, using $library"
echo "Database: ${XDG_DATA_HOME:-$HOME/.local/share}/lumetra/lumetra.db"
[ -z "$note" ] || echo "Note: $note"
