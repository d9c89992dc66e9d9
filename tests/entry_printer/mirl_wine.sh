#!/usr/bin/env bash
# End-to-end checks of mirl.exe under Wine: the path rules, every message with its CR LF line
# end and status, text-mode output and the largest files, with Wine acting as the Windows
# version FAMILY (default, win95 or nt40).
# usage: mirl_wine.sh WINE_SH WINE_TREE MIRL_EXE FAMILY
set -u
wine_sh=$1 tree=$2 built=$3 family=$4
. "$(dirname "$0")/../check_run.sh"

drive_c=$tree/prefix/drive_c
mkdir -p "$drive_c/mirl_tests"
exe=$drive_c/mirl_tests/mirl_$family.exe
cp "$built" "$exe"
"$wine_sh" "$tree" as "$family" "mirl_$family.exe"
# Each file holds one reachable entry (the one after "x"), which names the file.
place() {
  mkdir -p "$(dirname "$1")"
  printf 'h\0x\0%s' "$2" >"$1"
}
place "$drive_c/vemol/data/mirl.lines" 'default file'
place "$drive_c/mirl_tests/lib/mirl.lines" 'lib file'
place "$drive_c/mirl_tests/with blank/mirl.lines" 'quoted file'
place "$drive_c/mirl_tests/notes.txt" 'notes file'
printf 'h\0x\0two\r\nlines' >"$drive_c/mirl_tests/crlf.lines"
printf 'no separator' >"$drive_c/mirl_tests/none.lines"
printf 'h\0 \r\n' >"$drive_c/mirl_tests/blank.lines"
# Sparse files of zero bytes, where every draw reaches an empty entry; CRTDLL's own seeks are
# 32-bit, so 2^32 + 4096 bytes must not pass for 4096.
truncate -s 2147483647 "$drive_c/mirl_tests/largest.lines"
truncate -s 2147483648 "$drive_c/mirl_tests/2GiB.lines"
truncate -s 4294971392 "$drive_c/mirl_tests/4GiB.lines"

mirl() { env -u VEMOLDATA -u vemoldata "$wine_sh" "$tree" run "$exe" "$@"; }
mirl_with() { env -u VEMOLDATA -u vemoldata "$1" "$wine_sh" "$tree" run "$exe" "${@:2}"; }

check "default directory" 0 'default file\r\n' '' mirl
check "-f names the file" 0 'notes file\r\n' '' mirl -f 'C:\mirl_tests\notes.txt'
check "arguments after the path are ignored" 0 'notes file\r\n' '' \
  mirl -f 'C:\mirl_tests\notes.txt' extra
check "-f alone is no option" 0 'default file\r\n' '' mirl -f
check "another option is no option" 0 'default file\r\n' '' mirl -x y
check "-fpath is no option" 0 'default file\r\n' '' mirl '-fC:\mirl_tests\notes.txt'
check "VEMOLDATA names the directory" 0 'lib file\r\n' '' \
  mirl_with 'VEMOLDATA=C:\mirl_tests\lib'
check "the variable's name has any case" 0 'lib file\r\n' '' \
  mirl_with 'vemoldata=C:\mirl_tests\lib'
check "VEMOLDATA in double quotes, as cmd users write it" 0 'quoted file\r\n' '' \
  mirl_with 'VEMOLDATA="C:\mirl_tests\with blank"'
check "an empty VEMOLDATA is a directory too" 1 '' '/mirl.lines: No such file or directory\r\n' \
  mirl_with 'VEMOLDATA='
check "missing file" 1 '' 'C:\\mirl_tests\\missing: No such file or directory\r\n' \
  mirl -f 'C:\mirl_tests\missing'
check "empty path" 1 '' 'No such file or directory\r\n' mirl -f ''
check "no separator" 2 '' 'File contains no separators.\r\n' mirl -f 'C:\mirl_tests\none.lines'
check "no entries" 2 '' 'File contains no entries.\r\n' mirl -f 'C:\mirl_tests\blank.lines'
full_output() { mirl -f 'C:\mirl_tests\notes.txt' >/dev/full; }
check "a failed write of the entry" 1 '' 'stdout: No space left on device\r\n' full_output
check "CR LF lines come out as CR LF" 0 'two\r\nlines\r\n' '' mirl -f 'C:\mirl_tests\crlf.lines'
check "largest file accepted" 0 '\r\n' '' mirl -f 'C:\mirl_tests\largest.lines'
check "2 GiB is too large" 2 '' 'File is too large.\r\n' mirl -f 'C:\mirl_tests\2GiB.lines'
check "4 GiB and 4 KiB is too large" 2 '' 'File is too large.\r\n' mirl -f 'C:\mirl_tests\4GiB.lines'
finish
