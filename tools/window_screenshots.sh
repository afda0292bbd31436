#!/usr/bin/env bash
# Takes PNG screenshots of the history and preview windows under Xvfb, in a Wine virtual desktop with the
# interface fonts mapped: light and dark, in English and in Arabic.
#   tools/window_screenshots.sh [OUTPUT_DIR]          default: BUILD/window-screenshots
# Environment:
#   PELMIRT_SHOT_DISPLAY    X display number for Xvfb (default 27; an Xvfb already there is reused)
#   PELMIRT_SHOT_BUILD_DIR  build tree with its own Wine prefix (default build-winshots)
#   PELMIRT_JOBS            parallel jobs of the build
# Runs with the build tree's private HOME, so neither your Wine prefix nor your trash is touched.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build="${PELMIRT_SHOT_BUILD_DIR:-$here/build-winshots}"
display="${PELMIRT_SHOT_DISPLAY:-27}"
out="${1:-$build/window-screenshots}"

. "$here/tools/shot_env.sh"
shot_build window_shots
shot_display
mkdir -p "$out"
shot_restart_server

target=$(winpath "$(cd "$out" && pwd)")
status=0
for shot in "en-light light en" "en-dark dark en" "ar-light light ar" "ar-dark dark ar"; do
  set -- $shot
  "$run" "$build/tools/window_shots.exe" "$target" "$1" "$2" "$3" </dev/null || status=1
done
echo "screenshots: $out"
exit "$status"
