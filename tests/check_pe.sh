#!/usr/bin/env bash
# check_pe.sh EXE SUBSYSTEM MAX_BYTES IMPORTS: the PE header names SUBSYSTEM (2 GUI, 3 console)
# and version 4.0, the image has no TLS directory and is at most MAX_BYTES long, and it imports
# exactly the functions listed in the file IMPORTS ("DLL function" per line), each of them one
# that Windows 95 exports (the lists in tests/win95).
set -euo pipefail
exe=$1 subsystem=$2 max_bytes=$3 pinned=$4
win95=$(dirname "$0")/win95
headers=$(i686-w64-mingw32-objdump -p "$exe")
fail() { echo "check_pe: $exe: $*" >&2; exit 1; }

grep -Eq "^Subsystem[[:space:]]+0000000$subsystem" <<<"$headers" || fail "subsystem is not $subsystem"
grep -Eq '^MajorSubsystemVersion[[:space:]]+4$' <<<"$headers" || fail "subsystem version is not 4"
grep -Eq '^MinorSubsystemVersion[[:space:]]+0$' <<<"$headers" || fail "subsystem version is not 4.0"
grep -Eq '^Entry 9 0+ 0+ Thread Storage Directory' <<<"$headers" || fail "has a TLS directory"
size=$(stat -c %s "$exe")
[ "$size" -le "$max_bytes" ] || fail "is $size bytes, more than $max_bytes"

# "DLL function" for every import, the DLL's name in capitals.
imports=$(awk '
  /^[[:space:]]*DLL Name: / { dll = toupper($3); next }
  dll != "" && NF == 0 { dll = ""; next }
  dll != "" && $1 ~ /^[0-9a-f]+$/ && NF >= 3 { print dll, $3 }' <<<"$headers" | sort)
expected=$(grep -v '^#' "$pinned" | sort)
[ "$imports" = "$expected" ] ||
  fail "imports differ from $pinned:"$'\n'"$(diff <(echo "$expected") <(echo "$imports") || true)"

while read -r dll function; do
  list=$win95/$(tr 'A-Z' 'a-z' <<<"${dll%.DLL}").txt
  [ -f "$list" ] || fail "imports from $dll, which is not a Windows 95 system DLL here"
  grep -qx "$function" "$list" || fail "$dll!$function is not a Windows 95 export"
done <<<"$imports"
