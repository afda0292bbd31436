#!/usr/bin/env bash
# Checks that ./run.sh's own Wine prefix draws every language as the tests' prefix must: readies that prefix
# exactly as ./run.sh does (tools/run_prefix.sh: created on first use, the fonts mapped), then runs the glyph
# tests of the build tree (tests/ui/font_glyphs_test.cpp) in it under each system locale of their CTest cases
# (FontGlyphs.<locale>), one after another in their order, with its own wineserver and no X display (they
# draw into a DIB). Exits non-zero naming each locale that failed, with the first lines of what failed.
# CI (.ci/run) runs it after tools/check_test_command.sh, which builds the tree. Refuses a prefix in use
# (./run.sh running): ending its server would end the program. The output of each run is kept in
# BUILD/run-prefix-check.
# Environment: PELMIRT_BUILD_DIR (the tests' build tree, default build), PELMIRT_RUN_BUILD_DIR (as ./run.sh).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd -P)
build="${PELMIRT_BUILD_DIR:-$here/build}"
tests="$build/tests/ui/ui_font_glyphs_tests.exe"
locales="$build/tests/locales"
logs="$build/run-prefix-check"
. "$here/tools/wine_fonts.sh"
. "$here/tools/run_prefix.sh"
. "$here/tools/process_marks.sh"

say() { echo "check_run_prefix_fonts: $*" >&2; }

if [ ! -f "$tests" ]; then
  say "BROKEN: $tests is missing (build the tests first: ./test.sh, or tools/check_test_command.sh)"
  exit 1
fi
# The locales, in the order of the CTest cases, from CTest's own list of the cases (read, not run: listing
# through ctest would run the test programs whose list is out of date in the tests' prefix).
cases=$(sed -n 's/^add_test(\[=\[FontGlyphs\.\([^]]*\)\]=\].*/\1/p' "$build/tests/ui/CTestTestfile.cmake" 2>/dev/null || true)
if [ -z "$cases" ]; then
  say "BROKEN: CTest lists no FontGlyphs.<locale> case in $build/tests/ui"
  exit 1
fi

enter_run_prefix "$(run_build_dir "$here")"
unset DISPLAY WAYLAND_DISPLAY
in_use=$(marked_pids "WINEPREFIX=$WINEPREFIX")
if [ -n "$in_use" ]; then
  say "BROKEN: the prefix $WINEPREFIX is in use (./run.sh running?): processes $(echo $in_use)"
  exit 1
fi
# Every process the check starts inherits this variable: it finds what the check left behind.
marker="PELMIRT_RUN_PREFIX_CHECK=$WINEPREFIX"
if ! marks_visible "$marker"; then
  say "BROKEN: processes' environments (/proc/*/environ) cannot be read, so nothing left running could be found"
  exit 1
fi
export "${marker?}"

mkdir -p "$logs"
# The prefix's servers, ended on every way out.
stop() {
  "$server" -k 2>/dev/null || true
  "$server" -w 2>/dev/null || true
}
trap stop EXIT
ready_run_prefix
# A server of the check's own for the runs, detached and with no hold on our output; started once the server
# that readying the prefix may have left has ended (a second one would not start).
"$server" -w 2>/dev/null || true
setsid "$server" -p </dev/null >/dev/null 2>&1 || true

failed=()
for locale in $cases; do
  name=$locale
  [ "$locale" = C ] || name="$locale.UTF-8"
  log="$logs/$locale.log"
  status=0
  LOCPATH="$locales" LANG="$name" LC_ALL="$name" timeout 300 \
    "$wine" "$tests" </dev/null >"$log" 2>&1 || status=$?
  if [ "$status" -ne 0 ] || grep -q '^\[  SKIPPED \]' "$log" || ! grep -q '^\[  PASSED  \] [1-9]' "$log"; then
    failed+=("$locale")
    say "FAILED under LANG=$name (exit status $status; $log):"
    # The failures' own messages, not GoogleTest's frame around them.
    messages=$(grep -vE '^\[|^$|: Failure$|^Failed$|^Expected:|^  Actual:|^Which is:|^ *[0-9]+ FAILED TESTS?$' "$log" || true)
    if [ -n "$messages" ]; then
      head -n 5 <<<"$messages" | sed 's/^/  | /' >&2
      more=$(($(wc -l <<<"$messages") - 5))
      if [ "$more" -gt 0 ]; then say "  ... and $more more in the log"; fi
    fi
  fi
done

stop
trap - EXIT
# What the check started and did not end (given a moment to go).
if ! left=$(marked_left "$marker" 50); then
  say "BROKEN: left running:$left"
  exit 1
fi

if [ ${#failed[@]} -ne 0 ]; then
  say "./run.sh's prefix does not draw every language under: ${failed[*]}"
  exit 1
fi
echo "check_run_prefix_fonts: ./run.sh's prefix draws every language in its face at every weight and in the system fonts under" \
     "$(echo $cases)"
