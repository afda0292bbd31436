#!/usr/bin/env bash
# Checks that ./test.sh tells the truth, with cases built to fail, to skip and to print before failing
# (tests/test_command), which CTest lists only when PELMIRT_CHECK_CASES is set:
#   - a failing case fails the run and is counted as failed;
#   - a skipped case is counted as skipped;
#   - a filter that matches nothing fails the run;
#   - a case that printed and failed is run once, never again, and fails the run;
#   - PELMIRT_JOBS=2 keeps the cases to two at once;
#   - no wineserver, Wine process or Xvfb started by a run outlives it.
# Exits non-zero naming each break. CI (.ci/run) runs it before the suite; its first run builds everything.
# The output of each run is kept in BUILD/test-command-check.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build="${PELMIRT_BUILD_DIR:-$here/build}"
logs="$build/test-command-check"
mkdir -p "$logs"
# Every process a run starts inherits this variable: it marks what the runs of this tree left behind.
marker="PELMIRT_CHECK_CASES=$build"
broken=0

fail() {
  echo "check_test_command: BROKEN: $*" >&2
  echo "  (the last lines of $log:)" >&2
  tail -n 8 "$log" | sed 's/^/  | /' >&2
  broken=1
}

. "$here/tools/process_marks.sh"
if ! marks_visible "$marker"; then
  echo "check_test_command: BROKEN: processes' environments (/proc/*/environ) cannot be read, so nothing left running could be found" >&2
  exit 1
fi

# run NAME ARGUMENTS...: ./test.sh ARGUMENTS, its output into NAME.log; sets status and last (its last line).
run() {
  log="$logs/$1.log"
  shift
  status=0
  env "$marker" bash "$here/test.sh" "$@" </dev/null >"$log" 2>&1 || status=$?
  last=$(tail -n 1 "$log")
  if [[ $last != "tests: "* ]]; then
    fail "./test.sh $* ended before its closing line (exit status $status)"
    exit 1
  fi
  # What a run started and did not stop (given a moment to go): found by the marker in its environment.
  local left
  left=$(marked_left "$marker" 30) || fail "./test.sh $* left running:$left"
}

# expect fails|passes CLOSING WHAT: the run's exit status, and its last line starting with CLOSING.
expect() {
  if [ "$1" = fails ] && [ "$status" -eq 0 ]; then fail "$3: ./test.sh exited with status 0"; fi
  if [ "$1" = passes ] && [ "$status" -ne 0 ]; then fail "$3: ./test.sh exited with status $status"; fi
  [[ $last == "$2"* ]] || fail "$3: the last line does not start with \"$2\""
}

echo "check_test_command: ./test.sh with cases built to fail, to skip, to print and to count (the first run builds)"
run fails -R '^TestCommandCheck\.Fails$'
expect fails "tests: 0 passed, 1 failed, 0 skipped," "a failing case"
run skips -R '^TestCommandCheck\.Skips$'
expect passes "tests: 0 passed, 0 failed, 1 skipped," "a skipped case"
run none -R '^NoCaseIsNamedThis$'
expect fails "tests: none ran" "a filter that matches nothing"
run prints -R '^TestCommandCheck\.PrintsThenFails$'
expect fails "tests: 0 passed, 1 failed, 0 skipped," "a case that printed and failed"
runs=$(grep -c '^test-command check: printed before failing' "$log" || true)
[ "$runs" -eq 1 ] || fail "a case that printed and failed ran $runs times (wine-run retried it?)"

# Four cases that each count how many of them run at once (-V shows what a passing case printed), with two
# jobs asked for: more at once means ./test.sh ignores PELMIRT_JOBS; fewer than two, that the count could not
# see a second case, and so would miss a third.
PELMIRT_JOBS=2 run parallel -R '^TestCommandCheck\.Parallel' -V
expect passes "tests: 4 passed, 0 failed, 0 skipped," "four cases that count how many run at once"
at_once=$(grep -oE 'test-command check: [0-9]+ cases at once' "$log" | grep -oE '[0-9]+' | sort -n | tail -n 1)
if [ -z "$at_once" ]; then
  fail "the cases that count how many run at once printed no count"
elif [ "$at_once" -gt 2 ]; then
  fail "PELMIRT_JOBS=2 ./test.sh ran $at_once cases at once"
elif [ "$at_once" -lt 2 ]; then
  fail "PELMIRT_JOBS=2 ./test.sh never ran two cases at once: a count of one cannot show more than two"
fi

if [ "$broken" -ne 0 ]; then exit 1; fi
echo "check_test_command: ./test.sh reports failed, skipped and missing cases truly, runs each case once," \
     "keeps to PELMIRT_JOBS, stops what it starts"
