#!/usr/bin/env bash
# layers_test.sh: the driver's folders include only downward, api/ ->
# core/ -> backend/ -> text/ (setup/, Windows' ConfigDSN, stands beside
# api/), and a backend includes no other backend's files. Fails with every include that runs the wrong way.
#   layers_test.sh <datasource folder>
set -euo pipefail
root=${1:?usage: layers_test.sh <datasource folder>}
rank() {
  case $1 in api | setup) echo 0 ;; core) echo 1 ;; backend) echo 2 ;; text) echo 3 ;; *) echo -1 ;; esac
}
bad=0
checked=0
while IFS= read -r file; do
  relative=${file#"$root"/}
  layer=${relative%%/*}
  from=$(rank "$layer")
  while IFS= read -r included; do
    checked=$((checked + 1))
    to=$(rank "${included%%/*}")
    if [ "$to" -lt 0 ]; then
      echo "$relative includes \"$included\", which names no layer" >&2
      bad=1
    elif [ "$to" -lt "$from" ]; then
      echo "$relative includes \"$included\", a layer above it" >&2
      bad=1
    elif [ "$layer" = backend ]; then
      own=$(echo "$relative" | cut -d/ -f2)
      other=$(echo "$included" | cut -d/ -f2)
      if [[ "$included" == backend/*/* && "$relative" == backend/*/* && "$own" != "$other" ]]; then
        echo "$relative includes \"$included\", another backend's file" >&2
        bad=1
      fi
    fi
  done < <(sed -n 's/^#include "\(.*\)".*/\1/p' "$file")
done < <(find "$root/api" "$root/setup" "$root/core" "$root/backend" "$root/text" -name '*.h' -o -name '*.cpp')
[ "$checked" -gt 0 ] || { echo "no includes found under $root" >&2; exit 1; }
exit $bad
