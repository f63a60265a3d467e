#!/usr/bin/env bash
# Builds a Windows installer from the builds of scripts/windows.sh:
#   installer.sh [build-folder=build-win-i686]
# A 32-bit build folder (…-i686) gives <build-folder>/lumetra-setup.exe,
# for 32-bit Windows. A 64-bit one (…-x86_64) gives
# <build-folder>/lumetra-setup-x64.exe, for 64-bit Windows, which also
# carries the 32-bit driver from the 32-bit build folder beside it.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-win-i686}
version=$(sed -n 's/^project(lumetra_import VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
dll=datasource/lumetraodbc.dll
exe=driver/win32/lumetra-import.exe
case "$build" in
  *x86_64)
    build32=${build%x86_64}i686
    [ -f "$build32/$dll" ] || { echo "installer.sh: no 32-bit driver $build32/$dll (scripts/windows.sh builds it)" >&2; exit 1; }
    out=$build/lumetra-setup-x64.exe
    makensis -V2 -DWIDTH=64 -DEXE="$PWD/$build/$exe" -DDRIVER64="$PWD/$build/$dll" -DDRIVER32="$PWD/$build32/$dll" \
      -DOUTFILE="$PWD/$out" -DVERSION="$version" res/win32/lumetra.nsi ;;
  *)
    out=$build/lumetra-setup.exe
    makensis -V2 -DWIDTH=32 -DEXE="$PWD/$build/$exe" -DDRIVER32="$PWD/$build/$dll" \
      -DOUTFILE="$PWD/$out" -DVERSION="$version" res/win32/lumetra.nsi ;;
esac
echo "built $out"
