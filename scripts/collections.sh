#!/usr/bin/env bash
# Measures what the guide states of real collections: Debian's Italian, Czech and German sayings
# (fortunes-it, fortunes-cs, fortunes-de), every file made on its own and each collection as one
# text, in the default layout: the file's size over the text's, the draws per print, and over all
# 2^32 seeds the highest share over the lowest (-c -a, several seconds a file). Prints a line for
# each file and collection, then the ranges by the text's size. Takes a quarter of an hour.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh bench
cmake --preset native >/dev/null && cmake --build --preset native --target mirlmake >/dev/null
mirlmake=build/native/entry_maker/mirlmake
fortunes=/usr/share/games/fortunes
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# One row: the collection, what was made, its entries, text bytes, file bytes, file / text,
# draws per print and the seeds' ratio.
measure() { # COLLECTION NAME INPUT...
  local collection=$1 name=$2 text file
  shift 2
  text=$(cat "$@" | wc -c)
  "$mirlmake" -o "$work/made.lines" "$@" 2>/dev/null
  file=$(stat -c %s "$work/made.lines")
  "$mirlmake" -c -a "$work/made.lines" | awk -v row="$collection|$name" -v text="$text" \
    -v file="$file" '
    NR == 1 { entries = $2; draws = $(NF - 3) }
    /^over all/ { seeds = $NF }
    END { printf "%s|%d|%d|%d|%.2f|%s|%s\n", row, entries, text, file, file / text, draws, seeds }'
}

echo "| sayings | made from | entries | text bytes | file bytes | file / text | draws per print | seeds' ratio |"
echo "|---|---|---|---|---|---|---|---|"
for collection in "Italian it" "Czech cs" "German de"; do
  read -r name folder <<<"$collection"
  mapfile -t inputs < <(find "$fortunes/$folder" -maxdepth 1 -type f ! -name '*.dat' | sort)
  for input in "${inputs[@]}"; do
    measure "$name" "$(basename "$input")" "$input"
  done
  measure "$name" "all ${#inputs[@]} files" "${inputs[@]}"
done | tee "$work/rows" | sed 's/|/ | /g; s/^/| /; s/$/ |/'

# The ranges of the files made on their own, by the size of their text, and of the collections.
echo
echo "| made from | files | file / text | draws per print | seeds' ratio |"
echo "|---|---|---|---|---|"
awk -F'|' '
  function band(name, text) {
    if (name ~ /^all /) return "each collection as one text"
    return text < 10240 ? "a file under 10 KiB" : text <= 32768 ? "a file of 10 to 32 KiB" \
                                                                : "a file over 32 KiB"
  }
  function widen(key, i, value) {
    if (!((key, i, "low") in range) || value < range[key, i, "low"]) range[key, i, "low"] = value
    if (!((key, i, "high") in range) || value > range[key, i, "high"]) range[key, i, "high"] = value
  }
  {
    key = band($2, $4)
    count[key]++
    widen(key, 1, $6); widen(key, 2, $7); widen(key, 3, $8)
  }
  END {
    n = split("a file under 10 KiB|a file of 10 to 32 KiB|a file over 32 KiB|each collection as one text", keys, "|")
    for (k = 1; k <= n; k++) {
      key = keys[k]
      if (!(key in count)) continue
      printf "| %s | %d |", key, count[key]
      for (i = 1; i <= 3; i++) printf " %s to %s |", range[key, i, "low"], range[key, i, "high"]
      print ""
    }
  }' "$work/rows"
