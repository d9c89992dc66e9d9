#!/usr/bin/env bash
# The examples of README.md and docs/: in a fenced block, a line that begins with a prompt
# ("C:\...>") is a command, and the lines under it up to the next prompt are what it prints.
# Each block is a batch file, run by cmd.exe in FOLDER, the unpacked zip. mirl prints an entry
# at random, so under it any entry of the file it reads will do.
# usage: doc_examples.sh SOURCE_DIR WINE_SH WINE_TREE FOLDER
set -u
source=$1 wine_sh=$2 tree=$3 folder=$4
. "$(dirname "$0")/check_run.sh"
prompt='^[A-Z]:\\\\[^>]*>' # (awk reads a backslash escape in -v values)

# Each block as the commands and the output they are shown with, in files of the scratch
# folder: N.commands and N.expected.
split_blocks() {
  awk -v prompt="$prompt" -v dir="$scratch" '
    /^```/ { inside = !inside; if (inside) { block++; seen = 0 } next }
    inside && $0 ~ prompt { sub(prompt, ""); print > (dir "/" block ".commands"); seen = 1; next }
    inside && seen { print > (dir "/" block ".expected") }
  ' "$source/README.md" "$source"/docs/*.md
}

# What a block printed, where a mirl command's entry of the file it names stands as the one the
# guide shows.
as_shown() { # COMMANDS EXPECTED
  local file out entry
  out=$(cat)
  file=$(sed -n 's/^mirl -f \([^ ]*\).*/\1/p' "$1" | tr '\\' '/')
  if [ -n "$file" ]; then
    while IFS= read -r -d '' entry; do
      entry=${entry//$'\r\n'/$'\n'}
      [ "${entry#"${entry%%[![:space:]]*}"}" = "$out" ] && out=$(cat "$2") && break
    done <"$folder/$file"
  fi
  printf '%s\n' "$out"
}

run_block() { # N
  local commands=$scratch/$1.commands
  { echo '@echo off'; sed 's/$/\r/' "$commands"; } >"$folder/example.bat"
  (cd "$folder" && "$wine_sh" "$tree" run cmd /c example.bat) 2>&1 | tr -d '\r' |
    as_shown "$commands" "$scratch/$1.expected"
}

split_blocks
for commands in "$scratch"/*.commands; do
  [ -e "$commands" ] || break
  n=$(basename "$commands" .commands)
  touch "$scratch/$n.expected"
  check "$(head -n 1 "$commands")" 0 "$(sed 's/[%\\]/&&/g' "$scratch/$n.expected")\n" '' \
    run_block "$n"
done
finish
