#!/usr/bin/env bash
# Builds pelmirt.exe and runs it under Wine, passing the arguments on; prints the exit code.
# Installs what is missing first (Debian 12, as root). Runs in a Wine prefix of its own (build-run/wine),
# with a private HOME, so it never touches ~/.wine, the tests' prefix, or your desktop's trash (Wine's
# Recycle Bin is the XDG trash of HOME), with the interface fonts mapped as in the tests' prefix. Without an
# X display it starts Xvfb for the run.
#   ./run.sh                 the program's window (on your display, or invisible under Xvfb)
#   ./run.sh --self-test     the self-test; exit code 0 passed, 11 failed
#   ./run.sh --smoke-quit    opens the main window and exits about a second later (12: another copy ran)
# Closing the window hides it to the notification area; Ctrl+C here ends the program.
# Environment: PELMIRT_RUN_BUILD_DIR (default build-run), PELMIRT_XVFB_DISPLAY, PELMIRT_JOBS.
set -euo pipefail
# The real path, as ./test.sh gives CMake: the same tree configured under another form of its path (through
# a symbolic link or not) is built again from scratch.
here=$(cd "$(dirname "$0")" && pwd -P)
. "$here/tools/xvfb.sh"
# The Xvfb's display, 91 or :91.
number=$(display_number PELMIRT_XVFB_DISPLAY 91) || exit 1

. "$here/tools/quiet_build.sh"
. "$here/tools/wine_fonts.sh"
# The prefix and its environment, shared with the check that CI runs on this prefix's fonts.
. "$here/tools/run_prefix.sh"
build=$(run_build_dir "$here")
quiet_build run "$here" "$build" pelmirt || exit 1

enter_run_prefix "$build"

xvfb_pid=
cleanup() {
  if [ -n "$xvfb_pid" ]; then
    "$server" -k 2>/dev/null || true
    kill "$xvfb_pid" 2>/dev/null || true
  fi
}
trap cleanup EXIT

# No display: a private Xvfb (PELMIRT_XVFB_DISPLAY picks its number).
if [ -z "${DISPLAY:-}" ]; then
  if [ -z "$number" ]; then
    number=90
    while [ -e "/tmp/.X11-unix/X$number" ] || [ -e "/tmp/.X$number-lock" ]; do number=$((number + 1)); done
  fi
  # In a session of its own, so that Ctrl+C stops it only through the clean-up on exit, after the program.
  setsid Xvfb ":$number" -screen 0 1280x900x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$number" ] && break; sleep 0.1; done
  export DISPLAY=":$number"
  mode=virtual
else
  mode=display
fi

# Created on first use; the interface fonts mapped as in the tests' prefix.
ready_run_prefix

# Under Xvfb there is no window manager: a Wine virtual desktop keeps hiding and closing windows fast.
# The setting takes effect when the prefix's wineserver starts, so switching modes restarts it.
if [ "$(cat "$WINEPREFIX/.pelmirt-run-mode" 2>/dev/null || true)" != "$mode" ]; then
  if [ "$mode" = virtual ]; then
    "$wine" reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
    "$wine" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1280x900 /f >/dev/null 2>&1
  else
    "$wine" reg delete 'HKCU\Software\Wine\Explorer' /v Desktop /f >/dev/null 2>&1 || true
  fi
  "$server" -k 2>/dev/null || true
  "$server" -w
  echo "$mode" > "$WINEPREFIX/.pelmirt-run-mode"
fi

# In the background, so that Ctrl+C reaches this script at once: a Wine program with a window ignores
# SIGINT. Ending the prefix's server ends every process of this private prefix, the program among them.
"$wine" "$build/app/pelmirt.exe" "$@" </dev/null &
program=$!
interrupted=
trap 'interrupted=1; "$server" -k 2>/dev/null || true' INT TERM
status=0
wait "$program" || status=$?
if [ -n "$interrupted" ]; then
  wait "$program" 2>/dev/null || true
  echo "pelmirt.exe ended (interrupted)"
  exit 130
fi
echo "pelmirt.exe exit code: $status"
exit "$status"
