#!/usr/bin/env bash
# End-to-end checks of the Linux build of mirlmake: the files it writes, its messages and
# statuses, and that a failure leaves no output or temporary behind.
# usage: mirlmake_native.sh MIRLMAKE MIRL SAMPLE_TEXT
set -u
mirlmake=$1 mirl=$2 sample=$3
. "$(dirname "$0")/../check_run.sh"

# The inputs and the outputs share one directory; the spools go to another.
work=$scratch/work
export TMPDIR=$scratch/spools
mkdir "$work" "$TMPDIR"
cd "$work" || exit 1
printf 'a\n%%\nbb\n' >two.txt
printf 'one\r\ntwo\n\n' >lines.txt
printf 'a\n%%\n \n%%\nb\n' >blank.txt
printf 'a\nb\0\n' >nul.txt
printf 'x\n%%\ny\x1a\n' >1a.txt
printf '%%\n%%\n' >separators.txt
printf 'a\n%%\nb\n\x1a\x1a\x1a' >ctrlz.txt
printf 'Gr\xc3\xbc\xc3\x9fe\n%%\ncaf\xe9\n' >stray.txt
printf 'a\0\n\0%%\0\n\0b\0' >utf16.txt
printf 'a\n%% \t\r\nb\n%%\t\n c\n%%\n\td\n' >blanks.txt
# 65536 entries, the longest 32768 bytes: (65536 + 1) * (32768 + 1) bytes and a header.
{ for ((i = 0; i < 65535; i++)); do printf 'a\n%%\n'; done; head -c 32768 /dev/zero | tr '\0' x; } \
  >large.txt
inputs=(1a.txt blank.txt blanks.txt ctrlz.txt large.txt lines.txt nul.txt separators.txt stray.txt
  two.txt utf16.txt)
sums=$(md5sum "${inputs[@]}")

usage='usage: mirlmake [-l] [-k] [-p|-w] [-e CODEPAGE] [-o OUTPUT] [INPUT...]\n       mirlmake -c [-v] [-a] FILE\n       mirlmake -x [-e CODEPAGE] [-o OUTPUT] FILE\n'
two='mirl entries: 2, equal chances\000  \000 a\000bb\000'
two_weighted='mirl entries: 2, chances follow the length of the entry before\000a\000bb\000'
two_short='mirl entries: 2, chances follow the length of the entry before\000a\000b\000'

# Feeds the first argument's bytes to mirlmake's standard input.
from_stdin() {
  local bytes=$1
  shift
  # The bytes are a printf format, as in the tables.
  # shellcheck disable=SC2059
  printf "$bytes" | pid_masked "$mirlmake" "$@"
}

check "default layout" 0 "$two" '' "$mirlmake" two.txt
check "default layout: a marker after the long entry" 0 \
  'mirl entries: 4, equal chances\000   \000  a\000  b\000  c\000long entry\000\032   \000' '' \
  from_stdin 'a\n%%\nb\n%%\nc\n%%\nlong entry\n'
check "padded to the longest" 0 \
  'mirl entries: 4, equal chances\000          \000         a\000         b\000         c\000long entry\000  ' \
  '' from_stdin 'a\n%%\nb\n%%\nc\n%%\nlong entry\n' -p
check "weighted layout" 0 "$two_weighted" '' "$mirlmake" -w two.txt
check "a line an entry; CR LF ends a line" 0 'mirl entries: 2, equal chances\000   \000one\000two\000' \
  '' "$mirlmake" -l lines.txt
check "standard input among files, with a tail" 0 \
  'mirl entries: 3, equal chances\000  \000 a\000bb\000 c\000    ' '' from_stdin 'c' two.txt -
check "blank entry dropped with a warning" 0 'mirl entries: 2, equal chances\000 \000a\000b\000  ' \
  'blank.txt:3: blank entry dropped\n' "$mirlmake" blank.txt
check "options after the inputs; -l warns of %% lines" 0 \
  'mirl entries: 3, equal chances\000  \000 a\000 %%\000bb\000    ' \
  'two.txt: 1 line holds only %%; without -l it separates entries\n' "$mirlmake" two.txt -l
