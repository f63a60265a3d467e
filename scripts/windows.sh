#!/usr/bin/env bash
# Cross-builds the Windows program and the ODBC driver (lumetraodbc.dll)
# for 32-bit and 64-bit Windows with mingw-w64, from the same sources as
# the Linux ones.
#   windows.sh [build-folder-prefix=build-win]
set -euo pipefail
cd "$(dirname "$0")/.."
prefix=${1:-build-win}

for arch in i686 x86_64; do
  cmake -S . -B "$prefix-$arch" -G Ninja -DCMAKE_TOOLCHAIN_FILE="cmake/mingw-$arch.cmake" \
    -DLUMETRA_WERROR=ON -DCMAKE_BUILD_TYPE=Release -DLUMETRA_SQLITE_CACHE="$PWD/$prefix-sqlite" >/dev/null
  cmake --build "$prefix-$arch"
  echo "built $prefix-$arch/driver/win32/lumetra-import.exe and $prefix-$arch/datasource/lumetraodbc.dll"
done
