#!/usr/bin/env bash
# Cross-builds the Windows program and the ODBC driver (lumetraodbc.dll)
# for 32-bit and 64-bit Windows with mingw-w64, from the same sources as
# the Linux ones, SQLite built in (scripts/sqlite-source.sh, one cache for
# both), then both installers (scripts/installer.sh), and says where
# everything is.
#   windows.sh [build-folder-prefix=build-win]
set -euo pipefail
cd "$(dirname "$0")/.."
prefix=${1:-build-win}

for arch in i686 x86_64; do
  cmake -S . -B "$prefix-$arch" -G Ninja -DCMAKE_TOOLCHAIN_FILE="cmake/mingw-$arch.cmake" \
    -DLUMETRA_WERROR=ON -DCMAKE_BUILD_TYPE=Release -DLUMETRA_SQLITE_CACHE="$PWD/$prefix-sqlite" >/dev/null
  cmake --build "$prefix-$arch"
done
bash scripts/installer.sh "$prefix-i686" >/dev/null
bash scripts/installer.sh "$prefix-x86_64" >/dev/null
for arch in i686 x86_64; do
  echo "program ($arch): $PWD/$prefix-$arch/driver/win32/lumetra-import.exe"
  echo "driver ($arch):  $PWD/$prefix-$arch/datasource/lumetraodbc.dll"
done
echo "installer (32-bit Windows): $PWD/$prefix-i686/lumetra-setup.exe"
echo "installer (64-bit Windows): $PWD/$prefix-x86_64/lumetra-setup-x64.exe"
