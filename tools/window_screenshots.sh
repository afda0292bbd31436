#!/usr/bin/env bash
# Takes PNG screenshots of the history and preview windows under Xvfb, in a Wine virtual desktop with the
# interface fonts mapped: light and dark in English, and light in Arabic.
#   tools/window_screenshots.sh [OUTPUT_DIR]          default: BUILD/window-screenshots
# Environment:
#   PELMIRT_SHOT_DISPLAY    X display number for Xvfb (default 27; an Xvfb already there is reused)
#   PELMIRT_SHOT_BUILD_DIR  build tree with its own Wine prefix (default build-winshots)
# Runs with the build tree's private HOME, so neither your Wine prefix nor your trash is touched.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build="${PELMIRT_SHOT_BUILD_DIR:-$here/build-winshots}"
display="${PELMIRT_SHOT_DISPLAY:-27}"
out="${1:-$build/window-screenshots}"

bash "$here/setup.sh"
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$here/mingw-w64-x86_64.cmake" \
      -DCMAKE_BUILD_TYPE=Release -DPELMIRT_TESTS=OFF >/dev/null
cmake --build "$build" --target window_shots >/dev/null

# The build tree's private prefix, made the way the tests make theirs, then switched from the null
# graphics driver to a virtual desktop on the Xvfb display.
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
  # Without a window manager every hide blocks for seconds: a virtual desktop larger than the windows.
  "$run" reg delete 'HKCU\Software\Wine\Drivers' /v Graphics /f >/dev/null 2>&1 || true
  "$run" reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
  "$run" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1400x1000 /f >/dev/null 2>&1
  touch "$WINEPREFIX/.pelmirt-shots-display"
fi
# The display settings take effect when the prefix's server starts.
"$server" -k 2>/dev/null || true
"$server" -w
setsid "$server" -p </dev/null >/dev/null 2>&1 || true

target=$(printf 'Z:%s' "$(cd "$out" && pwd | sed 's|/|\\|g')")
status=0
for shot in "en-light light en" "en-dark dark en" "ar-light light ar" "ar-dark dark ar"; do
  set -- $shot
  "$run" "$build/tools/window_shots.exe" "$target" "$1" "$2" "$3" </dev/null || status=1
done
echo "screenshots: $out"
exit "$status"
