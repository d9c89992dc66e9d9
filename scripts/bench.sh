#!/usr/bin/env bash
# Gives the sizes of the Windows programs, then measures mirl side by side with `shuf -n 1`,
# fortune and a floor program that only opens, seeks and reads 4 KB, on generated entry files
# of 1 MB, 100 MB and 1 GB; mirl's reads and CPU time on two hostile files; mirlmake's layouts
# of Debian's Italian and Czech collections of sayings, each on its own and both together (size
# and draws per print), and mirl printing from the default ones; mirlmake making 1 GB in every
# layout against dd copying it, and checking it against cat reading it; and mirl.exe and
# runnolt.exe -wait under Wine against a Windows program that does nothing. Prints medians and
# ratios. The files live in a temporary directory and are removed afterwards.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh bench
cmake --preset native >/dev/null && cmake --build --preset native --target mirl mirlmake >/dev/null
cmake --preset windows >/dev/null && cmake --build --preset windows >/dev/null

echo "| Windows program | bytes |"
echo "|---|---|"
for exe in entry_printer/mirl.exe entry_maker/mirlmake.exe launcher/runnolt.exe; do
  echo "| ${exe#*/} | $(stat -c %s "build/windows/$exe") |"
done
echo

work=$(mktemp -d)
tree=build/windows/wine
trap 'tests/wine/wine.sh "$tree" down; rm -rf "$work"' EXIT
mirl=build/native/entry_printer/mirl
mirlmake=build/native/entry_maker/mirlmake

cat >"$work/floor.c" <<'C'
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>
int main(int argc, char **argv)
{
	char block[4096];
	int fd = open(argv[1], O_RDONLY);
	off_t size = lseek(fd, 0, SEEK_END);
	lseek(fd, (off_t)(getpid() * 2654435761u % (unsigned long)size), SEEK_SET);
	return read(fd, block, sizeof block) < 0;
}
C
cc -O2 -o "$work/floor" "$work/floor.c"

# Entry files of about the given size: the same entries as NUL-separated (mirl, shuf -z) and
# as fortune's %-separated text with its strfile index.
make_files() {
  local bytes=$1 name=$2
  awk -v bytes="$bytes" 'BEGIN {
    printf "generated entries for the benchmark, a header longer than forty bytes%c", 0
    for (n = 0; total < bytes; n++) {
      e = sprintf("entry %d: a saying of about sixty bytes, made up for this run", n)
      printf "%s%c", e, 0
      total += length(e) + 1
    }
  }' >"$work/$name.lines"
  tr '\0' '\n' <"$work/$name.lines" | tail -n +2 | sed 's/$/\n%/' >"$work/$name"
  strfile -s "$work/$name" "$work/$name.dat"
}

# Median of a command in milliseconds; with prepare set, that command runs before each run.
median() {
  local runs=$1
  shift
  hyperfine -N --warmup 5 --runs "$runs" ${prepare:+--prepare "$prepare"} \
    --export-csv "$work/h.csv" "$*" >/dev/null 2>&1
  awk -F, 'NR == 2 { printf "%.2f", $4 * 1000 }' "$work/h.csv"
}

# The first figure over the second, to two places.
ratio() {
  awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'
}

# Bytes one run of mirl reads from the entry file.
bytes_read() {
  strace -e trace=openat,read -o "$work/trace" "$mirl" -f "$1" >/dev/null
  awk -v file="$1" '
    /openat/ && index($0, file) { split($0, r, "= "); fd = r[2] + 0 }
    fd && $0 ~ "^read\\(" fd "," { split($0, r, "= "); sum += r[2] }
    END { print sum + 0 }' "$work/trace"
}

echo "| file | mirl ms | floor ms | shuf -n 1 ms | fortune ms | mirl / floor | mirl bytes read |"
echo "|---|---|---|---|---|---|---|"
for size in 1MB:1000000:30 100MB:100000000:20 1GB:1000000000:5; do
  IFS=: read -r label bytes runs <<<"$size"
  make_files "$bytes" "f$label"
  m=$(median 300 "$mirl -f $work/f$label.lines")
  f=$(median 300 "$work/floor $work/f$label.lines")
  s=$(median "$runs" "shuf -z -n 1 $work/f$label.lines")
  o=$(median 30 "/usr/games/fortune $work/f$label")
  echo "| $label | $m | $f | $s | $o | $(ratio "$m" "$f") | $(bytes_read "$work/f$label.lines") |"
  [ "$label" = 1GB ] || rm -f "$work/f$label"*
done

# What a print costs on hostile files: one entry behind 512 MiB of 0x1A, and 5,000 dead
# stretches of 16 KiB with one live offset each. Bytes read over the file's size, the most of
# 20 prints, and CPU seconds (user and system) per print, the mean of 20.
{ printf 'h\0'; head -c 536870912 /dev/zero | tr '\0' '\032'; printf '\0the one entry'; } \
  >"$work/run.lines"
