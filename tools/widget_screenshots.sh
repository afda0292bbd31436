#!/usr/bin/env bash
# Takes PNG screenshots of pelmirt.exe's desktop widget under Xvfb, in a Wine virtual desktop painted in a
# strong colour (so the cut corners show), light and dark, with three local drives (C:, D:, E:).
#   tools/widget_screenshots.sh [OUTPUT_DIR]          default: BUILD/screenshots
# Environment:
#   PELMIRT_SHOT_DISPLAY    X display number for Xvfb (default 25; an Xvfb already there is reused)
#   PELMIRT_SHOT_BUILD_DIR  build tree (default build); the pictures' Wine prefix lives inside it, apart
#                           from the test prefix
# Runs with a private HOME, so neither your Wine prefix nor your trash is touched. Wine shows partial alpha
# as opaque without a compositor: the pictures show the shape and the content, the pixel tests the alpha.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build="${PELMIRT_SHOT_BUILD_DIR:-$here/build}"
display="${PELMIRT_SHOT_DISPLAY:-25}"
out="${1:-$build/screenshots}"

bash "$here/setup.sh"
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$here/mingw-w64-x86_64.cmake" \
      -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target pelmirt widget_shot >/dev/null

wine=/usr/lib/wine/wine64
server=/usr/lib/wine/wineserver
state="$build/wine/widget-shots"
export WINEPREFIX="$state/prefix"
export HOME="$state/home"
export XDG_DATA_HOME="$HOME/.local/share"
export XDG_CONFIG_HOME="$HOME/.config"
export XDG_CACHE_HOME="$HOME/.cache"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree=;mshtml="
unset TZ
mkdir -p "$XDG_DATA_HOME/Trash/files" "$XDG_DATA_HOME/Trash/info" "$XDG_CONFIG_HOME" "$XDG_CACHE_HOME" "$out"

xvfb_pid=
cleanup() {
  "$server" -k 2>/dev/null || true
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; fi
}
trap cleanup EXIT
if [ ! -e "/tmp/.X11-unix/X$display" ]; then
  Xvfb ":$display" -screen 0 1280x900x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$display" ] && break; sleep 0.1; done
fi
export DISPLAY=":$display"

if [ ! -f "$WINEPREFIX/.pelmirt-widget-shots-ready" ]; then
  echo "widget screenshots: creating the Wine prefix $WINEPREFIX (once, about 15 seconds)"
  rm -rf "$WINEPREFIX"
  "$wine" wineboot -i >/dev/null 2>&1 </dev/null || true
  "$server" -w
  fonts="$WINEPREFIX/drive_c/windows/Fonts"
  mkdir -p "$fonts"
  for f in tahoma.ttf tahomabd.ttf marlett.ttf; do
    [ -f "/usr/share/wine/fonts/$f" ] && cp -f "/usr/share/wine/fonts/$f" "$fonts/"
  done
  # A virtual desktop (without a window manager every hide blocks for seconds), painted teal.
  cat > "$WINEPREFIX/drive_c/pelmirt-widget-shots.reg" <<'REG'
REGEDIT4

[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes]
"Segoe UI"="DejaVu Sans"

[HKEY_CURRENT_USER\Software\Wine\Explorer]
"Desktop"="Default"

[HKEY_CURRENT_USER\Software\Wine\Explorer\Desktops]
"Default"="1280x900"

[HKEY_CURRENT_USER\Control Panel\Colors]
"Background"="0 110 120"

[HKEY_CURRENT_USER\Control Panel\Desktop]
"Wallpaper"=""
REG
  "$wine" regedit /S 'C:\pelmirt-widget-shots.reg' >/dev/null 2>&1 </dev/null
  rm -f "$WINEPREFIX/drive_c/pelmirt-widget-shots.reg"
  "$server" -k 2>/dev/null || true
  "$server" -w
  touch "$WINEPREFIX/.pelmirt-widget-shots-ready"
fi
# Two more local drives beside C: (folders of the prefix; Wine takes their type from the host: fixed).
drives="$state/drives"
mkdir -p "$drives/d" "$drives/e"
ln -sfn "$drives/d" "$WINEPREFIX/dosdevices/d:"
ln -sfn "$drives/e" "$WINEPREFIX/dosdevices/e:"
setsid "$server" -p </dev/null >/dev/null 2>&1 &

winpath() { printf 'Z:%s' "${1//\//\\}"; }
exe=$(winpath "$build/app/pelmirt.exe")
target=$(winpath "$(cd "$out" && pwd)")
status=0
for theme in light dark; do
  "$wine" "$build/tools/widget_shot.exe" "$exe" "$target\\widget-$theme.png" "$theme" </dev/null || status=1
done
echo "widget screenshots: $out"
exit "$status"
