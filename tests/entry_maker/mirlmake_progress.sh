#!/usr/bin/env bash
# mirlmake -c -a walks the generator's 2^32 states: on a terminal it shows how far it is on
# standard error, and redirected it shows nothing there.
# usage: mirlmake_progress.sh MIRLMAKE ENTRY_FILE
set -u
mirlmake=$1 file=$2
. "$(dirname "$0")/../check_run.sh"

# script gives the run a terminal; the lines it rewrites are split at their CRs.
shown() {
  script -qec "'$mirlmake' -c -a '$file' $1 >/dev/null" /dev/null | tr '\r' '\n' |
    grep -E '^ *[0-9]+%, [0-9]+:[0-9]{2} left *$' | tail -n 1 | tr -d ' 0-9'
}
check "on a terminal: the share done and the time left" 0 '%%,:left\n' '' shown ''
check "redirected: nothing" 0 '' '' shown "2>$scratch/err"
finish