awk 'BEGIN {
  printf "h%c", 0
  for (pad = " "; length(pad) < 16376; pad = pad pad)
    ;
  pad = substr(pad, 1, 16376)
  for (i = 0; i < 5000; i++) printf "%c%05d%c%s%c", 0, i, 26, pad, 26
}' >"$work/stretches.lines"
cpu_seconds() {
  local TIMEFORMAT='%3U %3S'
  { time "$mirl" -f "$1" >/dev/null; } 2>&1 | awk '{ print $1 + $2 }'
}
echo
echo "| hostile file | bytes | most read / bytes | mean CPU s |"
echo "|---|---|---|---|"
for name in run stretches; do
  file=$work/$name.lines
  bytes=$(stat -c %s "$file")
  most=0 cpu=0
  for ((i = 0; i < 20; i++)); do
    most=$(awk -v a="$most" -v b="$(bytes_read "$file")" 'BEGIN { print (b > a ? b : a) }')
    cpu=$(awk -v a="$cpu" -v b="$(cpu_seconds "$file")" 'BEGIN { print a + b }')
  done
  echo "| $name | $bytes | $(ratio "$most" "$bytes") | $(ratio "$cpu" 20) |"
  rm -f "$file"
done

# The layouts of the Italian and the Czech collections of sayings, each on its own and both
# together: the file's size over the text's, and the draws per print that mirlmake -c computes;
# then mirl printing from each default file beside the floor program.
fortunes=/usr/share/games/fortunes
echo
echo "| sayings | text bytes | layout | file bytes | file / text | draws per print |"
echo "|---|---|---|---|---|---|"
for collection in "Italian it" "Czech cs" "both it cs"; do
  read -r name folders <<<"$collection"
  mapfile -t inputs < <(for folder in $folders; do
    find "$fortunes/$folder" -maxdepth 1 -type f ! -name '*.dat' | sort
  done)
  text_bytes=$(cat "${inputs[@]}" | wc -c)
  for layout in default -p -w; do
    options=()
    [ "$layout" = default ] || options=("$layout")
    made=$work/$name${options[*]}.lines
    "$mirlmake" "${options[@]}" -o "$made" "${inputs[@]}" 2>/dev/null
    bytes=$(stat -c %s "$made")
    draws=$("$mirlmake" -c "$made" | awk '/draws per print/ { print $(NF - 3) }')
    echo "| $name | $text_bytes | $layout | $bytes | $(ratio "$bytes" "$text_bytes") | $draws |"
  done
done
echo
echo "| default layout of | mirl ms | floor ms | mirl / floor |"
echo "|---|---|---|---|"
for name in Italian Czech both; do
  m=$(median 300 "$mirl -f $work/$name.lines")
  f=$(median 300 "$work/floor $work/$name.lines")
  echo "| $name | $m | $f | $(ratio "$m" "$f") |"
done

# mirlmake on 1 GB: making an entry file in every layout (reading the text twice and writing
# about as much) against dd copying it, each replacing the file of its last run, once from the
# %-separated text and once from short lines with -l. Each run starts after a sync, so that none
# pays for writing back the file of the run before it. Then checking the entry file (reading it
# once) against cat reading the text.
awk 'BEGIN {
  e = "the quick brown fox jumps over the lazy dog and runs far"
  for (n = 0; total < 1000000000; n++) {
    line = substr("line " n " " e, 1, 10 + n * 7 % 51)
    print line
    total += length(line) + 1
  }
}' >"$work/lines1GB"
c=$(median 5 "cat $work/f1GB")
row() { echo "| $1 | $2 | $(ratio "$2" "$d") | $(ratio "$2" "$c") |"; }
# The rows for the text INPUT made with the options that follow it.
making_rows() {
  local input=$1 layout options
  shift
  d=$(prepare=sync median 5 "dd if=$work/$input of=$work/copy bs=128k status=none")
  row "dd bs=128k (copies $input)" "$d"
  for layout in "" -p -w; do
    options=($* $layout)
    row "mirlmake ${options[*]}${options[*]:+ }-o (makes an entry file of $input)" \
      "$(prepare=sync median 5 "$mirlmake ${options[*]} -o $work/made.lines $work/$input")"
  done
}
echo
echo "| 1GB | median ms | / dd | / cat |"
echo "|---|---|---|---|"
making_rows f1GB
row "cat (reads f1GB)" "$c"
row "mirlmake -c (checks the entry file of f1GB)" "$(median 5 "$mirlmake -c $work/f1GB.lines")"
making_rows lines1GB -l
rm -f "$work"/f1GB* "$work/lines1GB" "$work/copy" "$work/made.lines"

# Under Wine: what our code adds to the start of a process.
printf 'int main(void) { return 0; }\n' >"$work/nothing.c"
i686-w64-mingw32-gcc-win32 -O2 -o "$work/nothing.exe" "$work/nothing.c"
tests/wine/wine.sh "$tree" up
launcher=$tree/prefix/drive_c/bench
mkdir -p "$launcher"
cp build/windows/launcher/runnolt.exe "$launcher/"
cp build/windows/tests/launcher/stand_in.exe "$launcher/noltnt.exe"
printf 'h\0x\0one entry' >"$work/one.lines"
under_wine() { echo "tests/wine/wine.sh $tree run $*"; }
n=$(median 10 "$(under_wine "$work/nothing.exe")")
m=$(median 10 "$(under_wine build/windows/entry_printer/mirl.exe -f "$work/one.lines")")
r=$(median 10 "$(under_wine "$launcher/runnolt.exe" -wait)")
echo
echo "| under Wine | median ms | / nothing.exe |"
echo "|---|---|---|"
for row in "nothing.exe:$n" "mirl.exe:$m" "runnolt.exe -wait (main application exits at once):$r"; do
  echo "| ${row%:*} | ${row##*:} | $(ratio "${row##*:}" "$n") |"
done
