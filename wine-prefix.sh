#!/usr/bin/env bash
# wine-prefix.sh BUILD_DIR start|stop
# start: readies the build tree's Wine prefixes (each created on first use) and starts a persistent
#        wineserver for each, with its desktop held by desktop_holder.exe:
#          the tests' prefix (BUILD_DIR/wine-run): the null graphics driver, no X display;
#          the tray prefix (BUILD_DIR/wine-run-tray, when the build has tests): an Xvfb display of its own
#          with a Wine virtual desktop, whose shell has a notification area.
# stop:  ends both prefixes' servers (with every process in them) and the tray prefix's Xvfb.
set -euo pipefail
build=$(cd "$1" && pwd)
server=/usr/lib/wine/wineserver
tray_run="$build/wine-run-tray"
tray_dir="$build/wine/tray"
[ -x "$build/wine-run" ] || { echo "wine-prefix: $build/wine-run missing (configure first)" >&2; exit 1; }
. "$(dirname "$0")/tools/xvfb.sh"
. "$(dirname "$0")/tools/wine_fonts.sh"

# Run in a subshell: takes the wrapper's environment (prefix, private HOME and XDG folders) for wineboot,
# wineserver and reg. A prefix's own files sit beside it, in the wrapper's Wine folder.
enter_prefix() {
  run=$1
  eval "$(grep '^export ' "$run")"
  unset TZ
  wine_dir=$(dirname "$WINEPREFIX")
}

# create_prefix null|virtual-desktop: wineboot and the graphics settings; they take effect with the next server.
create_prefix() {
  echo "wine-prefix: creating $WINEPREFIX"
  rm -rf "$WINEPREFIX"
  /usr/lib/wine/wine64 wineboot -i >/dev/null 2>&1 </dev/null || true
  "$server" -w
  if [ "$1" = null ]; then
    # Windows without an X display: the null graphics driver.
    "$run" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
  else
    # A virtual desktop: its shell has a notification area, and without a window manager on Xvfb every
    # hide or destroy of a top-level window would block for about two seconds.
    "$run" reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
    "$run" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1280x900 /f >/dev/null 2>&1
  fi
  "$server" -w
  # Tests that write under system folders check for this marker first.
  : > "$WINEPREFIX/drive_c/pelmirt-test-prefix"
  mkdir -p "$WINEPREFIX/drive_c/users/$(id -un)/AppData/Local/Temp"
  touch "$WINEPREFIX/.pelmirt-ready"
}

lay_out_fixtures() {
  # Link fixtures, laid out (again) on every start: a Windows program under Wine 8 cannot make links
  # (CreateSymbolicLinkW reports success and creates nothing; FSCTL_SET_REPARSE_POINT answers 50), but
  # Wine shows a Unix symlink to a folder as a reparse point. Tests only read these; C:\pelmirt-fixtures.
  local links="$WINEPREFIX/drive_c/pelmirt-fixtures/links" pair link
  mkdir -p "$links/outside" "$links/scanned/inner" "$links/moved/inner"
  [ -f "$links/outside/file.bin" ] || printf 'outside' > "$links/outside/file.bin"
  [ -f "$links/moved/inner/moved.bin" ] || printf 'moved' > "$links/moved/inner/moved.bin"
  [ -f "$links/scanned/plain.bin" ] || printf 'plain' > "$links/scanned/plain.bin"
  [ -f "$links/scanned/inner/deep.bin" ] || printf 'deep' > "$links/scanned/inner/deep.bin"
  for pair in "scanned/dir-link:../outside" "scanned/inner-link:inner" "scanned/file-link:../outside/file.bin" \
              "alias:scanned" "moved/was-here:inner/moved.bin"; do
    link="$links/${pair%%:*}"
    [ -L "$link" ] || rm -rf "$link"
    ln -sfn "${pair#*:}" "$link"
  done
  # Private copies of that set, links and all (they are relative), for the tests that try to delete or move
  # something through a link: a check that breaks then deletes through that test's own copy and fails it
  # alone. Copied afresh on every start.
  local private="$WINEPREFIX/drive_c/pelmirt-fixtures/private" set
  rm -rf "$private"
  mkdir -p "$private"
  for set in delete-root-or-file delete-moved delete-below-root recycle-folder-link; do cp -a "$links" "$private/$set"; done
  # Two folders whose names differ only in case, as a folder with per-directory case sensitivity or one made
  # from a Linux side holds them. Only the Unix side can make the pair: under Wine 8 a Windows program's
  # CreateDirectoryW of "sub" beside "Sub" answers 183, and a folder of the pair moved away cannot come back
  # (its name then finds the other one). Wine finds the exact name first, so each is reached by its own name.
  # Tests make and delete files inside them, never the folders. Made afresh on every start.
  local case_only="$WINEPREFIX/drive_c/pelmirt-fixtures/case-only"
  rm -rf "$case_only"
  mkdir -p "$case_only/Sub" "$case_only/sub"
  # Drive fixtures: R: a removable drive, N: a network drive, each a folder of the build tree. Wine takes a
  # drive's type from HKLM\Software\Wine\Drives when its server starts, so the types are written once and
  # any server already running is stopped first; tests never change drives while others run.
  local drives="$wine_dir/drives"
  mkdir -p "$drives/removable" "$drives/network"
  ln -sfn "$drives/removable" "$WINEPREFIX/dosdevices/r:"
  ln -sfn "$drives/network" "$WINEPREFIX/dosdevices/n:"
  if [ ! -f "$WINEPREFIX/.pelmirt-drives" ]; then
    "$server" -k 2>/dev/null || true
    "$run" reg add 'HKLM\Software\Wine\Drives' /v r: /d floppy /f >/dev/null 2>&1
    "$run" reg add 'HKLM\Software\Wine\Drives' /v n: /d network /f >/dev/null 2>&1
    "$server" -w
    touch "$WINEPREFIX/.pelmirt-drives"
  fi
}

