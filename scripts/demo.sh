#!/usr/bin/env bash
# Sets the machine up, builds mirl.exe and prints one random entry of the sample file under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh demo
cmake --preset windows >/dev/null
cmake --build --preset windows --target mirl >/dev/null
tree=build/windows/wine
tests/wine/wine.sh "$tree" up
trap 'tests/wine/wine.sh "$tree" down' EXIT
tests/wine/wine.sh "$tree" run build/windows/entry_printer/mirl.exe -f samples/mirl.lines
