#!/usr/bin/env bash
# Sets the machine up, builds the native, sanitized, fuzzing and Windows trees, runs their tests
# (the fuzzers for a bounded time) and prints how long each tree took.
# usage: test.sh [--long]
#   --long  also the rows labelled long (thousands of process starts, statistics over every
#           seed), and each fuzzer for two minutes instead of half of one
set -euo pipefail
cd "$(dirname "$0")/.."

skip=(-LE long) fuzz_seconds=30
case ${1:-} in
  --long) skip=() fuzz_seconds=120 ;;
  '') ;;
  *) echo "usage: test.sh [--long]" >&2; exit 2 ;;
esac

scripts/setup.sh test
times=()
report_times() { printf '%s\n' "== times" "${times[@]}"; }
trap report_times EXIT
for preset in native native-asan fuzz windows; do
  echo "== $preset"
  start=$SECONDS
  cmake --preset "$preset" -DMIRL_FUZZ_SECONDS=$fuzz_seconds >/dev/null
  cmake --build --preset "$preset"
  built=$SECONDS
  times+=("$preset: build $((built - start)) s, tests running")
  ctest --preset "$preset" "${skip[@]}"
  times[-1]="$preset: build $((built - start)) s, tests $((SECONDS - built)) s"
done
