# Sourced by the screenshot scripts and the start-up benchmark: builds their targets and readies the build
# tree's private Wine prefix on an Xvfb display. The script sets here (the source tree), build (the build
# tree) and display (the X display number) first.

. "$here/tools/quiet_build.sh"

# shot_build TARGET...: a release build of the targets, without the tests; the script ends when it fails.
shot_build() {
  # desktop_holder too: wine-prefix.sh builds it quietly, and an error there would show no message.
  quiet_build "$(basename "$0" .sh)" "$here" "$build" "$@" desktop_holder || exit 1
}

# shot_display: the build tree's private prefix (private HOME and trash, the interface fonts mapped),
# made the way the tests make theirs; then switched from the null graphics driver to a virtual desktop
# on the Xvfb display. Sets run and server; stops the prefix (and an Xvfb it started) on exit.
shot_display() {
  run="$build/wine-run"
  server=/usr/lib/wine/wineserver
  xvfb_pid=
  trap shot_cleanup EXIT
  if [ ! -e "/tmp/.X11-unix/X$display" ]; then
    Xvfb ":$display" -screen 0 1400x1000x24 -nolisten tcp >/dev/null 2>&1 &
    xvfb_pid=$!
    for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$display" ] && break; sleep 0.1; done
  fi
  # The display first: a prefix switched to the virtual desktop by an earlier run needs it for the desktop
  # that wine-prefix.sh brings up.
  export DISPLAY=":$display"
  bash "$here/wine-prefix.sh" "$build" start >/dev/null
  eval "$(grep '^export ' "$run")"
  unset TZ

  if [ ! -f "$WINEPREFIX/.pelmirt-shots-display" ]; then
    # Without a window manager every hide blocks for seconds: a virtual desktop larger than the windows.
    "$run" reg delete 'HKCU\Software\Wine\Drivers' /v Graphics /f >/dev/null 2>&1 || true
    "$run" reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
    "$run" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1400x1000 /f >/dev/null 2>&1
    touch "$WINEPREFIX/.pelmirt-shots-display"
  fi
}

shot_cleanup() {
  bash "$here/wine-prefix.sh" "$build" stop
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; fi
}

# shot_restart_server: the display settings take effect when the prefix's server starts.
shot_restart_server() {
  "$server" -k 2>/dev/null || true
  "$server" -w
  setsid "$server" -p </dev/null >/dev/null 2>&1 || true
}

# winpath PATH: the Unix path as Wine's Z: drive shows it.
winpath() { printf 'Z:%s' "${1//\//\\}"; }
