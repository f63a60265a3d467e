#!/usr/bin/env bash
# The Windows DLL exports every SQL* entry point the Linux driver does
# (the W ones included: Windows clients call them), and ConfigDSN.
#   exports_test.sh <lumetraodbc.dll> <liblumetraodbc.so>
set -euo pipefail
dll_exports() {
  x86_64-w64-mingw32-objdump -p "$1" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' | awk 'NF { print $NF }' | sort
}
want=$(nm -D --defined-only "$2" | awk '$3 ~ /^SQL/ { print $3 }' | sort)
got=$(dll_exports "$1")
missing=$(comm -23 <(echo "$want") <(echo "$got"))
[ -z "$missing" ] || { echo "FAIL: $1 does not export:" $missing >&2; exit 1; }
grep -qx ConfigDSN <<<"$got" || { echo "FAIL: $1 does not export ConfigDSN" >&2; exit 1; }
echo "$1 exports the $(echo "$want" | wc -l) SQL* entry points of the Linux driver and ConfigDSN"
