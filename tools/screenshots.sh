#!/usr/bin/env bash
# Builds pelmirt.exe and takes PNG screenshots of its main window under Xvfb, in a Wine virtual desktop
# with the interface fonts mapped (so Arabic and CJK draw real glyphs): every page, light and dark, in
# each language asked for, with the language list open; in English also during a scan, after it and after
# a clean-up, light and dark (PELMIRT_SHOT_OPERATIONS=0 leaves these out).
#   tools/screenshots.sh [OUTPUT_DIR]          default: BUILD/screenshots
#   tools/screenshots.sh --docs                also refreshes the four small pictures under docs/
# Environment:
#   PELMIRT_SHOT_DISPLAY    X display number for Xvfb (default 23; an Xvfb already there is reused)
#   PELMIRT_SHOT_BUILD_DIR  build tree with its own Wine prefix (default build-shots)
#   PELMIRT_SHOT_CLIENT     client size of the main window, WIDTHxHEIGHT (default 1100x790)
#   PELMIRT_SHOT_LANGUAGES  language codes (default "en ar zh")
#   PELMIRT_SHOT_OPERATIONS 0: no pictures of the scan and the clean-up (default 1)
# Runs with a private HOME, so neither your Wine prefix nor your trash is touched.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build="${PELMIRT_SHOT_BUILD_DIR:-$here/build-shots}"
display="${PELMIRT_SHOT_DISPLAY:-23}"
client="${PELMIRT_SHOT_CLIENT:-1100x790}"
languages="${PELMIRT_SHOT_LANGUAGES:-en ar zh}"
docs=0
out=""
for arg in "$@"; do
  case "$arg" in
    --docs) docs=1 ;;
    *) out="$arg" ;;
  esac
done
out="${out:-$build/screenshots}"

bash "$here/setup.sh"
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$here/mingw-w64-x86_64.cmake" \
      -DCMAKE_BUILD_TYPE=Release -DPELMIRT_TESTS=OFF >/dev/null
cmake --build "$build" --target pelmirt shot_driver >/dev/null

# The build tree's private prefix (private HOME and trash, the interface fonts mapped), made the way the
# tests make theirs; then switched from the null graphics driver to a virtual desktop on the Xvfb display.
run="$build/wine-run"
server=/usr/lib/wine/wineserver
bash "$here/wine-prefix.sh" "$build" start >/dev/null
eval "$(grep '^export ' "$run")"
unset TZ
mkdir -p "$out"

xvfb_pid=
cleanup() {
  bash "$here/wine-prefix.sh" "$build" stop
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; fi
}
trap cleanup EXIT
if [ ! -e "/tmp/.X11-unix/X$display" ]; then
  Xvfb ":$display" -screen 0 1400x1000x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$display" ] && break; sleep 0.1; done
fi
export DISPLAY=":$display"

if [ ! -f "$WINEPREFIX/.pelmirt-shots-display" ]; then
  # Without a window manager every hide blocks for seconds: a virtual desktop larger than the window.
  "$run" reg delete 'HKCU\Software\Wine\Drivers' /v Graphics /f >/dev/null 2>&1 || true
  "$run" reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
  "$run" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1400x1000 /f >/dev/null 2>&1
  touch "$WINEPREFIX/.pelmirt-shots-display"
fi
# Three more drives (folders of the build tree), so the Disk space page shows more rows than fit.
for letter in d e f; do
  mkdir -p "$build/wine/drives/extra-$letter"
  ln -sfn "$build/wine/drives/extra-$letter" "$WINEPREFIX/dosdevices/$letter:"
done
# The display settings take effect when the prefix's server starts.
"$server" -k 2>/dev/null || true
"$server" -w
setsid "$server" -p </dev/null >/dev/null 2>&1 || true

winpath() { printf 'Z:%s' "${1//\//\\}"; }
exe=$(winpath "$build/app/pelmirt.exe")
target=$(winpath "$(cd "$out" && pwd)")
width=${client%x*}
height=${client#*x}
status=0
for language in $languages; do
  for theme in light dark; do
    "$run" "$build/tools/shot_driver.exe" "$exe" "$target" "$language-$theme" "$theme" "$language" \
      "$width" "$height" </dev/null || status=1
  done
done
if [ "${PELMIRT_SHOT_OPERATIONS:-1}" = 1 ]; then
  # Something to find: old files in the prefix user's temporary folder (older than 24 hours), made again
  # for each run because its clean-up deletes them.
  temp="$WINEPREFIX/drive_c/users/$(id -un)/AppData/Local/Temp/pelmirt-shot"
  for theme in light dark; do
    mkdir -p "$temp"
    for i in $(seq 400); do head -c 40000 /dev/zero > "$temp/cache-$i.tmp"; done
    touch -d '3 days ago' "$temp"/*.tmp
    "$run" "$build/tools/shot_driver.exe" "$exe" "$target" "en-$theme" "$theme" en "$width" "$height" scan clean \
      </dev/null || status=1
  done
fi

if [ "$docs" = 1 ]; then
  mkdir -p "$here/docs"
  for pair in "en-light-scanned:clean-pc-light" "en-dark-scanned:clean-pc-dark" "en-light-settings:settings" \
              "ar-light-clean:arabic-clean-pc"; do
    "$run" "$build/tools/shot_driver.exe" --shrink "$target\\${pair%%:*}.png" \
      "$(winpath "$here/docs")\\${pair#*:}.png" 800 </dev/null || status=1
  done
fi
echo "screenshots: $out"
exit "$status"
