#!/usr/bin/env bash
# Checks that ./test.sh tells the truth, with cases built to fail, to skip and to print before failing
# (tests/test_command), which CTest lists only when PELMIRT_CHECK_CASES is set:
#   - a failing case fails the run and is counted as failed;
#   - a skipped case is counted as skipped;
#   - a filter that matches nothing fails the run;
#   - a case that printed and failed is run once, never again, and fails the run;
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
  for _ in $(seq 30); do
    left=$(grep -lzxF "$marker" /proc/[0-9]*/environ 2>/dev/null | cut -d/ -f3 || true)
    [ -z "$left" ] && return 0
    sleep 0.1
  done
  fail "./test.sh $* left running:$(for pid in $left; do printf '\n    %s %s' "$pid" \
    "$(tr '\0' ' ' < "/proc/$pid/cmdline" 2>/dev/null)"; done)"
}

echo "check_test_command: ./test.sh with cases built to fail, to skip and to print (the first run builds)"
run fails -R '^TestCommandCheck\.Fails$'
[ "$status" -ne 0 ] || fail "a failing case left ./test.sh's exit status 0"
[[ $last == "tests: 0 passed, 1 failed, 0 skipped,"* ]] || fail "a failing case is not counted as 1 failed"

run skips -R '^TestCommandCheck\.Skips$'
[ "$status" -eq 0 ] || fail "a skipped case made ./test.sh exit with $status"
[[ $last == "tests: 0 passed, 0 failed, 1 skipped,"* ]] || fail "a skipped case is not counted as 1 skipped"

run none -R '^NoCaseIsNamedThis$'
[ "$status" -ne 0 ] || fail "a filter that matches nothing left ./test.sh's exit status 0"
[[ $last == "tests: none ran"* ]] || fail "a filter that matches nothing does not end with 'tests: none ran'"

run prints -R '^TestCommandCheck\.PrintsThenFails$'
[ "$status" -ne 0 ] || fail "a case that printed and failed left ./test.sh's exit status 0"
[[ $last == "tests: 0 passed, 1 failed, 0 skipped,"* ]] || fail "a case that printed and failed is not counted as 1 failed"
runs=$(grep -c '^test-command check: printed before failing' "$log" || true)
[ "$runs" -eq 1 ] || fail "a case that printed and failed ran $runs times (wine-run retried it?)"

if [ "$broken" -ne 0 ]; then exit 1; fi
echo "check_test_command: ./test.sh reports failed, skipped and missing cases truly, runs each case once, stops what it starts"
