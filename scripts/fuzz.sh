#!/usr/bin/env bash
# Fuzzes the entry-file reader, mirlmake's checker and its reading of text for longer than the
# test run does.
#   scripts/fuzz.sh [SECONDS]   (default 600, each); a failing input lands in build/fuzz/tests/fuzz/
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh test
cmake --preset fuzz -DMIRL_FUZZ_SECONDS="${1:-600}" >/dev/null
cmake --build --preset fuzz
ctest --preset fuzz --timeout $(( ${1:-600} + 120 ))
