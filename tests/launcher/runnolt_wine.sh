#!/usr/bin/env bash
# runnolt_wine.sh RUNNOLT STAND_IN DRIVE_C FAMILY: runs the launcher under Wine (environment set
# by wine.sh) beside copies of the stand-in named nolt.exe and noltnt.exe, and compares what each
# started program recorded, byte for byte, and the launcher's exit status and messages. FAMILY
# (default, win95 or nt40) is the Windows version Wine acts as for the launcher under test.
set -euo pipefail
runnolt=$1 stand_in=$2 drive_c=$3 family=$4

# The launcher under test: a copy whose name Wine maps to the family, and the program it starts.
case $family in
  default) launcher=runnolt main=noltnt.exe ;;
  win95) launcher=runnolt95 main=nolt.exe ;;
  nt40) launcher=runnoltnt4 main=noltnt.exe ;;
esac

dir_unix=$drive_c/runnolt_test
dir='C:\runnolt_test\'
record=$dir_unix/record
export STAND_IN_RECORD='C:\runnolt_test\record' STAND_IN_EXIT=3
failures=0

fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

# One copy of the launcher per platform family; Wine picks the family by file name.
prepare() {
  rm -rf "$dir_unix" "$drive_c/runnolt_empty" "$drive_c/Program Files/Acme Tools"
  mkdir -p "$dir_unix" "$drive_c/runnolt_empty" "$drive_c/Program Files/Acme Tools"
  local name
  for name in runnolt runnolt95 runnolt98 runnoltnt4 runnolt31; do
    cp "$runnolt" "$dir_unix/$name.exe"
  done
  cp "$stand_in" "$dir_unix/nolt.exe"
  cp "$stand_in" "$dir_unix/noltnt.exe"
  cp "$runnolt" "$drive_c/runnolt_empty/$launcher.exe"
  cp "$runnolt" "$drive_c/Program Files/Acme Tools/$launcher.exe"
  cp "$stand_in" "$drive_c/Program Files/Acme Tools/nolt.exe"
  cp "$stand_in" "$drive_c/Program Files/Acme Tools/noltnt.exe"
  # The decoy an unquoted "C:\Program Files\..." command line would start first.
  cp "$stand_in" "$drive_c/Program.exe"
  {
    printf 'REGEDIT4\r\n'
    printf '\r\n[HKEY_CURRENT_USER\\Software\\Wine\\AppDefaults\\%s.exe]\r\n"Version"="%s"\r\n' \
      runnolt95 win95 runnolt98 win98 runnoltnt4 nt40 runnolt31 win31
  } >"$dir_unix/families.reg"
  wine regedit /S 'C:\runnolt_test\families.reg'
}
cleanup() {
  rm -f "$drive_c/Program.exe"
}
trap cleanup EXIT

# launch WINDOWS_PATH ARGS...: runs the launcher; sets $status, output in $dir_unix/out, err.
launch() {
  rm -f "$record"
  status=0
  wine "$@" </dev/null >"$dir_unix/out" 2>"$dir_unix/err" || status=$?
}

# The record of one started stand-in that ran to its end.
expected_record() { # directory program argument-text [quote around directory and program]
  local first
  read -r first _ <<<"$3"
  printf 'command line [%s %s]\nargv[1] [%s]\nmodule [%s%s]\nstartup flags 1 show 0\nexit 3\n' \
    "${4:-}$1$2${4:-}" "$3" "$first" "$1" "$2"
}

# Waits up to SECONDS for a record file to hold the line PATTERN.
await_line() { # file pattern [seconds]
  local _
  for _ in $(seq $((${3:-10} * 10))); do
    grep -qx -- "$2" "$1" 2>/dev/null && return 0
    sleep 0.1
  done
  return 1
}

# check LABEL STATUS EXPECTED_RECORD: the launcher's status, silent output, and the record;
# a launcher that waited (status 3) must return with the record already complete.
check() {
  local label=$1 expected_status=$2 expected=$3
  [ "$status" = "$expected_status" ] || fail "$label: status $status, expected $expected_status"
  [ ! -s "$dir_unix/out" ] && [ ! -s "$dir_unix/err" ] ||
    fail "$label: output: $(cat "$dir_unix/out" "$dir_unix/err")"
  if [ -z "$expected" ]; then
    sleep 0.5
    [ ! -e "$record" ] || fail "$label: started $(cat "$record")"
    return
  fi
  [ "$expected_status" = 3 ] || await_line "$record" 'exit .*' || true
  printf '%s\n' "$expected" >"$dir_unix/expected"
  cmp -s "$dir_unix/expected" "$record" ||
    fail "$label: record differs: $(diff "$dir_unix/expected" "$record" 2>&1)"
}

