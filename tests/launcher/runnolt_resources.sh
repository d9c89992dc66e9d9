#!/usr/bin/env bash
# runnolt_resources.sh EXE: the launcher carries its icon group "NOLT" with one 32x32
# 16-colour image of 744 bytes, and its version, all in US English.
set -euo pipefail
exe=$1
listing=$(wrestool -l "$exe")
fail() { echo "runnolt_resources: $*" >&2; echo "$listing" >&2; exit 1; }
grep -q -- "^--type=14 --name='NOLT' --language=1033 \[type=group_icon " <<<"$listing" ||
  fail "no icon group NOLT in language 1033"
[ "$(grep -c -- '^--type=3 ' <<<"$listing")" = 1 ] || fail "not exactly one icon image"
grep -q -- '^--type=3 --name=1 --language=1033 \[type=icon offset=0x[0-9a-f]* size=744\]' \
  <<<"$listing" || fail "icon image is not 744 bytes in language 1033"
grep -q -- '^--type=16 --name=1 --language=1033 ' <<<"$listing" || fail "no version resource"

# The image itself: 32x32, one plane, 4 bits per pixel.
header=$(wrestool -x --type=3 --name=1 --raw "$exe" | head -c 16 | od -An -tu4 -v | tr -s ' ')
[ "$header" = " 40 32 64 262145" ] || fail "icon header is$header"
strings -el "$exe" | grep -qx 'runnolt' || fail "no ProductName runnolt"
strings -el "$exe" | grep -qx '1.0.0' || fail "no version 1.0.0"
