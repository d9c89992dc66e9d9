#!/usr/bin/env bash
# End-to-end checks of mirlmake.exe under Wine, with Wine acting as the Windows version FAMILY
# (default, win95 or nt40): files made from CR LF text, printed from by mirl.exe, replaced in
# place and checked; text in each encoding Notepad saves, stored in four code pages; wildcards
# and help as cmd.exe users meet them; and bad input that leaves nothing behind.
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

# Short entries and a long one, which gets a marker in the default layout.
printf 'one\r\ntwo\r\n%%\r\nthree\r\n%%\r\nfour\r\n%%\r\nfive\r\n%%\r\nthe longest entry\r\nof all\r\n' \
  >three.txt
printf 'one\r\ntwo\r\n' >single.txt
# (Not nul.txt: Windows reads that name as its null device.)
printf 'a\r\n%%\r\nb\0\r\n' >zero.txt
files=("mirlmake_$family.exe" "mirl_$family.exe" three.txt single.txt zero.txt)
three='mirl entries: 5, equal chances\000       \000one\ntwo\000  three\000   four\000   five\000the longest entry\nof all\000\032       \000 '
report="C:\\\\mirlmake_$family\\\\made.lines: 5 of 5 entries can be printed, with equal chances per draw, 1.8746 draws per print\r
layout parts, which mirl skips: the filler, 1 marker, the blank tail\r
      1  20.0000%%  one two\r
      2  20.0000%%  three\r
      3  20.0000%%  four\r
      4  20.0000%%  five\r
      5  20.0000%%  the longest entry of all\r\n"

check "binary output: CR LF folded, NUL kept; an input named twice read once" 0 "$three" \
  "C:\\\\MIRLMAKE_$family\\\\THREE.TXT: named twice; read once\r\n" \
  mirlmake "$dir\\three.txt" "C:\\MIRLMAKE_$family\\THREE.TXT"
check "made into a file" 0 '' '' mirlmake -o "$dir\\made.lines" "$dir\\single.txt"
check "mirl prints the entry with its CR LF" 0 'one\r\ntwo\r\n' '' mirl -f "$dir\\made.lines"
check "an existing file replaced" 0 '' '' mirlmake -o "$dir\\made.lines" "$dir\\three.txt"
check "the new file's bytes" 0 "$three" '' cat made.lines
check "report in text mode" 0 "$report" '' mirlmake -c -v "$dir\\made.lines"
# Every draw from the made file is one of its entries: nothing else is printed.
strays() {
  for _ in 1 2 3 4 5 6; do mirl -f "$dir\\made.lines" || echo "status $?"; done |
    tr -d '\r' | { grep -vxE 'one|two|three|four|five|the longest entry|of all'; true; }
}
check "mirl prints input entries only" 0 '' '' strays
listing "no temporaries after success" "${files[@]}" made.lines

check "NUL byte" 2 '' "C:\\\\mirlmake_$family\\\\zero.txt:3: entry holds a NUL byte; UTF-16 without a byte order mark?\r\n" \
  mirlmake -o "$dir\\bad.lines" "$dir\\zero.txt"
piped() { printf 'x\r\n%%\r\ny\032\r\n' | mirlmake -o "$dir\\piped.lines"; }
check "standard input is binary too" 2 '' 'stdin:3: entry holds a 0x1A byte\r\n' piped
check "output directory missing" 1 '' 'C:\\nowhere\\bad.lines: No such file or directory\r\n' \
  mirlmake -o 'C:\nowhere\bad.lines' "$dir\\three.txt"
mkdir folder.lines
check "output a folder" 1 '' "C:\\\\mirlmake_$family\\\\folder.lines: is a folder\r\n" \
  mirlmake -o "$dir\\folder.lines" "$dir\\three.txt"
check "a folder as input" 1 '' "C:\\\\mirlmake_$family\\\\folder.lines: is a folder\r\n" \
  mirlmake "$dir\\folder.lines"
rmdir folder.lines
check "a pattern that matches no file" 1 '' "C:\\\\mirlmake_$family\\\\no*.txt: no file matches\r\n" \
  mirlmake "$dir\\no*.txt"
check "-o NUL checks a text and writes nothing" 0 '' '' mirlmake -o NUL "$dir\\three.txt"
check "output an input under another letter case" 2 '' \
  "C:\\\\MIRLMAKE_$family\\\\THREE.TXT: is both an input and the output\r\n" \
  mirlmake -o "C:\\MIRLMAKE_$family\\THREE.TXT" "$dir\\three.txt"
