#!/usr/bin/env bash
# check_pe.sh EXE SUBSYSTEM MAX_BYTES IMPORTS: the PE header names SUBSYSTEM (2 GUI, 3 console)
# and version 4.0, the image has no TLS directory, carries base relocations with the DYNAMIC_BASE
# and NX_COMPAT flags (a random address where Windows has them), is at most MAX_BYTES long, and
# imports exactly the functions listed in the file IMPORTS ("DLL function" per line), each of
# them one that Windows 95 exports (the lists in tests/win95), and no function steps the stack
# down 4 KiB or more at once: past the guard page by which Windows grows a stack, unless the
# compiler probed every page on the way.
set -euo pipefail
exe=$1 subsystem=$2 max_bytes=$3 pinned=$4
win95=$(dirname "$0")/win95
headers=$(i686-w64-mingw32-objdump -p "$exe")
fail() { echo "check_pe: $exe: $*" >&2; exit 1; }

grep -Eq "^Subsystem[[:space:]]+0000000$subsystem" <<<"$headers" || fail "subsystem is not $subsystem"
grep -Eq '^MajorSubsystemVersion[[:space:]]+4$' <<<"$headers" || fail "subsystem version is not 4"
grep -Eq '^MinorSubsystemVersion[[:space:]]+0$' <<<"$headers" || fail "subsystem version is not 4.0"
grep -Eq '^Entry 9 0+ 0+ Thread Storage Directory' <<<"$headers" || fail "has a TLS directory"
grep -Eq '^Entry 5 [0-9a-f]+ 0*[1-9a-f][0-9a-f]* Base Relocation Directory' <<<"$headers" ||
  fail "carries no base relocations"
for flag in DYNAMIC_BASE NX_COMPAT; do
  grep -Eq "^[[:space:]]+$flag\$" <<<"$headers" || fail "lacks $flag"
done
code=$(i686-w64-mingw32-objdump -d --no-show-raw-insn "$exe")
! grep -Eq 'sub +[$]0x[0-9a-f]{4,},%esp' <<<"$code" ||
  fail "steps the stack down 4 KiB or more unprobed"
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
