# Sourced by the screenshot scripts and the start-up benchmark: builds their targets and readies the build
# tree's private Wine prefix on an Xvfb display. The script sets here (the source tree) and build (the build
# tree) first.

. "$here/tools/quiet_build.sh"
. "$here/tools/xvfb.sh"

# PELMIRT_SHOT_DISPLAY, 46 or :46.
shot_display_number=$(display_number PELMIRT_SHOT_DISPLAY 46) || exit 1

# shot_build TARGET...: a release build of the targets, without the tests; the script ends when it fails.
shot_build() {
  # desktop_holder too: wine-prefix.sh builds it quietly, and an error there would show no message.
  quiet_build "$(basename "$0" .sh)" "$here" "$build" "$@" desktop_holder || exit 1
}

# shot_display: an X display, then the build tree's private prefix (private HOME and trash, the interface
# fonts mapped), made the way the tests make theirs, switched from the null graphics driver to a virtual
# desktop on that display. The display is an Xvfb of the script's own on the first free number from :100,
# or the one PELMIRT_SHOT_DISPLAY names, with or without its colon (an X server already there is used as it
# is). Sets run and server; stops the prefix and the Xvfb it started on exit.
shot_display() {
  run="$build/wine-run"
  server=/usr/lib/wine/wineserver
  xvfb_pid=
  trap shot_cleanup EXIT
  local display="$shot_display_number" first=100 last=199
  if [ -n "$display" ]; then first=$display last=$display; fi
  if [ -z "$display" ] || [ ! -e "/tmp/.X11-unix/X$display" ]; then
    if ! start_xvfb "$first" "$last" 1400x1000x24; then
      echo "$(basename "$0" .sh): no free X display from :$first to :$last" >&2
      exit 1
    fi
    display=$xvfb_number
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