# (\055 is the "-" that printf would take for an option.)
check "-- ends the options" 1 '' '\055l: No such file or directory\n' "$mirlmake" two.txt -- -l
check "a run of DOS end marks ends the text" 0 "$two_short" '' "$mirlmake" -w ctrlz.txt
check "UTF-8 but for a stray byte: every byte kept" 0 \
  'mirl entries: 2, chances follow the length of the entry before\000Gr\303\274\303\237e\000caf\351\000' \
  '' "$mirlmake" -w stray.txt
check "UTF-16 without a byte order mark" 0 "$two_short" \
  'utf16.txt: no byte order mark; read as UTF-16 LE\n' "$mirlmake" -w utf16.txt
check "% lines with blanks after them" 0 \
  'mirl entries: 4, chances follow the length of the entry before\000a\000b\000\302\240c\000\302\240\td\000' \
  '' "$mirlmake" -w blanks.txt
# The first line that is not blank keeps its indentation behind a no-break space.
# text | what mirl prints from a file of it, in every layout
indented=(
  '  blanks\n  next|\302\240 blanks\n  next\n'
  '\ttab|\302\240\ttab\n'
  '\n \r\n  after blank lines|\302\240 after blank lines\n'
)
for row in "${indented[@]}"; do
  IFS='|' read -r text printed <<<"$row"
  printf "$text" >indented.txt
  for layout in '' -p -w; do
    "$mirlmake" $layout -o indented.lines indented.txt
    check "mirl prints \"$text\" ${layout:-made by default}" 0 "$printed" '' "$mirl" -f indented.lines
  done
done
rm indented.txt indented.lines
help_line() { "$mirlmake" "$@" | head -n 1; }
check "help on standard output" 0 'mirlmake makes an entry file for mirl from text, or reports on one.\n' '' \
  help_line two.txt '/?'
# A terminal gets no entry file, and is told how to end what is typed at it.
on_terminal() { script -qec "$mirlmake $*" /dev/null | tr -d '\r'; return "${PIPESTATUS[0]}"; }
check "no entry file to a terminal" 2 \
  'the entry file is binary: name it with -o, or redirect the output\n' '' on_terminal two.txt
check "typing at a terminal" 2 \
  'reading entries from the keyboard; end them with Ctrl+D\nno entries in the input\n' '' \
  on_terminal -o typed.lines
check "code pages are for Windows" 2 '' '\055e: code pages are for the Windows build; this one stores UTF-8\n' \
  "$mirlmake" -e 1252 two.txt
listing "nothing left beside the inputs" "${inputs[@]}"

: >out.lines
check "replacing a file" 0 '' '' "$mirlmake" -wo out.lines two.txt
check "the new file's bytes" 0 "$two_weighted" '' cat out.lines
check "standard input into a file" 0 '' '' from_stdin 'a\n%%\nbb\n' -oout.lines
listing "no temporaries after success" "${inputs[@]}" out.lines
rm out.lines

# Bad input of every kind is found before anything is written.
check "NUL byte" 2 '' \
  'nul.txt:2: entry holds a NUL byte; UTF-16 without a byte order mark?\n' \
  "$mirlmake" -o out.lines two.txt nul.txt
check "0x1A byte" 2 '' '1a.txt:3: entry holds a 0x1A byte\n' "$mirlmake" two.txt 1a.txt
check "only separators" 2 '' 'separators.txt:2: blank entry dropped\nno entries in the input\n' \
  "$mirlmake" separators.txt
check "only blank lines" 2 '' 'no entries in the input\n' from_stdin '\n \r\n\t\n' -l
check "2 GiB or more" 2 '' \
  'the entry file would be 2 GiB or more; without -p it takes 163879 bytes\n' \
  "$mirlmake" -p -o out.lines large.txt
check "missing input" 1 '' 'missing.txt: No such file or directory\n' \
  "$mirlmake" -o out.lines two.txt missing.txt
check "output directory missing" 1 '' 'nowhere/out.lines: No such file or directory\n' \
  "$mirlmake" -o nowhere/out.lines two.txt
