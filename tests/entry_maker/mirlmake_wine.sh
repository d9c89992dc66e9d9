#!/usr/bin/env bash
# End-to-end checks of mirlmake.exe under Wine, with Wine acting as the Windows version FAMILY
# (default, win95 or nt40): files made from CR LF text, printed from by mirl.exe, replaced in
# place and checked, and bad input that leaves nothing behind.
# usage: mirlmake_wine.sh WINE_SH WINE_TREE MIRLMAKE_EXE MIRL_EXE FAMILY
set -u
wine_sh=$1 tree=$2 built_maker=$3 built_mirl=$4 family=$5
. "$(dirname "$0")/../check_run.sh"

# Each family works in a directory of its own, so that the listings see only its files.
work=$tree/prefix/drive_c/mirlmake_$family
dir="C:\\mirlmake_$family"
rm -rf "$work"
mkdir -p "$work"
cd "$work" || exit 1
cp "$built_maker" "mirlmake_$family.exe"
cp "$built_mirl" "mirl_$family.exe"
"$wine_sh" "$tree" as "$family" "mirlmake_$family.exe"
"$wine_sh" "$tree" as "$family" "mirl_$family.exe"
mirlmake() { "$wine_sh" "$tree" run "$dir\\mirlmake_$family.exe" "$@"; }
mirl() { "$wine_sh" "$tree" run "$dir\\mirl_$family.exe" "$@"; }

printf 'one\r\ntwo\r\n%%\r\nthree\r\n%%\r\nfour\r\n' >three.txt
printf 'one\r\ntwo\r\n' >single.txt
# (Not nul.txt: Windows reads that name as its null device.)
printf 'a\r\n%%\r\nb\0\r\n' >zero.txt
files=("mirlmake_$family.exe" "mirl_$family.exe" three.txt single.txt zero.txt)
three='mirl entries: 3, equal chances\000        \000one\r\ntwo\000   three\000    four\000        '
report="      1   0.0000%%  \r
      2  33.3333%%  one  two\r
      3  33.3333%%  three\r
      4  33.3333%%  four\r
      5   0.0000%%  \r
C:\\\\mirlmake_$family\\\\made.lines: 5 entries, 3 can be printed\r
entry 1 can never be printed: behind a header of 40 bytes or fewer\r
entry 5 can never be printed: blank to the end of the file\r
lowest chance 33.3333%% (entry 2), highest chance 33.3333%% (entry 2), ratio 1.0000\r\n"

check "binary output: CR LF and NUL kept" 0 "$three" '' mirlmake "$dir\\three.txt"
check "made into a file" 0 '' '' mirlmake -o "$dir\\made.lines" "$dir\\single.txt"
check "mirl prints the entry with its CR LF" 0 'one\r\ntwo\r\n' '' mirl -f "$dir\\made.lines"
check "an existing file replaced" 0 '' '' mirlmake -o "$dir\\made.lines" "$dir\\three.txt"
check "the new file's bytes" 0 "$three" '' cat made.lines
check "report in text mode" 0 "$report" '' mirlmake -c -v "$dir\\made.lines"
# Every draw from the made file is one of its entries: nothing else is printed.
strays() {
  for _ in 1 2 3 4 5 6; do mirl -f "$dir\\made.lines" || echo "status $?"; done |
    tr -d '\r' | { grep -vxE 'one|two|three|four'; true; }
}
check "mirl prints input entries only" 0 '' '' strays
listing "no temporaries after success" "${files[@]}" made.lines

check "NUL byte" 2 '' "C:\\\\mirlmake_$family\\\\zero.txt:3: entry holds a NUL byte\r\n" \
  mirlmake -o "$dir\\bad.lines" "$dir\\zero.txt"
piped() { printf 'x\r\n%%\r\ny\032\r\n' | mirlmake -o "$dir\\piped.lines"; }
check "standard input is binary too" 2 '' 'stdin:3: entry holds a 0x1A byte\r\n' piped
check "output directory missing" 1 '' \
  'C:\\nowhere\\bad.lines.PID.tmp: No such file or directory\r\n' \
  pid_masked mirlmake -o 'C:\nowhere\bad.lines' "$dir\\three.txt"
listing "nothing left after failures" "${files[@]}" made.lines
finish
