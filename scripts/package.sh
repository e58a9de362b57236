#!/usr/bin/env bash
# Builds the Debian package zek-config_<version>_amd64.deb into the build folder
# (build/ unless ZEK_BUILD_DIR names another) and prints its path. Configures the
# folder as a release build when it is not configured yet.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${ZEK_BUILD_DIR:-build}

if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
# The package holds the programs only; the tests need not be built for it.
cmake --build "$build" -j"$(nproc 2>/dev/null || echo 2)" --target zek_programs
(cd "$build" && cpack -G DEB >/dev/null)
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
deb="$build/zek-config_${version}_$(dpkg --print-architecture).deb"
[ -f "$deb" ] || { echo "package.sh: $deb was not made" >&2; exit 1; }
echo "$deb"
