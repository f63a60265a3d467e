#!/usr/bin/env bash
# The SQLite amalgamation (sqlite3.c, sqlite3.h) for the Windows drivers,
# made from Debian's own sqlite3 source package, the same version as the
# libsqlite3 the Linux driver links: fetched once with `apt-get source`
# (needs the deb-src entry of scripts/install-deps.sh --windows, no root)
# and built with the package's own tools (configure, tclsh) and the
# package's own compile-time options (debian/rules), which are also
# written to defines.txt for the compiler of the driver. Kept in a
# cache folder that later builds reuse; two builds at once share it
# through a lock.
#   sqlite-source.sh CACHE-FOLDER    prints the folder holding sqlite3.c,
#                                    sqlite3.h and defines.txt
set -euo pipefail
cache=$(realpath -m "${1:?usage: sqlite-source.sh CACHE-FOLDER}")
mkdir -p "$cache"
fail() { echo "sqlite-source.sh: $*" >&2; exit 1; }

# The version to match: the Linux build's sqlite3.h.
header=/usr/include/sqlite3.h
[ -f "$header" ] || fail "no $header (Debian package libsqlite3-dev)"
version() { sed -n 's/^#define SQLITE_VERSION *"\([0-9.]*\)".*/\1/p' "$1"; }
want=$(version "$header")

build() {
  local out=$cache/amalgamation
  if [ -f "$out/defines.txt" ] && [ "$(version "$out/sqlite3.h")" = "$want" ]; then
    return 0
  fi
  command -v tclsh >/dev/null || fail "tclsh is needed to build the amalgamation (Debian package tcl)"
  rm -rf "$cache/source" "$cache/build" "$out"
  mkdir -p "$cache/source" "$cache/build"
  (cd "$cache/source" && apt-get source -qq sqlite3 >"$cache/apt-source.log" 2>&1) ||
    fail "apt-get source sqlite3 failed (is there a deb-src entry? scripts/install-deps.sh --windows adds one): $(tail -n 3 "$cache/apt-source.log")"
  local tree
  tree=$(find "$cache/source" -mindepth 1 -maxdepth 1 -type d -name 'sqlite3-*' | head -n 1)
  [ -n "$tree" ] || fail "apt-get source gave no sqlite3-* folder in $cache/source"
  # the -DSQLITE_* options of the CFLAGS in debian/rules; configure hands
  # them to lemon too, so the parser has the same grammar options
  local defines
  defines=$(sed -n '/^export CFLAGS/,/[^\\]$/p' "$tree/debian/rules" | grep -o -- '-DSQLITE_[A-Z0-9_]*\(=[0-9]*\)\?' | tr '\n' ' ')
  [ -n "$defines" ] || fail "no -DSQLITE_ options in $tree/debian/rules"
  (cd "$cache/build" && CFLAGS="-O2 $defines" "$tree/configure" --disable-tcl >"$cache/configure.log" 2>&1 &&
    make sqlite3.c >"$cache/make.log" 2>&1) || fail "building sqlite3.c failed; see $cache/configure.log and $cache/make.log"
  local got
  got=$(version "$cache/build/sqlite3.h")
  [ "$got" = "$want" ] || fail "the source package is SQLite $got, the Linux build's is $want"
  mkdir -p "$out"
  cp "$cache/build/sqlite3.c" "$cache/build/sqlite3.h" "$out/"
  printf '%s\n' $defines | sed 's/^-D//' > "$out/defines.txt"
}

exec 9>"$cache/.lock"
flock 9
build
echo "$cache/amalgamation"
