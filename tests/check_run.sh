# Table-driven checks of whole program runs, sourced by the end-to-end test scripts.
#   check NAME STATUS STDOUT STDERR COMMAND...
# STDOUT and STDERR are printf formats of the exact bytes expected. Prints a line per case and
# a summary; finish ends the script with the outcome.
passed=0 failed=0
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

check() {
  local name=$1 status=$2 out=$3 err=$4
  shift 4
  local actual=0
  "$@" >"$scratch/out" 2>"$scratch/err" </dev/null || actual=$?
  printf "$out" >"$scratch/want_out"
  printf "$err" >"$scratch/want_err"
  if [ "$actual" -eq "$status" ] && cmp -s "$scratch/out" "$scratch/want_out" &&
    cmp -s "$scratch/err" "$scratch/want_err"; then
    passed=$((passed + 1))
    echo "ok   $name"
  else
    failed=$((failed + 1))
    echo "FAIL $name: status $actual (want $status)"
    echo "  stdout: $(od -An -c "$scratch/out" | head -3)"
    echo "  want:   $(od -An -c "$scratch/want_out" | head -3)"
    echo "  stderr: $(od -An -c "$scratch/err" | head -3)"
    echo "  want:   $(od -An -c "$scratch/want_err" | head -3)"
  fi
}

# listing NAME FILE...: the current directory holds exactly the files named.
listing() {
  local name=$1 got want
  shift
  got=$(ls -A | sort | tr '\n' ' ')
  want=$(printf '%s\n' "$@" | sort | tr '\n' ' ')
  if [ "$got" = "$want" ]; then
    passed=$((passed + 1))
    echo "ok   $name"
  else
    failed=$((failed + 1))
    echo "FAIL $name: the directory holds $got; want $want"
  fi
}

# Runs a command with the process id in the names of mirlmake's temporaries, in standard error,
# shown as PID.
pid_masked() {
  local status=0
  "$@" 2>"$scratch/raw_err" || status=$?
  sed -E 's/\.[0-9]+\.([0-9]+\.)?(tmp|in):/.PID.\1\2:/' "$scratch/raw_err" >&2
  return $status
}

# Waits for the background process PID, then shows FILE; ends with the process's status.
wait_and_cat() { # PID FILE
  local status=0
  wait "$1" 2>/dev/null || status=$?
  cat "$2"
  return $status
}

# Waits up to SECONDS for FILE to hold a line that is PATTERN; a check after it tells the outcome.
await_line() { # FILE PATTERN SECONDS
  local _
  for _ in $(seq $(($3 * 10))); do
    grep -qx -- "$2" "$1" 2>/dev/null && return 0
    sleep 0.1
  done
  return 1
}

finish() {
  echo "$passed passed, $failed failed"
  [ "$failed" -eq 0 ]
}
