#!/usr/bin/env bash
# Kill test: the program, against zek-sim on a pseudo-terminal, is killed with SIGKILL at
# seeded random moments while it writes its files; afterwards every file must hold its
# old or its new whole content, and the next start must clean up and come up right.
#
#   scripts/kill-test.sh [--build DIR] [--kills N] [--seed S] [--long]
#
# The default (300 kill points, about a minute) is the CI run; --long tries 5000.
set -euo pipefail
cd "$(dirname "$0")/.."

build=build
kills=300
seed=20261208
while [ $# -gt 0 ]; do
  case "$1" in
    --build) build=$2; shift ;;
    --kills) kills=$2; shift ;;
    --seed) seed=$2; shift ;;
    --long) kills=5000 ;;
    *) echo "usage: $0 [--build DIR] [--kills N] [--seed S] [--long]" >&2; exit 2 ;;
  esac
  shift
done

cmake --build "$build" --target zek-kill-test
exec "$build/tests/zek-kill-test" --kills "$kills" --seed "$seed"
