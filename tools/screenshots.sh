#!/usr/bin/env bash
# Builds pelmirt.exe and takes PNG screenshots of its main window under Xvfb, in a Wine virtual desktop
# with the interface fonts mapped (so Arabic and CJK draw real glyphs): every page, light and dark, in
# each language asked for, with the language list open; in English also during a scan, after it and after
# a clean-up, light and dark (PELMIRT_SHOT_OPERATIONS=0 leaves these out); and the desktop widget over the
# coloured desktop, light and dark (widget-light.png, widget-dark.png; Wine shows partial alpha as opaque
# without a compositor, so these show the shape and the content, the pixel tests check the alpha).
#   tools/screenshots.sh [OUTPUT_DIR]          default: BUILD/screenshots
#   tools/screenshots.sh --docs                also refreshes the four small pictures under docs/, made
#                                              from a fixed state (drives, scan result, its time), so that
#                                              the same program gives the same pictures
# Environment:
#   PELMIRT_SHOT_DISPLAY    X display, 46 or :46 (default: an Xvfb of its own on the first free number from
#                           100; a number given is used, and an X server already there is used as it is)
#   PELMIRT_SHOT_BUILD_DIR  build tree with its own Wine prefix (default build-shots)
#   PELMIRT_SHOT_CLIENT     client size of the main window, WIDTHxHEIGHT (default 1100x790)
#   PELMIRT_SHOT_LANGUAGES  language codes (default "en ar zh ru")
#   PELMIRT_SHOT_OPERATIONS 0: no pictures of the scan and the clean-up (default 1)
#   PELMIRT_JOBS            parallel jobs of the build
# Runs with a private HOME, so neither your Wine prefix nor your trash is touched.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd -P)  # the real path, as ./test.sh gives CMake
build="${PELMIRT_SHOT_BUILD_DIR:-$here/build-shots}"
client="${PELMIRT_SHOT_CLIENT:-1100x790}"
languages="${PELMIRT_SHOT_LANGUAGES:-en ar zh ru}"
docs=0
out=""
for arg in "$@"; do
  case "$arg" in
    --docs) docs=1 ;;
    *) out="$arg" ;;
  esac
done
out="${out:-$build/screenshots}"

. "$here/tools/shot_env.sh"
shot_build pelmirt shot_driver widget_shot docs_shots
shot_display
mkdir -p "$out"
# A strong desktop colour, so the widget's cut corners show.
"$run" reg add 'HKCU\Control Panel\Colors' /v Background /d '0 110 120' /f >/dev/null 2>&1
# Three more drives (folders of the build tree), so the Disk space page shows more rows than fit.
for letter in d e f; do
  mkdir -p "$build/wine/drives/extra-$letter"
  ln -sfn "$build/wine/drives/extra-$letter" "$WINEPREFIX/dosdevices/$letter:"
done
shot_restart_server

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
for theme in light dark; do
  "$run" "$build/tools/widget_shot.exe" "$exe" "$target\\widget-$theme.png" "$theme" </dev/null || status=1
done

if [ "$docs" = 1 ]; then
  mkdir -p "$here/docs"
  for shot in "clean-pc-light light en clean scanned" "clean-pc-dark dark en clean scanned" \
              "settings light en settings" "arabic-clean-pc light ar clean"; do
    set -- $shot
    "$run" "$build/tools/docs_shots.exe" "$target\\docs-$1.png" "$2" "$3" "$4" "$width" "$height" ${5:-} \
      </dev/null || status=1
    "$run" "$build/tools/shot_driver.exe" --shrink "$target\\docs-$1.png" "$(winpath "$here/docs")\\$1.png" 800 \
      </dev/null || status=1
  done
fi
echo "screenshots: $out"
exit "$status"
