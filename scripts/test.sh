#!/usr/bin/env bash
# Sets the machine up, builds the native, sanitized and Windows trees, and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
for preset in native native-asan windows; do
  echo "== $preset"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
  ctest --preset "$preset"
done
