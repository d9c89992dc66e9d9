#!/usr/bin/env bash
# mirl.exe run 1,000 times in a row from one cmd.exe loop, as a user counts prints: process ids
# come back and the seconds repeat, so without the clock the seeds repeat too. Over 20,000
# entries, seeds that never repeat print about 975 distinct ones.
# usage: mirl_wine_seeds.sh WINE_SH WINE_TREE MIRL_EXE
set -u
wine_sh=$1 tree=$2 built=$3
. "$(dirname "$0")/../check_run.sh"

dir=$tree/prefix/drive_c/mirl_seeds
mkdir -p "$dir"
cp "$built" "$dir/mirl.exe"
seq -w 20000 | { printf 'h\0'; tr '\n' '\0'; } >"$dir/many.lines"
distinct_prints() {
  local count
  count=$("$wine_sh" "$tree" run cmd /c \
    'for /L %i in (1,1,1000) do @C:\mirl_seeds\mirl.exe -f C:\mirl_seeds\many.lines' |
    sort -u | wc -l)
  [ "$count" -ge 900 ] || echo "$count distinct entries"
}
check "1,000 runs print at least 900 distinct entries" 0 '' '' distinct_prints
finish
