#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each over its seed corpus plus a
# bounded number of generated inputs. Any crash, hang, leak or sanitizer report fails.
set -euo pipefail
cd "$(dirname "$0")/.."
# Inputs per target; the settings target starts the whole program for each input.
declare -A runs=([settings]=3000)
default_runs=${ZEK_FUZZ_RUNS:-50000}

CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DZEK_FUZZ=ON -DZEK_TESTS=OFF -DZEK_GUI=OFF -DZEK_SANITIZE=ON -DZEK_WERROR=ON
cmake --build build-fuzz -j"$(nproc 2>/dev/null || echo 2)"

for target in build-fuzz/fuzz/fuzz_*; do
  [ -x "$target" ] || continue
  name=$(basename "$target")
  corpus=fuzz/corpus/${name#fuzz_}
  work=$(mktemp -d)
  cp -r "$corpus"/. "$work"/ 2>/dev/null || true
  n=${runs[${name#fuzz_}]:-$default_runs}
  echo "== $name: $n inputs"
  "$target" -runs="$n" -timeout=10 -rss_limit_mb=2048 -max_len=4096 "$work" 2>&1 | tail -n 3
  rm -rf "$work"
done
