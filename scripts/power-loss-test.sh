#!/usr/bin/env bash
# Power-loss test: the kill test's kill points become power cuts. After each, the working
# folder holds what was flushed to disk and a random part of what was only cached; every
# file must hold the content of its last write that returned (or of the write under
# way), the calibration record every line it took, and the next start must clean up,
# come up right and close a torn record line. Prints the cut points tried, the files
# checked and the outcome.
#
#   scripts/power-loss-test.sh [--build DIR] [--cuts N] [--seed S]
#
# The default (300 cuts, about a minute) is the CI run.
set -euo pipefail
cd "$(dirname "$0")/.."

build=build
cuts=300
seed=20261208
while [ $# -gt 0 ]; do
  case "$1" in
    --build) build=$2; shift ;;
    --cuts) cuts=$2; shift ;;
    --seed) seed=$2; shift ;;
    *) echo "usage: $0 [--build DIR] [--cuts N] [--seed S]" >&2; exit 2 ;;
  esac
  shift
done

cmake --build "$build" --target zek-kill-test
exec "$build/tests/zek-kill-test" --kills "$cuts" --seed "$seed" --power-loss
