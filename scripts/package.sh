#!/usr/bin/env bash
# Builds the Debian package zek-config_<version>_amd64.deb and prints its path. The
# package is always made from a release build of its own (build-package/, or the folder
# ZEK_PACKAGE_DIR names), configured here every time, so that a Debug or sanitizer build
# in build/ never ends up in it.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${ZEK_PACKAGE_DIR:-build-package}

# Options a developer's build may carry are set back explicitly: the folder may have been
# configured by hand.
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DZEK_SANITIZE=OFF -DZEK_FUZZ=OFF \
  -DZEK_TESTS=OFF -DZEK_GUI=ON >/dev/null
grep -q '^CMAKE_BUILD_TYPE:STRING=Release$' "$build/CMakeCache.txt" ||
  { echo "package.sh: $build is not a release build" >&2; exit 1; }
cmake --build "$build" -j"$(nproc 2>/dev/null || echo 2)" --target zek_programs
(cd "$build" && cpack -G DEB >/dev/null)
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
deb="$build/zek-config_${version}_$(dpkg --print-architecture).deb"
[ -f "$deb" ] || { echo "package.sh: $deb was not made" >&2; exit 1; }
echo "$deb"