check "-c on a device" 2 '' 'NUL: not a regular file\r\n' mirlmake -c NUL
listing "nothing left after failures" "${files[@]}" made.lines
# Ctrl+C while standard input is spooled (Wine hands SIGINT to the console's handlers): the
# status is Windows' for Ctrl+C, 0xC000013A, seen here by its low byte. Once is enough.
if [ "$family" = default ]; then
  mkfifo "$scratch/held"
  exec 3<>"$scratch/held"
  printf 'a\r\n' >&3
  env --default-signal "$wine_sh" "$tree" run "$dir\\mirlmake_$family.exe" -o "$dir\\made.lines" \
    <"$scratch/held" &
  spools() { find "$tree/prefix/drive_c/users" -name 'mirlmake.*.in'; }
  for _ in $(seq 300); do [ -n "$(spools)" ] && break; sleep 0.1; done
  kill -INT $!
  check "Ctrl+C: the old output kept" 58 "$three" '' wait_and_cat $! made.lines
  exec 3>&-
  check "Ctrl+C: no spool left" 0 '' '' spools
  listing "nothing left after Ctrl+C" "${files[@]}" made.lines
fi

# cmd.exe leaves wildcards to the program.
in_cmd() { "$wine_sh" "$tree" run cmd /c "cd /d $dir && mirlmake_$family.exe $*"; }
# (Wine has no file index for a file that a Linux shell redirects; it has one for cmd.exe's.)
check "standard input is the output" 2 '' 'three.txt: is both an input and the output\r\n' \
  in_cmd -o three.txt '<three.txt'
check "wildcards" 0 '' '' in_cmd -w -o all.lines 't*.txt' -- single.txt
check "the inputs the wildcards name" 0 \
  'mirl entries: 6, chances follow the length of the entry before\000one\ntwo\000three\000four\000five\000the longest entry\nof all\000one\ntwo\000' \
  '' cat all.lines
rm all.lines
help_line() { mirlmake "$@" | head -n 1; }
for option in '/?' '-?'; do
  check "help with $option" 0 'mirlmake makes an entry file for mirl from text, or reports on one.\r\n' \
    '' help_line "$option"
done

# Text as Notepad saves it, in ANSI (code page 1252), UTF-8 with and without its mark, and
# UTF-16 in both byte orders, each stored in a code page by the system's own conversion; a
# letter that a code page holds only as another (U for Ü) has no place there.
saved() { # NAME TEXT
  printf '%s' "$2" | iconv -t CP1252 >"$1.ansi" 2>/dev/null || rm -f "$1.ansi"
  printf '%s' "$2" >"$1.u8"
  { printf '\357\273\277%s' "$2"; } >"$1.u8bom"
  { printf '\377\376'; printf '%s' "$2" | iconv -t UTF-16LE; } >"$1.u16le"
  { printf '\376\377'; printf '%s' "$2" | iconv -t UTF-16BE; } >"$1.u16be"
}
saved latin $'\u00dcbung\r\n%\r\ncaf\u00e9\r\n'
saved euro $'\u00dcbung\r\n%\r\ncaf\u00e9\r\n%\r\n\u20ac\r\n'
saved zhe $'\u00dcbung\r\n%\r\ncaf\u00e9\r\n%\r\n\u0416\r\n'
# code page | text | encodings | status | the entries stored, or the refusals (@ the input)
code_pages=(
  "1252|euro|ansi u8 u8bom u16le u16be|0|\334bung\000caf\351\000\200\000"
  "850|latin|u8bom u16le|0|\232bung\000caf\202\000"
  "1251|euro|u8bom u16le|2|@:1: U+00DC has no place in code page 1251\r\n@:3: U+00E9 has no place in code page 1251\r\n"
  "1252|zhe|u8bom u16le|2|@:5: U+0416 has no place in code page 1252\r\n"
  "850|zhe|u8bom u16le|2|@:5: U+0416 has no place in code page 850\r\n"
)
for row in "${code_pages[@]}"; do
  IFS='|' read -r code_page text encodings status stored <<<"$row"
  entries=$(grep -c '^%' "$text.u8")
  for encoding in $encodings; do
    if [ "$status" = 0 ]; then
      check "$text.$encoding in code page $code_page" 0 \
        "mirl entries: $((entries + 1)), chances follow the length of the entry before\\000$stored" \
        '' mirlmake -w -e "$code_page" "$dir\\$text.$encoding"
    else
      check "$text.$encoding refused in code page $code_page" 2 '' \
        "${stored//@/C:\\\\mirlmake_$family\\\\$text.$encoding}" \
        mirlmake -e "$code_page" -o "$dir\\bad.lines" "$dir\\$text.$encoding"
    fi
  done
