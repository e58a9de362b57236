#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each over its seed corpus plus a
# bounded number of generated inputs. Any crash, hang, leak or sanitizer report fails.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

# Inputs per target. The settings target starts the whole program for each input and
# the configuration-text target writes and opens a file, so they get fewer.
declare -A runs=([settings]=5000 [config_text]=50000 [memory_reply]=500000 [sim_frames]=100000)

CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DZEK_FUZZ=ON -DZEK_TESTS=OFF -DZEK_GUI=OFF -DZEK_SANITIZE=ON -DZEK_WERROR=ON
cmake --build build-fuzz -j"$(nproc 2>/dev/null || echo 2)"

for target in build-fuzz/fuzz/fuzz_*; do
  [ -x "$target" ] || continue
  name=$(basename "$target")
  n=${runs[${name#fuzz_}]:-100000}
  work=$(mktemp -d)
  cp -r "fuzz/corpus/${name#fuzz_}"/. "$work"/ 2>/dev/null || true
  echo "== $name: $n inputs"
  if ! (cd "$work" && "$root/$target" -runs="$n" -timeout=10 -rss_limit_mb=2048 \
          -max_len=4096 -artifact_prefix="$work/" "$work" > "$work/log" 2>&1); then
    tail -n 40 "$work/log"
    echo "FAILED: $name; the failing input is in $work"
    exit 1
  fi
  grep -E "^Done" "$work/log"
  rm -rf "$work"
done