check "an empty output name, named" 1 '' '"": No such file or directory\n' "$mirlmake" -o '' two.txt
mkdir folder.lines
check "output a folder" 1 '' 'folder.lines: is a folder\n' "$mirlmake" -o folder.lines two.txt
rmdir folder.lines
check "output an input" 2 '' './two.txt: is both an input and the output\n' \
  "$mirlmake" -o ./two.txt lines.txt two.txt
check "the input is left as it was" 0 'a\n%%\nbb\n' '' cat two.txt
full_output() { "$mirlmake" two.txt >/dev/full; }
check "lost output is a failure" 1 '' 'stdout: No space left on device\n' full_output
# An output whose temporary fills the disk: the temporary is removed all the same.
small_disk() { (trap '' XFSZ && ulimit -f 1 && "$mirlmake" -w -o out.lines large.txt); }
check "a write that fails" 1 '' 'out.lines: File too large\n' small_disk
# Memory does not grow with an entry: a 100 MB one is made and turned back within 64 MB of
# address space. (A sanitized build needs more than that to start; it leaves this out.)
if ! ldd "$mirlmake" | grep -q libasan; then
  { head -c 100000000 /dev/zero | tr '\0' x; printf '\n%%\nshort\n%%\n'; } >huge.txt
  limited() {
    (ulimit -v 65536 && "$mirlmake" -o out.lines huge.txt && "$mirlmake" -x out.lines) |
      cmp - huge.txt
  }
  check "a 100 MB entry in 64 MB" 0 '' '' limited
  rm huge.txt out.lines
fi
# An input that changes between the passes: its first read in the second pass finds it empty.
# (Under strace, LeakSanitizer cannot stop the process to look for leaks.)
emptied() {
  ASAN_OPTIONS=detect_leaks=0 strace -o /dev/null -P "$PWD/two.txt" -e trace=read \
    -e inject=read:retval=0:when=3 "$mirlmake" -o out.lines two.txt
}
check "an input that changes between the passes" 1 '' 'two.txt: changed while being read\n' emptied

# Every stream against every other, and inputs that cannot be read twice.
appended() { "$mirlmake" -l two.txt >>two.txt; }
replaced() { "$mirlmake" -o two.txt <two.txt; }
linked() { ln two.txt linked.txt && from_stdin c two.txt ./two.txt - linked.txt /dev/stdin; }
check "standard output is an input" 2 '' 'two.txt: is both an input and the output\n' appended
check "standard input is the output" 2 '' 'two.txt: is both an input and the output\n' replaced
check "/dev/stdin read once" 0 "$two" '' from_stdin 'a\n%%\nbb\n' /dev/stdin
check "an input named twice is read once" 0 \
  'mirl entries: 3, equal chances\000  \000 a\000bb\000 c\000    ' \
  './two.txt: named twice; read once\nlinked.txt: named twice; read once\n/dev/stdin: named twice; read once\n' \
  linked
rm linked.txt
spooled_nowhere() { TMPDIR=nowhere from_stdin a; }
check "spools in TMPDIR" 1 '' 'nowhere/mirlmake.PID.1.in: No such file or directory\n' \
  spooled_nowhere
check "-c on a device" 2 '' '/dev/zero: not a regular file\n' timeout 10 "$mirlmake" -c /dev/zero
check "no input changed" 0 "$sums\n" '' md5sum "${inputs[@]}"
check "no spool left" 0 '' '' ls -A "$TMPDIR"
listing "nothing left after failures" "${inputs[@]}"

# options | the fault named above the usage
refusals=(
  "-q two.txt|unknown option -q"
  "--quiet two.txt|unknown option --quiet"
  "two.txt -lo|-o needs a file name"
  "-pw two.txt|-p and -w cannot be combined"
  "-c|-c takes one file"
  "-v two.txt|-v goes with -c"
  "-c -o x two.txt|-o does not go with -c"
  "-x -p two.txt|-x takes only -e and -o"
)
for row in "${refusals[@]}"; do
  IFS='|' read -r options fault <<<"$row"
  # shellcheck disable=SC2086
  check "refused: $options" 2 '' "${fault/#-/\\055}\n$usage" "$mirlmake" $options
