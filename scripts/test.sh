#!/usr/bin/env bash
# The whole test suite: installs what it needs, cross-builds the Windows
# program and driver (32-bit and 64-bit) and the installer, the i386 ODBC
# driver they reach under Wine, configures and builds the Linux tree, and runs ctest.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

bash scripts/install-deps.sh --windows
bash scripts/windows.sh build-win
bash scripts/installer.sh build-win-i686
cmake -S . -B build-i386 -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/linux-i386.cmake \
  -DLUMETRA_DATASOURCE_ONLY=ON -DLUMETRA_WERROR=ON -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build-i386
cmake -S . -B build -G Ninja -DLUMETRA_WERROR=ON \
  -DLUMETRA_WIN64_EXE="$root/build-win-x86_64/driver/win32/lumetra-import.exe" \
  -DLUMETRA_WIN32_EXE="$root/build-win-i686/driver/win32/lumetra-import.exe" \
  -DLUMETRA_DRIVER32="$root/build-i386/datasource/liblumetraodbc.so" \
  -DLUMETRA_WIN64_BUILD="$root/build-win-x86_64" -DLUMETRA_WIN32_BUILD="$root/build-win-i686" \
  -DLUMETRA_WIN_INSTALLER="$root/build-win-i686/lumetra-setup.exe"
cmake --build build
ctest --test-dir build --output-on-failure -j2
