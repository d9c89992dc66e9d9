#!/usr/bin/env bash
# End-to-end checks of runnolt.exe under Wine, with Wine acting as the Windows version FAMILY
# (default, win95 or nt40) for the launcher under test: it runs beside copies of the stand-in
# named nolt.exe and noltnt.exe, and each row compares its status and messages and what the
# started program recorded, byte for byte.
# usage: runnolt_wine.sh WINE_SH WINE_TREE RUNNOLT_EXE STAND_IN_EXE FAMILY
set -u
wine_sh=$1 tree=$2 runnolt=$3 stand_in=$4 family=$5
. "$(dirname "$0")/../check_run.sh"
# Wine's ANSI code page follows the locale: 1252 in this one, for the 95 family's rows.
export LC_ALL=C.UTF-8

# The launcher under test and the program it starts.
launcher=runnolt_$family main=noltnt.exe
[ "$family" = win95 ] && main=nolt.exe

drive_c=$tree/prefix/drive_c
dir_unix=$drive_c/runnolt_$family
dir="C:\\runnolt_$family\\"
record=$dir_unix/record
export STAND_IN_RECORD="${dir}record" STAND_IN_EXIT=3

# Launchers and stand-ins in their folders; Wine picks a launcher's family by its file name.
prepare() {
  rm -rf "$dir_unix" "$drive_c/Program Files/Acme Tools"
  mkdir -p "$dir_unix/empty" "$dir_unix/Ωmega" "$drive_c/Program Files/Acme Tools"
  local folder
  for folder in "$dir_unix" "$dir_unix/Ωmega" "$drive_c/Program Files/Acme Tools"; do
    cp "$runnolt" "$folder/$launcher.exe"
    cp "$stand_in" "$folder/nolt.exe"
    cp "$stand_in" "$folder/noltnt.exe"
  done
  cp "$runnolt" "$dir_unix/empty/$launcher.exe"
  "$wine_sh" "$tree" as "$family" "$launcher.exe"
  cp "$runnolt" "$dir_unix/runnolt_win31.exe"
  "$wine_sh" "$tree" as win31 runnolt_win31.exe
}

# record_of PATH TEXT ARGUMENT...: as a printf format, the record of a stand-in started as PATH
# (quoted or not) with TEXT after its name, which it took as the ARGUMENTs, and that ran to its end.
record_of() {
  local path=$1 text=$2 line
  shift 2
  local lines=("command line [$path $text]")
  for line; do lines+=("argument [$line]"); done
  lines+=("module [${path//\"/}]" 'startup flags 1 show 0' 'exit 3')
  for line in "${lines[@]}"; do
    line=${line//\\/\\\\}
    printf '%s\\n' "${line//%/%%}"
  done
}

# Runs a launcher, bounded: one that hangs fails its row.
run_launcher() {
  rm -f "$record"
  timeout "${bound:-60}" "$wine_sh" "$tree" run "$@"
}

# launched PATH ARGUMENT...: runs a launcher, then shows the record of the program it started
# once that has ended. One that waited (status 3) is back with the record complete.
launched() {
  local status=0
  run_launcher "$@" || status=$?
  [ "$status" = 3 ] || await_line "$record" 'exit 3' 10
  cat "$record"
  return $status
}

# started_nothing PATH ARGUMENT...: runs a launcher; a record shows what it started anyway.
started_nothing() {
  local status=0
  run_launcher "$@" || status=$?
  sleep 0.5
  cat "$record" 2>/dev/null
  return $status
}

# arguments | status | argument text the main application receives, split at blanks into its
# arguments
start_cases=(
  '|0|'
  '-raise file.txt|0| file.txt'
  '-raisex|0|x'
  '-raise -wait x|0| -wait x'
  '-wait -raise x|3| -raise x'
  '-waitfile.txt|3|file.txt'
  '-Raise -WAIT|0|-Raise -WAIT'
  '-WAIT|0|-WAIT'
  '-wait a b|3| a b'
)

run_start_cases() {
  local row arguments expected_status text
  for row in "${start_cases[@]}"; do
    IFS='|' read -r arguments expected_status text <<<"$row"
    # shellcheck disable=SC2086 # the arguments are split as a shell user would type them
    check "$launcher $arguments" "$expected_status" "$(record_of "$dir$main" "$text" $text)" '' \
      launched "$dir$launcher.exe" $arguments
  done
  # Win32s cannot run the main application.
  check 'Win32s' 1 '' 'This Program can run only on Windows95/NT.\r\n' \
    started_nothing "${dir}runnolt_win31.exe" -wait x
  check 'no main application' 1 '' '' started_nothing "${dir}empty\\$launcher.exe" -wait
  # C:\Program.exe is what an unquoted "C:\Program Files\..." command line would start.
  cp "$stand_in" "$drive_c/Program.exe"
  check 'folder with blanks: the main application there, never C:\Program.exe' 3 \
    "$(record_of "\"C:\\Program Files\\Acme Tools\\$main\"" ' a b' a b)" '' \
    launched "C:\\Program Files\\Acme Tools\\$launcher.exe" -wait a b
  rm "$drive_c/Program.exe"
}