done

# Every ending signal, at any moment (here, reading a pipe held open into the spool), leaves
# no file behind and the old output as it was; the status says which signal ended it.
mkfifo "$scratch/held"
exec 3<>"$scratch/held"
printf 'old' >out.lines
for signal in INT TERM HUP; do
  printf 'a\n' >&3
  TMPDIR=$PWD env --default-signal "$mirlmake" -o out.lines <"$scratch/held" &
  for _ in $(seq 100); do ls | grep -q "\.$!\." && break; sleep 0.1; done
  kill -s "$signal" $!
  check "SIG$signal while reading: the old output kept" "$(($(kill -l "$signal") + 128))" old '' \
    wait_and_cat $! out.lines
done
exec 3>&-
# SIGPIPE: the reader of the output has gone.
pipe_closed() { seq 300000 | TMPDIR=$PWD "$mirlmake" -l | head -c 10; return "${PIPESTATUS[1]}"; }
check "SIGPIPE at a closed output" 141 'mirl entri' '' pipe_closed
# A signal as the new file takes the old one's place: the new file, and status 0, never the new
# file with the signal's status.
at_rename() {
  ASAN_OPTIONS=detect_leaks=0 strace -o /dev/null -e trace=rename,renameat,renameat2 \
    -e inject=rename,renameat,renameat2:signal=TERM "$mirlmake" -o out.lines two.txt &&
    cat out.lines
}
check "SIGTERM at the rename: the new output kept" 0 "$two" '' at_rename
listing "nothing left after signals" "${inputs[@]}" out.lines
# A FIFO is written in place; a symbolic link is followed, and the permissions of the file it
# names are kept.
mkfifo out.fifo
fifo_read() { cat out.fifo & "$mirlmake" -o out.fifo two.txt && wait && [ -p out.fifo ]; }
check "a FIFO as output stays one; its reader gets the file" 0 "$two" '' fifo_read
chmod 640 out.lines
ln -s out.lines link.lines
through_link() {
  "$mirlmake" -o link.lines two.txt && [ -L link.lines ] && stat -c %a out.lines && cat out.lines
}
check "a symbolic link as output: the file it names replaced" 0 "640\n$two" '' through_link
rm out.fifo link.lines out.lines
# The temporary's name can be foreseen: a link or a file put there is neither followed nor
# replaced, and the next name is taken.
echo victim >victim.txt
planted() {
  sh -c 'ln -s victim.txt "out.lines.$$.1.tmp" && echo mine >"out.lines.$$.2.tmp" &&
    exec "$0" -o out.lines two.txt' "$mirlmake" && cat victim.txt out.lines.*.2.tmp out.lines
}
check "a link and a file planted at the temporary's names" 0 "victim\nmine\n$two" '' planted
rm victim.txt out.lines*

"$mirlmake" -o two.lines two.txt
# The reports: a made file with a marker; hand-made ones with faults.
printf 'a\n%%\nbb\n%%\nccc\n%%\ndddd\n%%\n%s\n' "$(head -c 40 /dev/zero | tr '\0' e)" >five.txt
"$mirlmake" -o default.lines five.txt
printf 'h\0one entry behind a short header' >short.lines
printf 'h\0x\0  \x1a y\0z\0\x1a \0 \0w\0 ' >fates.lines
truncate -s 2147483648 too_large.lines
check "report: a marker" 0 'default.lines: 5 of 5 entries can be printed, with equal chances per draw, 1.9993 draws per print
layout parts, which mirl skips: the filler, 1 marker, the blank tail\n' '' "$mirlmake" -c default.lines
check "report: every fault, the summary first" 0 'fates.lines: 3 of 5 entries can be printed, with unequal chances per draw, 2.5715 draws per print
layout parts, which mirl skips: 1 marker, the blank tail
the first entry can never be printed: behind a header of 40 bytes or fewer
1 entry can never be printed: begins with 0x1A
1 entry is blank: mirl prints an empty line
lowest chance 28.5647%% (entry 2), highest chance 42.8706%% (entry 1), ratio 1.5008
                   x  (behind a header of 40 bytes or fewer)
                     y  (begins with 0x1A)
      1  42.8706%%  z
      2  28.5647%%  (blank)
      3  28.5647%%  w\n' '' \
  "$mirlmake" -c fates.lines -v
