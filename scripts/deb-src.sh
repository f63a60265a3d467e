#!/usr/bin/env bash
# Prints the deb-src entries that mirror the deb entries of an apt source
# file, in the file's own format: a deb822 .sources file stanza by stanza
# (a stanza whose Types holds deb, its comments left out, Types: deb-src),
# a classic one-line list line by line (options and components kept).
#   deb-src.sh FILE
set -euo pipefail
file=${1:?usage: deb-src.sh FILE}
case "$file" in
  *.sources)
    awk 'BEGIN { RS = "" }
         /(^|\n)Types:[^\n]*[ \t]deb([ \t]|\n|$)/ {
           n = split($0, line, "\n")
           for (i = 1; i <= n; i++) {
             if (line[i] ~ /^#/) continue
             if (line[i] ~ /^Types:/) line[i] = "Types: deb-src"
             print line[i]
           }
           print ""
         }' "$file" ;;
  *) sed -n 's/^[[:space:]]*deb[[:space:]]\{1,\}/deb-src /p' "$file" ;;
esac
