#!/usr/bin/env bash
# Sets the machine up, builds the native, sanitized, fuzzing and Windows trees, and runs every
# test (the fuzzers for a bounded time).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh test
for preset in native native-asan fuzz windows; do
  echo "== $preset"
  cmake --preset "$preset" -DMIRL_FUZZ_SECONDS=30 >/dev/null
  cmake --build --preset "$preset"
  ctest --preset "$preset"
done
