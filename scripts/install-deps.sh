#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need.
#   install-deps.sh --run      only what building and running the program needs
#   install-deps.sh            Linux build, tests, benchmarks, fuzzing, packaging
#   install-deps.sh --windows  also the mingw-w64 cross build, NSIS and Wine;
#                              and, only where i386 programs run here
#                              (scripts/i386.sh), 32-bit Wine and the i386
#                              libraries of the i386 driver; and a deb-src
#                              entry for the Debian archive this machine
#                              uses, so that scripts/sqlite-source.sh can
#                              fetch the sqlite3 source package for the
#                              Windows drivers
set -euo pipefail

run=(
  build-essential cmake ninja-build g++
  unixodbc unixodbc-dev odbcinst
  libsqlite3-dev libedit-dev libpq-dev
  qt6-base-dev libxcb1-dev
)
base=(
  "${run[@]}" clang libclang-rt-14-dev
  libgtest-dev googletest
  sqlite3 libsqliteodbc python3 python3-pyodbc postgresql odbc-postgresql
  xvfb xdotool x11-apps imagemagick
  dpkg-dev fakeroot lintian man-db shared-mime-info libglib2.0-bin
)
windows=(mingw-w64 wine wine64 nsis tcl)
i386=(wine32:i386 g++-multilib libsqlite3-dev:i386 unixodbc-dev:i386 libodbc2:i386)

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"

missing() {
  local p
  for p in "$@"; do
    dpkg-query -W -f='${Status}\n' "$p" 2>/dev/null | grep -q '^install ok installed' || echo "$p"
  done
}

install() {
  local todo
  todo=$(missing "$@")
  [ -n "$todo" ] || return 0
  $sudo apt-get update -qq
  # shellcheck disable=SC2086
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq $todo
}

# deb-src entries for the Debian archive the machine already installs
# from (scripts/deb-src.sh), for the sqlite3 source package of the Windows
# drivers. Only Debian's own files are read: third-party lists often have
# no source packages.
deb_src_file=/etc/apt/sources.list.d/lumetra-deb-src
add_deb_src() {
  [ -e "$deb_src_file.sources" ] || [ -e "$deb_src_file.list" ] && return 0
  local from to changed=""
  for from in /etc/apt/sources.list.d/debian.sources /etc/apt/sources.list; do
    [ -f "$from" ] || continue
    to=$deb_src_file.list
    [[ "$from" == *.sources ]] && to=$deb_src_file.sources
    bash "$(dirname "$0")/deb-src.sh" "$from" | $sudo tee "$to" >/dev/null
    if [ -s "$to" ]; then changed=yes; else $sudo rm -f "$to"; fi
  done
  [ -n "$changed" ] || { echo "install-deps: no Debian deb entry to derive a deb-src entry from" >&2; return 1; }
  $sudo apt-get update -qq
}

case "${1:-}" in
  --run) install "${run[@]}"; exit 0 ;;
  --windows) install "${base[@]}" "${windows[@]}"; add_deb_src ;;
  *) install "${base[@]}"; exit 0 ;;
esac

# The i386 probe needs binutils, which the first round installed.
probe="$(dirname "$0")/i386.sh"
if why=$(bash "$probe"); then
  dpkg --print-foreign-architectures | grep -qx i386 || $sudo dpkg --add-architecture i386
  install "${i386[@]}"
else
  echo "install-deps: no 32-bit Wine or i386 libraries: $why"
fi
