#!/usr/bin/env bash
# Cross-builds the Windows window, zek-config.exe, and zek-cli.exe with MinGW-w64 into
# build-windows/ and prints the window's path. The folder beside it holds the resource
# it reads at start and the picture's raster copy (made with rsvg-convert, Debian
# librsvg2-bin).
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc 2>/dev/null || echo 2)
cmake -S . -B build-windows -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
  -DCMAKE_BUILD_TYPE=Release -DZEK_WERROR=ON -DZEK_TESTS=OFF >/dev/null
cmake --build build-windows -j"$jobs" --target zek-config zek-cli >&2
echo "$PWD/build-windows/zek-config.exe"