# launcher | arguments | status | program started | argument text it receives; "runnolt" and
# "main" stand for the launcher under test and the program it starts
start_cases=(
  'runnolt||0|main|'
  'runnoltnt4||0|noltnt.exe|'
  'runnolt95||0|nolt.exe|'
  'runnolt98|a b|0|nolt.exe|a b'
  'runnolt|-raise file.txt|0|main| file.txt'
  'runnolt|-raisex|0|main|x'
  'runnolt|-raise -wait x|0|main| -wait x'
  'runnolt|-wait -raise x|3|main| -raise x'
  'runnolt|-waitfile.txt|3|main|file.txt'
  'runnolt95|-wait x|3|nolt.exe| x'
  'runnolt|-Raise -WAIT|0|main|-Raise -WAIT'
  'runnolt|-WAIT|0|main|-WAIT'
  'runnolt|-wait a b|3|main| a b'
)

run_start_cases() {
  local row name arguments expected_status program text
  for row in "${start_cases[@]}"; do
    IFS='|' read -r name arguments expected_status program text <<<"$row"
    [ "$name" = runnolt ] && name=$launcher
    [ "$program" = main ] && program=$main
    # shellcheck disable=SC2086 # the arguments are split as a shell user would type them
    launch "$dir$name.exe" $arguments
    check "$name $arguments" "$expected_status" "$(expected_record "$dir" "$program" "$text")"
  done
}

# Win32s cannot run the main application: the message and status 1, nothing started.
run_unsupported_case() {
  launch "${dir}runnolt31.exe" -wait x
  [ "$status" = 1 ] || fail "win31: status $status"
  printf 'This Program can run only on Windows95/NT.\r\n' | cmp -s - "$dir_unix/err" ||
    fail "win31: stderr $(od -c "$dir_unix/err")"
  sleep 0.5
  [ ! -e "$record" ] || fail "win31: started $(cat "$record")"
}

# Without a main application beside it the launcher ends with status 1 and says nothing.
run_missing_case() {
  launch "C:\\runnolt_empty\\$launcher.exe" -wait
  check 'no main application' 1 ''
}

# A directory with blanks: the main application there starts, never C:\Program.exe.
run_blanks_case() {
  launch "C:\\Program Files\\Acme Tools\\$launcher.exe" -wait a b
  check 'directory with blanks' 3 \
    "$(expected_record 'C:\Program Files\Acme Tools\' "$main" ' a b' '"')"
}

# A module path of 259 bytes fits the 260-byte buffer; one of 260 fills it, may be cut short
# and so starts nothing (status 1).
run_long_path_cases() {
  local outer inner length
  outer=$(printf 'a%.0s' $(seq 120))
  for length in 259 260; do
    # C:\runnolt_test\ OUTER \ INNER \LAUNCHER.exe
    inner=$(printf 'b%.0s' $(seq $((length - 16 - 120 - 1 - ${#launcher} - 5))))
    mkdir -p "$dir_unix/$outer/$inner"
    cp "$runnolt" "$dir_unix/$outer/$inner/$launcher.exe"
    cp "$stand_in" "$dir_unix/$outer/$inner/$main"
    launch "$dir$outer\\$inner\\$launcher.exe" -wait
    if [ "$length" = 259 ]; then
      check "module path of $length bytes" 3 "$(expected_record "$dir$outer\\$inner\\" "$main" '')"
    else
      check "module path of $length bytes" 1 ''
    fi
  done
}

# Without -wait the launcher is back while the main application still runs.
run_linger_case() {
  STAND_IN_LINGER=4000 launch "$dir$launcher.exe" late
  [ "$status" = 0 ] || fail "linger: status $status"
  ! grep -q '^exit' "$record" 2>/dev/null || fail "linger: launcher waited for the main application"
  await_line "$record" 'exit 3' || fail "linger: main application did not end"
}

# A minimized main application owning a "NOLT" window: only -raise restores and fronts it.
run_raise_cases() {
  local window_record=$dir_unix/window_record
  rm -f "$window_record"
  STAND_IN_RECORD='C:\runnolt_test\window_record' STAND_IN_WINDOW=1 \
    wine "${dir}noltnt.exe" </dev/null >/dev/null 2>&1 &
  local window_pid=$!
  # The first window of a session also starts Wine's desktop, which takes a while.
  await_line "$window_record" 'window minimized' 60 || fail "raise: no minimized window"

  launch "$dir$launcher.exe" -wait -raise x
  check 'window: -wait -raise x' 3 "$(expected_record "$dir" "$main" ' -raise x')"
  launch "$dir$launcher.exe" -Raise
  check 'window: -Raise' 0 "$(expected_record "$dir" "$main" -Raise)"
  ! grep -q restore "$window_record" || fail "raise: restored without -raise"

  launch "$dir$launcher.exe" -raise -wait file.txt
  check 'window: -raise' 0 ''
  wait "$window_pid" || true
  [ "$(sed -n '5,$p' "$window_record")" = $'window minimized\nrestore\nforeground yes\nexit 3' ] ||
    fail "raise: window record $(cat "$window_record")"

  # Once it has ended, -raise starts a new main application.
  launch "$dir$launcher.exe" -raise
  check 'no window: -raise' 0 "$(expected_record "$dir" "$main" '')"
}

prepare
run_start_cases
run_unsupported_case
run_missing_case
run_blanks_case
run_long_path_cases
run_linger_case
run_raise_cases
[ "$failures" = 0 ] || { echo "$failures failures" >&2; exit 1; }
echo "all launcher cases passed"
