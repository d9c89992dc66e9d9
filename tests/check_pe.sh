#!/usr/bin/env bash
# check_pe.sh EXE SUBSYSTEM DLL...: the PE header names SUBSYSTEM (2 GUI, 3 console), version
# 4.0, and the import table holds exactly the DLLs given.
set -euo pipefail
exe=$1 subsystem=$2
shift 2
headers=$(i686-w64-mingw32-objdump -p "$exe")
fail() { echo "check_pe: $exe: $*" >&2; exit 1; }
grep -Eq "^Subsystem[[:space:]]+0000000$subsystem" <<<"$headers" || fail "subsystem is not $subsystem"
grep -Eq '^MajorSubsystemVersion[[:space:]]+4$' <<<"$headers" || fail "subsystem version is not 4"
grep -Eq '^MinorSubsystemVersion[[:space:]]+0$' <<<"$headers" || fail "subsystem version is not 4.0"
imports=$(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$headers" | sort | tr '\n' ' ')
expected=$(printf '%s\n' "$@" | sort | tr '\n' ' ')
[ "$imports" = "$expected" ] || fail "imports $imports, expected $expected"
