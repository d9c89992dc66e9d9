#!/usr/bin/env bash
# Makes the release zip, unpacks it into a fresh folder on the Wine drive and runs the programs
# from there as a user would.
# usage: release_wine.sh SOURCE_DIR BUILD_DIR WINE_SH WINE_TREE STAND_IN_EXE
set -u
source=$1 build=$2 wine_sh=$3 tree=$4 stand_in=$5
. "$(dirname "$0")/check_run.sh"

(cd "$build" && cpack --config CPackConfig.cmake -B "$scratch/package" >/dev/null)
zip=$(ls "$scratch"/package/mirl-runnolt-*-win32.zip)
folder=$tree/prefix/drive_c/release_test
rm -rf "$folder"
mkdir -p "$folder"
unzip -q "$zip" -d "$folder"

contents() { (cd "$folder" && find . -type f | sort | tr '\n' ' '); }
check "the zip holds the programs, guide, licence and sample" 0 \
  './LICENSE.txt ./README.txt ./mirl.exe ./mirlmake.exe ./runnolt.exe ./samples/mirl.lines ./samples/mirl.txt ' \
  '' contents
text_lines() { grep -c $'\r$' "$folder/$1" | grep -qx "$(wc -l <"$folder/$1")"; }
check "the guide has CR LF line ends" 0 '' '' text_lines README.txt
check "the licence has CR LF line ends" 0 '' '' text_lines LICENSE.txt
check "the sample's text has CR LF line ends" 0 '' '' text_lines samples/mirl.txt

# mirl from the unpacked folder prints a sample entry, without the blanks in front of it, with
# CR LF line ends.
sample_entry() {
  local out entry
  out=$(cd "$folder" && "$wine_sh" "$tree" run mirl.exe -f 'samples\mirl.lines') || return
  [[ $out == *$'\r' ]] || return
  out=${out%$'\r'}
  out=${out//$'\r\n'/$'\n'}
  while IFS= read -r -d '' entry; do
    [[ ${entry#"${entry%%[![:space:]]*}"} == "$out" ]] && return
  done <"$folder/samples/mirl.lines"
  return 1
}
check "mirl prints a sample entry" 0 '' '' sample_entry
# The sample's text, with its Windows line ends, makes the zip's entry file, byte for byte.
remade() {
  cd "$folder" && "$wine_sh" "$tree" run mirlmake.exe -o 'samples\mine.lines' 'samples\mirl.txt' &&
    cmp -s samples/mine.lines samples/mirl.lines &&
    "$wine_sh" "$tree" run mirlmake.exe -c 'samples\mine.lines'
}
check "mirlmake makes the sample from its text" 0 'samples\\mine.lines: 37 of 37 entries can be printed, with equal chances per draw, 1.1547 draws per print\r
layout parts, which mirl skips: the filler, 4 markers, the blank tail\r\n' '' remade

cp "$stand_in" "$folder/noltnt.exe"
waited() { (cd "$folder" && STAND_IN_EXIT=5 "$wine_sh" "$tree" run runnolt.exe -wait); }
check "runnolt -wait passes the exit status on" 5 '' '' waited
# The guide's examples, run from the unpacked folder, each a line of its own.
bash "$(dirname "$0")/doc_examples.sh" "$source" "$wine_sh" "$tree" "$folder" ||
  failed=$((failed + 1))
finish
