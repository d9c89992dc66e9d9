#!/usr/bin/env bash
# mirl against an entry file that another process rewrites (in place or by renaming a new one
# over it), truncates and appends to while mirl runs. Every version is a run of the same 64-byte slots (an entry and its separator, never
# across a page), so each run must print one whole slot's entry or end with a listed message.
# usage: mirl_changing_file.sh MIRL [RUNS]
set -u
mirl=$1 runs=${2:-300}
work=$(mktemp -d)
trap 'kill "$writer" 2>/dev/null; rm -rf "$work"' EXIT
file=$work/mirl.lines

padding=$(printf 'x%.0s' {1..63})
# Slot n: "entry n " padded with x to 63 bytes, and the separator.
slot() {
  local text
  printf -v text 'entry %04d ' "$1"
  printf '%s\0' "$text${padding:0:$((63 - ${#text}))}"
}
# One slot, so that the first entry is drawn too.
header() { printf '%-63s\0' "a header of one slot"; }
version() {
  header
  for ((i = 0; i < $1; i++)); do slot "$i"; done
}
version 50 >"$file"

write_forever() {
  local n=50
  while :; do
    case $((RANDOM % 4)) in
      0) n=$((RANDOM % 120)); version "$n" >"$file.new" && mv "$file.new" "$file" ;;
      1) n=$((RANDOM % 120)); version "$n" >"$file" ;;
      2) n=$((n > 0 ? RANDOM % n : 0)); truncate -s $((64 * (n + 1))) "$file" ;;
      3) slot "$n" >>"$file"; n=$((n + 1)) ;;
    esac
  done
}
write_forever &
writer=$!

bad=0 printed=0 messages=0
for ((run = 0; run < runs; run++)); do
  status=0
  out=$(timeout 20 "$mirl" -f "$file" 2>"$work/err") || status=$?
  err=$(cat "$work/err")
  if [ "$status" -eq 0 ] && [[ $out =~ ^entry\ ([0-9]{4})\ x*$ ]] && [ ${#out} -eq 63 ] &&
    [ "$out" = "$(slot "$((10#${BASH_REMATCH[1]}))" | tr -d '\0')" ]; then
    printed=$((printed + 1))
  elif [ "$status" -eq 2 ] && [ -z "$out" ] &&
    { [ "$err" = "File contains no entries." ] || [ "$err" = "File contains no separators." ]; }; then
    messages=$((messages + 1))
  else
    bad=$((bad + 1))
    echo "FAIL run $run: status $status, stdout '$out', stderr '$err'"
  fi
done
echo "$printed printed, $messages messages, $bad bad"
echo "$((printed + messages)) passed, $bad failed"
[ "$bad" -eq 0 ]
