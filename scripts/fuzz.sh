#!/usr/bin/env bash
# Fuzzes the entry-file reader, mirlmake's checker and its reading of text for longer than the
# test run does, each from the inputs its earlier runs kept in build/fuzz/tests/fuzz/FUZZER_corpus.
# Ends with a line for each fuzzer: its executions, executions a second and findings (failing
# inputs, kept as build/fuzz/tests/fuzz/FUZZER-crash-... and the like).
#   scripts/fuzz.sh [SECONDS]   (default 600, each; the whole output is in build/fuzz/fuzz.log)
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-600}
scripts/setup.sh test
cmake --preset fuzz -DMIRL_FUZZ_SECONDS="$seconds" >/dev/null
cmake --build --preset fuzz
log=build/fuzz/fuzz.log
started=build/fuzz/fuzz.started
touch "$started"
echo "fuzzing for $seconds seconds each, two at a time"
status=0
ctest --preset fuzz -V --timeout $((seconds + 120)) >"$log" 2>&1 || status=$?
grep -E '^ *[0-9]+/[0-9]+ Test' "$log" || true

# ctest -V puts the number of a test in front of each line of its output.
summary=$(awk '
  / Start +[0-9]+: / { sub(/:$/, "", $2); name[$2] = $3 }
  /stat::number_of_executed_units:/ { split($1, n, ":"); runs[n[1]] = $3 }
  /stat::average_exec_per_sec:/ { split($1, n, ":"); rate[n[1]] = $3 }
  END { for (t in name) print name[t], runs[t] + 0, rate[t] + 0 }' "$log" | sort)
echo
printf '%-18s %12s %12s  %s\n' fuzzer executions "per second" findings
while read -r fuzzer runs rate; do
  findings=$(find build/fuzz/tests/fuzz -maxdepth 1 -name "$fuzzer-*" -newer "$started" | wc -l)
  printf '%-18s %12s %12s  %s\n' "$fuzzer" "$runs" "$rate" "$findings"
done <<<"$summary"
exit "$status"
