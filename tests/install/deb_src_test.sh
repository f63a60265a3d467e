#!/usr/bin/env bash
# scripts/deb-src.sh: the deb-src entries derived from apt source files of
# both formats. Each case is an input file and the entries expected.
#   deb_src_test.sh <scripts folder>
set -euo pipefail
script=$1/deb-src.sh
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

# check NAME INPUT EXPECTED: NAME's suffix selects the format.
check() {
  printf '%s' "$2" > "$work/$1"
  local got
  got=$(bash "$script" "$work/$1")
  if [ "$got" != "$3" ]; then
    printf 'FAIL: %s\n--- got\n%s\n--- expected\n%s\n' "$1" "$got" "$3"
    failures=$((failures + 1))
  fi
}

check debian.sources 'Types: deb
# http://snapshot.debian.org/archive/debian/20250520T000000Z
URIs: http://deb.debian.org/debian
Suites: bookworm bookworm-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg

Types: deb deb-src
URIs: http://deb.debian.org/debian-security
Suites: bookworm-security
Components: main contrib
' 'Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm bookworm-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg

Types: deb-src
URIs: http://deb.debian.org/debian-security
Suites: bookworm-security
Components: main contrib'
check only-src.sources 'Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm
Components: main
' ''
check sources.list '# deb http://commented.example/debian bookworm main
deb [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] http://deb.debian.org/debian bookworm main contrib
  deb	http://security.debian.org/debian-security bookworm-security main
deb-src http://deb.debian.org/debian bookworm main
debug http://not.an.entry/ x y
' 'deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] http://deb.debian.org/debian bookworm main contrib
deb-src http://security.debian.org/debian-security bookworm-security main'
check empty.list '' ''

[ "$failures" -eq 0 ] || exit 1
echo "deb-src entries derived from deb822 and one-line sources"
