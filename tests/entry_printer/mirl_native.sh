#!/usr/bin/env bash
# End-to-end checks of the Linux build of mirl: failures that only a real process shows.
# usage: mirl_native.sh MIRL FAIL_FIRST_BLOCK_LIBRARY PINNED_SEED_LIBRARY
set -u
mirl=$1 fail_first_block=$2 pinned_seed=$3
. "$(dirname "$0")/../check_run.sh"

one_entry=$scratch/one.lines
printf 'h\0x\0only entry' >"$one_entry"
printf 'no separator at all' >"$scratch/none.lines"
printf 'h\0   \n\t ' >"$scratch/blank.lines"
# Sparse files: all zero bytes, so every draw reaches an empty entry.
truncate -s 2147483647 "$scratch/largest.lines"
truncate -s 2147483648 "$scratch/too_large.lines"
# A system call fails for real when strace makes it fail. (LeakSanitizer cannot run under a
# tracer, so a sanitized build leaves it out there.)
traced() {
  ASAN_OPTIONS=detect_leaks=0 strace -o /dev/null "$@"
}
inject() {
  traced -e trace=lseek -e inject=lseek:error=EINVAL:when="$1" "$mirl" -f "$one_entry"
}

check "prints the only reachable entry" 0 'only entry\n' '' "$mirl" -f "$one_entry"
check "missing file" 1 '' "$scratch/missing: No such file or directory\n" \
  "$mirl" -f "$scratch/missing"
check "empty path has no prefix" 1 '' 'No such file or directory\n' "$mirl" -f ''
check "a directory is a read error" 1 '' "$scratch: Is a directory\n" "$mirl" -f "$scratch"
check "no separator" 2 '' 'File contains no separators.\n' "$mirl" -f "$scratch/none.lines"
check "nothing but whitespace" 2 '' 'File contains no entries.\n' "$mirl" -f "$scratch/blank.lines"
check "largest file accepted" 0 '\n' '' "$mirl" -f "$scratch/largest.lines"
check "2 GiB is too large" 2 '' 'File is too large.\n' "$mirl" -f "$scratch/too_large.lines"
check "seek to the end fails" 1 '' 'fseek 1: Invalid argument\n' inject 1
check "seek to the draw fails" 1 '' 'fseek 2: Invalid argument\n' inject 2
check "open refused" 1 '' "$one_entry: Permission denied\n" \
  traced -P "$one_entry" -e trace=openat -e inject=openat:error=EACCES \
  "$mirl" -f "$one_entry"

# Runs in a row with the time and the process id pinned, as when ids come back: the clock
# alone sets their seeds apart.
seq -w 20000 | { printf 'h\0'; tr '\n' '\0'; } >"$scratch/many.lines"
pinned_run() { # TIME PID [CLOCK]
  env ASAN_OPTIONS=verify_asan_link_order=0 LD_PRELOAD="$pinned_seed" PINNED_TIME="$1" \
    PINNED_PID="$2" ${3:+PINNED_CLOCK="$3"} "$mirl" -f "$scratch/many.lines"
}
distinct_prints() {
  local count
  count=$(for ((i = 0; i < 200; i++)); do pinned_run 1000000000 4242; done | sort -u | wc -l)
  [ "$count" -ge 150 ] || echo "$count distinct entries"
}
check "the clock parts runs of one time and id" 0 '' '' distinct_prints
# Pairs in one second, everything pinned: an id one higher with a clock one behind, and one id
# with clocks one apart, print other entries; one time, id and clock prints one entry.
pinned_pairs() {
  local first
  first=$(pinned_run 1000000000 4242 5000)
  [ "$first" != "$(pinned_run 1000000000 4243 4999)" ] &&
    [ "$first" != "$(pinned_run 1000000000 4242 5001)" ] &&
    [ "$first" = "$(pinned_run 1000000000 4242 5000)" ] ||
    echo "a pair printed alike, or one seed two entries"
}
check "pinned pairs print other entries" 0 '' '' pinned_pairs

full_output() { "$mirl" -f "$one_entry" >/dev/full; }
check "lost output is a failure" 1 '' 'stdout: No space left on device\n' full_output

# Out of memory: the only entries worth drawing are far larger than the address space allowed,
# or the entry's first block is refused. (A sanitized build needs more address space than any
# useful limit and has an allocator of its own; it leaves these out.)
if ! ldd "$mirl" | grep -q libasan; then
  check "no memory for the first block" 3 '' "can't allocate any memory\n" \
    env LD_PRELOAD="$fail_first_block" "$mirl" -f "$one_entry"
  { printf 'h\0'; head -c 30000000 /dev/zero | tr '\0' p; printf '\0'
    head -c 100000000 /dev/zero | tr '\0' e; } >"$scratch/huge.lines"
  limited() { (ulimit -v 65536 && "$mirl" -f "$scratch/huge.lines"); }
  check "no memory for a huge entry" 3 '' "can't allocate more memory\n" limited
  rm -f "$scratch/huge.lines"
fi
finish
