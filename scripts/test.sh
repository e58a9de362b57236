#!/usr/bin/env bash
# Sets up, builds and runs every test twice: a release build with warnings as errors,
# and a build with AddressSanitizer and UndefinedBehaviorSanitizer; then packs the
# release build, installs, starts and removes the package.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh

jobs=$(nproc 2>/dev/null || echo 2)

echo "== release build, warnings as errors"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DZEK_WERROR=ON
cmake --build build -j"$jobs"
ctest --test-dir build --output-on-failure -j"$jobs"

echo "== kill test: the program killed at random moments while it writes"
scripts/kill-test.sh --build build

echo "== power-loss test: the kill points as power cuts, unflushed changes lost at random"
scripts/power-loss-test.sh --build build

echo "== address and undefined-behaviour sanitizers"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DZEK_WERROR=ON -DZEK_SANITIZE=ON
cmake --build build-asan -j"$jobs"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir build-asan --output-on-failure -j"$jobs"

echo "== Windows build under Wine"
scripts/test-windows.sh

echo "== Debian package: build, check, install, start, purge"
scripts/package-check.sh

if [ -x scripts/fuzz.sh ]; then
  echo "== fuzzing"
  scripts/fuzz.sh
fi
