#!/usr/bin/env bash
# mirlmake's memory does not grow with an entry: an entry of 300 MB is made in every layout and
# turned back by -x, each run holding at most 64 MiB at once, and the text comes back whole.
# usage: mirlmake_memory.sh MIRLMAKE
set -u
mirlmake=$1
. "$(dirname "$0")/../check_run.sh"

cd "$scratch" || exit 1
{ printf 'short\n%%\n'; head -c 300000000 /dev/zero | tr '\0' x; printf '\n%%\n'; } >long.txt
# The run's status and whether it held 64 MiB or less, as getrusage tells (time's %M, in KiB).
within_64_mib() {
  local kib status=0
  /usr/bin/time -f %M -o "$scratch/kib" "$@" || status=$?
  kib=$(tail -n 1 "$scratch/kib")
  [ "$kib" -le 65536 ] || echo "held $kib KiB"
  return $status
}
for layout in '' -p -w; do
  check "made ${layout:-by default} within 64 MiB" 0 '' '' \
    within_64_mib "$mirlmake" $layout -o long.lines long.txt
  check "turned back from ${layout:-the default} within 64 MiB" 0 '' '' \
    within_64_mib "$mirlmake" -x -o back.txt long.lines
  check "the text back whole" 0 '' '' cmp long.txt back.txt
done
finish
