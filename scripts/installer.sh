#!/usr/bin/env bash
# Builds the Windows installer from the 32-bit build (scripts/windows.sh):
#   installer.sh [build-folder=build-win-i686]
# writes <build-folder>/lumetra-setup.exe.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-win-i686}
version=$(sed -n 's/^project(lumetra_import VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
makensis -V2 -DEXE="$PWD/$build/driver/win32/lumetra-import.exe" -DDRIVER="$PWD/$build/datasource/lumetraodbc.dll" \
  -DOUTFILE="$PWD/$build/lumetra-setup.exe" -DVERSION="$version" res/win32/lumetra.nsi
echo "built $build/lumetra-setup.exe"
