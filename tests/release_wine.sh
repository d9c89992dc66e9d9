#!/usr/bin/env bash
# Makes the release zip, unpacks it into a fresh folder on the Wine drive and runs both programs
# from there as a user would.
# usage: release_wine.sh BUILD_DIR WINE_SH WINE_TREE STAND_IN_EXE
set -u
build=$1 wine_sh=$2 tree=$3 stand_in=$4
. "$(dirname "$0")/check_run.sh"

(cd "$build" && cpack --config CPackConfig.cmake -B "$scratch/package" >/dev/null)
zip=$(ls "$scratch"/package/mirl-runnolt-*-win32.zip)
folder=$tree/prefix/drive_c/release_test
rm -rf "$folder"
mkdir -p "$folder"
unzip -q "$zip" -d "$folder"

listing() { (cd "$folder" && find . -type f | sort | tr '\n' ' '); }
check "the zip holds the programs, guide, licence and sample" 0 \
  './LICENSE.txt ./README.txt ./mirl.exe ./runnolt.exe ./samples/mirl.lines ' '' listing
text_lines() { grep -c $'\r$' "$folder/$1" | grep -qx "$(wc -l <"$folder/$1")"; }
check "the guide has CR LF line ends" 0 '' '' text_lines README.txt
check "the licence has CR LF line ends" 0 '' '' text_lines LICENSE.txt

# mirl from the unpacked folder prints a sample entry with a CR LF.
sample_entry() {
  local out
  out=$(cd "$folder" && "$wine_sh" "$tree" run mirl.exe -f 'samples\mirl.lines') || return
  [[ $out == *$'\r' ]] && tr '\0' '\n' <"$folder/samples/mirl.lines" | grep -qxF "${out%$'\r'}"
}
check "mirl prints a sample entry" 0 '' '' sample_entry

cp "$stand_in" "$folder/noltnt.exe"
waited() { (cd "$folder" && STAND_IN_EXIT=5 "$wine_sh" "$tree" run runnolt.exe -wait); }
check "runnolt -wait passes the exit status on" 5 '' '' waited
finish