# Letters outside the ANSI code page: NT passes them on as they are. The 95 family has only its
# ANSI text, in which Windows gave the fullwidth quote as '"' and the Omega as 'O'; and in a
# folder whose name it cannot spell, it starts nothing.
run_unicode_cases() {
  if [ "$family" = win95 ]; then
    check 'fullwidth quotes and Omega in the code page' 3 \
      "$(record_of "$dir$main" ' "a" -evil "b" Omega.txt' a -evil b Omega.txt)" '' \
      launched "$dir$launcher.exe" -wait 'a＂ -evil ＂b' 'Ωmega.txt'
    check 'folder Ωmega' 1 '' '' started_nothing "${dir}Ωmega\\$launcher.exe" -wait
  else
    check 'fullwidth quotes and Omega as they are' 3 \
      "$(record_of "$dir$main" ' "a＂ -evil ＂b" Ωmega.txt' 'a＂ -evil ＂b' Ωmega.txt)" '' \
      launched "$dir$launcher.exe" -wait 'a＂ -evil ＂b' 'Ωmega.txt'
    check 'folder Ωmega' 3 "$(record_of "${dir}Ωmega\\$main" '')" '' \
      launched "${dir}Ωmega\\$launcher.exe" -wait
  fi
}

# A module path of 259 characters fits the 260-character buffer; one of 260 fills it, may be
# cut short and so starts nothing (status 1); so does a folder too long for the main
# application's name (a launcher of a shorter name).
run_long_path_cases() {
  local outer inner row name length
  outer=$(printf 'a%.0s' $(seq 120))
  for row in "$launcher 259" "$launcher 260" "r${family:0:1} 259"; do
    read -r name length <<<"$row"
    # C:\runnolt_FAMILY\ OUTER \ INNER \NAME.exe
    inner=$(printf 'b%.0s' $(seq $((length - ${#dir} - 120 - 1 - ${#name} - 5))))
    mkdir -p "$dir_unix/$outer/$inner"
    cp "$runnolt" "$dir_unix/$outer/$inner/$name.exe"
    cp "$stand_in" "$dir_unix/$outer/$inner/$main"
    "$wine_sh" "$tree" as "$family" "$name.exe"
    if [ "$row" = "$launcher 259" ]; then
      check 'module path of 259' 3 "$(record_of "$dir$outer\\$inner\\$main" '')" '' \
        launched "$dir$outer\\$inner\\$name.exe" -wait
    else
      check "module path of $length, $name.exe" 1 '' '' \
        started_nothing "$dir$outer\\$inner\\$name.exe" -wait
    fi
  done
}

# Without -wait the launcher is back while the main application still runs.
still_running() {
  local status=0
  STAND_IN_LINGER=4000 run_launcher "$@" || status=$?
  grep -q '^exit' "$record" 2>/dev/null && echo ended || echo running
  await_line "$record" 'exit 3' 10
  return $status
}

# open_window [VARIABLE=VALUE...]: starts a stand-in that owns a minimized "NOLT" window, in
# the environment given, and waits for the window.
open_window() {
  rm -f "$window_record"
  env "$@" STAND_IN_RECORD="${dir}window_record" STAND_IN_WINDOW=1 \
    "$wine_sh" "$tree" run "${dir}noltnt.exe" </dev/null >/dev/null 2>&1 &
  window_pid=$!
  # The first window of a session also starts Wine's desktop, which takes a while.
  await_line "$window_record" 'window minimized' 60
}

# Only -raise restores and fronts a minimized main application; one that does not answer holds
# the launcher a few seconds, not for good.
run_raise_cases() {
  local window_record=$dir_unix/window_record window_pid
  open_window
  check 'window: -wait -raise x' 3 "$(record_of "$dir$main" ' -raise x' -raise x)" '' \
    launched "$dir$launcher.exe" -wait -raise x
  check 'window: -Raise' 0 "$(record_of "$dir$main" -Raise -Raise)" '' \
    launched "$dir$launcher.exe" -Raise
  check 'window: -raise' 0 '' '' started_nothing "$dir$launcher.exe" -raise -wait file.txt
  wait "$window_pid"
  check 'window: restored once, then in front' 0 \
    'window minimized\nrestore\nforeground yes\nexit 3\n' '' sed -n '4,$p' "$window_record"
  check 'no window: -raise' 0 "$(record_of "$dir$main" '')" '' launched "$dir$launcher.exe" -raise

  open_window STAND_IN_HANG=1
  bound=10 check 'window that does not answer: -raise' 0 '' '' \
    started_nothing "$dir$launcher.exe" -raise
  kill "$window_pid"
  wait "$window_pid"
}

prepare
run_start_cases
run_unicode_cases
run_long_path_cases
check 'without -wait: back while the main application runs' 0 'running\n' '' \
  still_running "$dir$launcher.exe" late
run_raise_cases
finish