check "report: nothing printable behind a short header" 2 'short.lines: 0 of 1 entry can be printed
the first entry can never be printed: behind a header of 40 bytes or fewer\n' \
  'File contains no entries.\n' "$mirlmake" -c short.lines
seq 300000 | "$mirlmake" -l -o seq.lines
check "report: 300,000 entries, unequal by the generator's grain alone" 0 'seq.lines: 300000 of 300000 entries can be printed, with chances per draw equal within 1 part in 14316, 1.0000 draws per print
layout parts, which mirl skips: the filler
lowest chance 0.00033332%% (entry 3), highest chance 0.00033334%% (entry 1), ratio 1.0001\n' '' \
  "$mirlmake" -c seq.lines
check "report: a text" 2 '' 'two.txt: not an entry file (no NUL); make one with mirlmake -o FILE two.txt\n' \
  "$mirlmake" -c two.txt
check "report: too large" 2 '' 'File is too large.\n' "$mirlmake" -c too_large.lines
full_report() { "$mirlmake" -c two.lines >/dev/full; }
check "report: lost output is a failure" 1 '' 'stdout: No space left on device\n' full_report

# Text made, turned back by -x, with nothing said of the layout's parts, and made again with -k
# gives the same file: the sample, and entries of mixed lengths that begin in every way mirl
# would skip, one ending in a CR. Text that begins each entry with its first line that is not
# blank, as making keeps it, comes back byte for byte: a first line of only a no-break space too.
leads=('' ' ' '  ' '\t' ' \t' '\f' '\302\240' '\302\240\n' '  \302\240' '\302\240 ' '\357\273\277')
texts() { # LEADS...: the text, each lead in turn
  local i=0
  for lead in "$@" "$@"; do
    printf "$lead"
    printf "%$((i * 7919 % 200 + 1))s" | tr ' ' x
    # After a CR, -x writes a CR LF in front of the "%" line, which making folds into a LF.
    if [ $((i++ % 7)) = 5 ]; then printf '\r\r\n%%\n'; else printf '\n%%\n'; fi
  done
}
texts "${leads[@]}" >kept.txt
texts "${leads[@]}" '\n \n  ' '\r\n' >mixed.txt
round_trip() { # OPTIONS TEXT
  "$mirlmake" $1 -o first.lines "$2" && "$mirlmake" -x -o back.txt first.lines &&
    "$mirlmake" -k $1 -o again.lines back.txt && cmp first.lines again.lines &&
    { [ "$2" != kept.txt ] || cmp back.txt kept.txt; }
}
for layout in '' -p -w; do
  for text in "$sample" kept.txt mixed.txt; do
    check "round trip of ${text##*/} ${layout:-made by default}" 0 '' '' round_trip "$layout" "$text"
  done
done
# What mirl prints: up to a 0x1A, from the first byte it prints; an entry that would separate
# entries is written all the same.
printf 'h\0x\0  \x1a y\0 \302\240\tz\r\0\0\302\240 w\0\302\240\0\n\tab\x1a cd\0 ' >hand.lines
check "-x on a file made by hand" 0 '\tz\r\r\n%%\n\n%%\n  w\n%%\n\302\240\n%%\nab\n%%\n' \
  'hand.lines: entry 5: 4 bytes from its 0x1A on left out
the first entry can never be printed: behind a header of 40 bytes or fewer
1 entry can never be printed: begins with 0x1A
1 entry is blank: mirl prints an empty line\n' "$mirlmake" -x hand.lines
printf 'a\n%%\nb\n%% \n' | "$mirlmake" -l -o percent.lines 2>/dev/null
check "-x writes a line that separates entries, and warns" 0 'a\n%%\n%%\n%%\nb\n%%\n%% \n%%\n' \
  'stdout:3: entry 2 holds a line of only %%, a separator
stdout:7: entry 4 holds a line of only %%, a separator\n' "$mirlmake" -x percent.lines
finish
