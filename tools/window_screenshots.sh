#!/usr/bin/env bash
# Builds the window screenshot driver and takes PNG screenshots of the history, preview and large-files
# windows (the last after a search) under Xvfb, in a Wine virtual desktop with the interface fonts mapped:
# light and dark in each language asked for.
#   tools/window_screenshots.sh [OUTPUT_DIR]          default: BUILD/window-screenshots
# Environment:
#   PELMIRT_SHOT_LANGUAGES  language codes (default "en ar zh ru")
#   PELMIRT_SHOT_DISPLAY    X display, 46 or :46 (default: an Xvfb of its own on the first free number from
#                           100; a number given is used, and an X server already there is used as it is)
#   PELMIRT_SHOT_BUILD_DIR  build tree with its own Wine prefix (default build-winshots)
#   PELMIRT_JOBS            parallel jobs of the build
# Runs with the build tree's private HOME, so neither your Wine prefix nor your trash is touched.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd -P)  # the real path, as ./test.sh gives CMake
build="${PELMIRT_SHOT_BUILD_DIR:-$here/build-winshots}"
out="${1:-$build/window-screenshots}"
languages="${PELMIRT_SHOT_LANGUAGES:-en ar zh ru}"

. "$here/tools/shot_env.sh"
shot_build window_shots
shot_display
mkdir -p "$out"
shot_restart_server

target=$(winpath "$(cd "$out" && pwd)")
status=0
for language in $languages; do
  for theme in light dark; do
    "$run" "$build/tools/window_shots.exe" "$target" "$language-$theme" "$theme" "$language" </dev/null || status=1
  done
done
echo "screenshots: $out"
exit "$status"