done
# Text is split as it was written, then each entry stored: a fullwidth % is no separator, but a
# best fit that makes a line of only %, or a character that the code page turns into a line end
# or 0x1A, is refused. Other best fits are named. @ is the input.
printf 'a \357\274\205\r\n\357\274\205\r\nb\r\n%%\r\nc\r\n' >fullwidth.txt
printf '\342\200\234q\342\200\235 \342\200\223 \357\274\241\r\n' >quotes.txt
printf 'a\r\n%%\342\227\231\r\nb\342\231\252\r\n%%\r\n\342\206\222\r\n' >controls.txt
# UTF-16 without a mark, its characters beyond U+00FF. UTF-8 with stray bytes of the ANSI code
# page (1252 here), each read as its character: each line that holds one is named once.
iconv -t UTF-16LE <euro.u8 >nomark16le.txt
printf 'Gr\303\274\303\237e sch\303\266n\r\n%%\r\ncaf\351\r\n%%\r\nna\357ve\r\n' >stray.txt
# options | text | status | entries | stored | messages
split_first=(
  "-l|fullwidth|0|5|a %%\000%%\000b\000%%\000c\000|@:1: U+FF05 replaced by U+0025 in code page 1252\r\n@:2: U+FF05 replaced by U+0025 in code page 1252\r\n@: 1 line holds only %%; without -l it separates entries\r\n"
  "|fullwidth|2|||@:2: best fits make a line of only %% in code page 1252\r\n@:1: U+FF05 replaced by U+0025 in code page 1252\r\n@:2: U+FF05 replaced by U+0025 in code page 1252\r\n"
  "-e 437|quotes|0|1|\"q\" - A\000|@:1: U+201C replaced by U+0022 in code page 437\r\n@:1: U+201D replaced by U+0022 in code page 437\r\n@:1: U+2013 replaced by U+002D in code page 437\r\n@:1: U+FF21 replaced by U+0041 in code page 437\r\n"
  "-e oem|controls|2|||@:2: U+25D9 becomes 0x0A in code page 437\r\n@:3: U+266A becomes 0x0D in code page 437\r\n@:5: U+2192 becomes 0x1A in code page 437\r\n"
  "-e 37|fullwidth|2|||code page 37 does not keep ASCII\r\n"
  "-e 1252|nomark16le|0|3|\334bung\000caf\351\000\200\000|@: no byte order mark; read as UTF-16 LE\r\n"
  "-e 1252|stray|0|3|Gr\374\337e sch\366n\000caf\351\000na\357ve\000|@:3: not UTF-8 (byte 0xE9); read as code page 1252\r\n@:5: not UTF-8 (byte 0xEF); read as code page 1252\r\n"
  "-e 850|stray|0|3|Gr\201\341e sch\224n\000caf\202\000na\213ve\000|@:3: not UTF-8 (byte 0xE9); read as code page 1252\r\n@:5: not UTF-8 (byte 0xEF); read as code page 1252\r\n"
)
for row in "${split_first[@]}"; do
  IFS='|' read -r options text status entries stored messages <<<"$row"
  [ "$status" = 0 ] &&
    stored="mirl entries: $entries, chances follow the length of the entry before\\000$stored"
  # shellcheck disable=SC2086
  check "$text.txt with $options" "$status" "$stored" \
    "${messages//@/C:\\\\mirlmake_$family\\\\$text.txt}" mirlmake -w $options "$dir\\$text.txt"