# start_server [--notification-area]: the persistent server, then the desktop holder, which starts the
# prefix's services and its desktop process detached from any test, and keeps the desktop up.
start_server() {
  # Detached, and with no hold on our stdout, or the caller would wait for it forever. (wineserver forks
  # itself into the background once its socket is ready.) A server already running for this prefix (an
  # earlier start left it) serves just as well, and so does its holder.
  setsid "$server" -p </dev/null >/dev/null 2>&1 || true
  local log="$wine_dir/desktop-holder.log"
  rm -f "$log"
  # Its output goes to a file: the services and the desktop process it starts inherit it, and no one
  # waits for a file to close.
  setsid "$run" "$build/tools/desktop_holder.exe" "$@" </dev/null >"$log" 2>&1 &
  local holder=$!
  for _ in $(seq 1200); do
    grep -qE '^desktop (ready|already held)' "$log" 2>/dev/null && return 0
    kill -0 "$holder" 2>/dev/null || break
    sleep 0.1
  done
  echo "wine-prefix: the desktop of $WINEPREFIX did not come up: $(cat "$log" 2>/dev/null)" >&2
  return 1
}

start_tests_prefix() {
  enter_prefix "$build/wine-run"
  mkdir -p "$XDG_DATA_HOME/Trash/files" "$XDG_DATA_HOME/Trash/info" "$XDG_CONFIG_HOME" "$XDG_CACHE_HOME"
  [ -f "$WINEPREFIX/.pelmirt-ready" ] || create_prefix null
  map_fonts "$run"
  lay_out_fixtures
  start_server
}

# An Xvfb of the tray prefix's own, on the first free display from :50 up (the lower numbers are the
# developers'). Its pid and display name are kept in the tray folder while it runs.
start_display() {
  mkdir -p "$tray_dir"
  local pid
  pid=$(cat "$tray_dir/xvfb.pid" 2>/dev/null || true)
  if [ -n "$pid" ] && [ -f "$tray_dir/display" ] && grep -qa '^Xvfb' "/proc/$pid/cmdline" 2>/dev/null; then
    return 0
  fi
  rm -f "$tray_dir/display" "$tray_dir/xvfb.pid"
  if ! start_xvfb 50 99 1400x1000x24; then
    echo "wine-prefix: no free X display from :50 to :99 for the tray prefix" >&2
    return 1
  fi
  echo "$xvfb_pid" > "$tray_dir/xvfb.pid"
  echo ":$xvfb_number" > "$tray_dir/display"
}

start_tray_prefix() {
  start_display
  enter_prefix "$tray_run"
  DISPLAY=$(cat "$tray_dir/display")
  export DISPLAY
  mkdir -p "$XDG_DATA_HOME/Trash/files" "$XDG_DATA_HOME/Trash/info" "$XDG_CONFIG_HOME" "$XDG_CACHE_HOME"
  [ -f "$WINEPREFIX/.pelmirt-ready" ] || create_prefix virtual-desktop
  map_fonts "$run"
  lay_out_fixtures
  start_server --notification-area
}

stop_prefix() {
  enter_prefix "$1"
  "$server" -k 2>/dev/null || true
}

case "$2" in
  start)
    cmake --build "$build" --target desktop_holder >/dev/null
    # The two prefixes are independent: ready them side by side.
    ( start_tests_prefix ) &
    tests_prefix=$!
    tray_prefix=
    if [ -x "$tray_run" ]; then
      ( start_tray_prefix ) &
      tray_prefix=$!
    fi
    status=0
    wait "$tests_prefix" || status=1
    if [ -n "$tray_prefix" ]; then wait "$tray_prefix" || status=1; fi
    exit "$status"
    ;;
  stop)
    ( stop_prefix "$build/wine-run" )
    if [ -x "$tray_run" ]; then
      ( stop_prefix "$tray_run" )
      pid=$(cat "$tray_dir/xvfb.pid" 2>/dev/null || true)
      if [ -n "$pid" ] && grep -qa '^Xvfb' "/proc/$pid/cmdline" 2>/dev/null; then
        kill "$pid"
        # Gone when stop returns: the next start may take its number, and nothing of the tree outlives it.
        # (A zombie waiting for its reaper has no command line.)
        for _ in $(seq 50); do grep -qa '^Xvfb' "/proc/$pid/cmdline" 2>/dev/null || break; sleep 0.1; done
      fi
      rm -f "$tray_dir/xvfb.pid" "$tray_dir/display"
    fi
    ;;
  *) echo "usage: wine-prefix.sh BUILD_DIR start|stop" >&2; exit 2 ;;
esac
