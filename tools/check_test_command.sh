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

# left_running: the pids of the processes whose environment holds the marker.
left_running() {
  grep -lzxF "$marker" /proc/[0-9]*/environ 2>/dev/null | cut -d/ -f3 || true
}

# The search must see a marked process, or it would find nothing left after any run.
env "$marker" sleep 30 </dev/null >/dev/null 2>&1 &
probe=$!
probe_seen=0
for _ in $(seq 30); do
  if grep -qx "$probe" <<<"$(left_running)"; then probe_seen=1; break; fi
  sleep 0.1
done
kill "$probe" 2>/dev/null || true
wait "$probe" 2>/dev/null || true
if [ "$probe_seen" -ne 1 ]; then
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
  for _ in $(seq 30); do
    left=$(left_running)
    [ -z "$left" ] && return 0
    sleep 0.1
  done
  fail "./test.sh $* left running:$(for pid in $left; do printf '\n    %s %s' "$pid" \
    "$(tr '\0' ' ' < "/proc/$pid/cmdline" 2>/dev/null)"; done)"
}

# expect fails|passes CLOSING WHAT: the run's exit status, and its last line starting with CLOSING.
expect() {
  if [ "$1" = fails ] && [ "$status" -eq 0 ]; then fail "$3: ./test.sh exited with status 0"; fi
  if [ "$1" = passes ] && [ "$status" -ne 0 ]; then fail "$3: ./test.sh exited with status $status"; fi
  [[ $last == "$2"* ]] || fail "$3: the last line does not start with \"$2\""
}

echo "check_test_command: ./test.sh with cases built to fail, to skip and to print (the first run builds)"
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

if [ "$broken" -ne 0 ]; then exit 1; fi
echo "check_test_command: ./test.sh reports failed, skipped and missing cases truly, runs each case once, stops what it starts"