done
# Without -e the system's ANSI code page, with -e oem its OEM one, whatever the machine's are.
system_code_page() {
  "$wine_sh" "$tree" run reg query 'HKLM\System\CurrentControlSet\Control\Nls\CodePage' /v "$1" |
    awk -v name="$1" '$1 == name { print $3 }' | tr -d '\r'
}
made_alike() { # OPTIONS OPTIONS: the two sets of options, each split at blanks, make one file
  # shellcheck disable=SC2086
  cmp -s <(mirlmake -w $1 "$dir\\latin.u16le") <(mirlmake -w $2 "$dir\\latin.u16le")
}
check "the ANSI code page by default" 0 '' '' made_alike '' "-e $(system_code_page ACP)"
check "the OEM code page with -e OEM" 0 '' '' made_alike '-e OEM' "-e $(system_code_page OEMCP)"
# In a console after chcp 850, -e oem is the console's code page: 850 has a place for the \330.
printf '\357\273\277\303\230resund\r\n' >oresund.txt
after_chcp() {
  local make="mirlmake_$family.exe -w -e oem -o oem.lines oresund.txt"
  script -qec "$wine_sh $tree run cmd /c 'cd /d $dir && chcp 850 >nul && $make'" /dev/null \
    >/dev/null && cat oem.lines
}
check "-e oem after chcp 850 in a console" 0 \
  'mirl entries: 1, chances follow the length of the entry before\000\235resund\000' '' after_chcp
# An indented entry keeps its indentation behind the code page's no-break space; in one that
# has none, it loses it, and the first ten places are named.
printf ' a\r\n' >indented.txt
for row in '1252|\240a\r\n' 'oem|\377a\r\n'; do
  IFS='|' read -r code_page printed <<<"$row"
  mirlmake -e "$code_page" -o "$dir\\indented.lines" "$dir\\indented.txt"
  check "mirl prints code page $code_page's no-break space" 0 "$printed" '' \
    mirl -f "$dir\\indented.lines"
done
lost=''
for line in 1 3 5 7 9 11 13 15 17 19; do
  lost+="C:\\\\mirlmake_$family\\\\lost.txt:$line: indentation lost: code page 932 has no no-break space\r\n"
done
for _ in {1..12}; do printf ' a\r\n%%\r\n'; done >lost.txt
check "indentation lost in code page 932" 0 \
  "mirl entries: 12, chances follow the length of the entry before\\000$(printf 'a\\000%.0s' {1..12})" \
  "${lost}C:\\\\mirlmake_$family\\\\lost.txt: 2 more entries lose their indentation\r\n" \
  mirlmake -w -e 932 "$dir\\lost.txt"
# Made, turned back by -x and made again with -k, a text gives the same file in each code page,
# whatever its entries hold: the no-break space of the code page as an entry's only first line
# or in front of its text, indentation, best fits, and text in the code page that would pass for
# UTF-8. Text in the code page comes back byte for byte.
printf '\240\r\n x\r\n%%\r\n\ttwo\r\n%%\r\n  \240three\r\n%%\r\n' >spaces.ansi
{ printf '\377\376'; printf '\303\251 \342\200\234q\342\200\235' | iconv -t UTF-16LE; } >utf8like.u16le
# options | text | the text comes back
round_trips=(
  "-e 1252|spaces.ansi|yes"
  "-e 850 -w|spaces.ansi|no"
  "-e 1252 -p|utf8like.u16le|no"
  "-e 437|utf8like.u16le|no"
)
round_trip() { # OPTIONS TEXT BACK
  # shellcheck disable=SC2086
  mirlmake $1 -o "$dir\\first.lines" "$dir\\$2" 2>/dev/null &&
    mirlmake -x ${1%% -[pw]} -o "$dir\\back.txt" "$dir\\first.lines" &&
    mirlmake -k $1 -o "$dir\\again.lines" "$dir\\back.txt" && cmp first.lines again.lines &&
    { [ "$3" = no ] || cmp back.txt "$2"; }
}
for row in "${round_trips[@]}"; do
  IFS='|' read -r options text back <<<"$row"
  check "round trip of $text with $options" 0 '' '' round_trip "$options" "$text" "$back"
done
rm first.lines again.lines back.txt
# A console gets no entry file, named CON or not (script gives Wine a console, which draws the
# message with cursor moves: the status tells).
printf '%q ' "$wine_sh" "$tree" run "$dir\\mirlmake_$family.exe" -o CON "$dir\\three.txt" \
  >"$scratch/con.sh"
on_console() {
  script -qec "bash $scratch/con.sh; echo status \$?" /dev/null |
    tr -d '\r' | grep -o 'status [0-9]*'
}
check "-o CON on a console" 0 'status 2\n' '' on_console
printf '\377\376c\0a\0f\0\351\0' >cafe.u16le
check "made in code page 1252" 0 '' '' mirlmake -e 1252 -o "$dir\\cafe.lines" "$dir\\cafe.u16le"
check "mirl prints a stored entry" 0 'caf\351\r\n' '' mirl -f "$dir\\cafe.lines"
finish
