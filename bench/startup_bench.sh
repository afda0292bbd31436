#!/usr/bin/env bash
# Builds pelmirt.exe and the start-up benchmark and runs it where start-up looks as it does to a user: in a
# Wine virtual desktop on an Xvfb display (without a window manager every hidden window would block for
# seconds), in the screenshots' build tree and prefix. One start of the program first: the first window of
# a fresh prefix takes far longer than any later one.
# Environment:
#   PELMIRT_SHOT_DISPLAY    X display, 46 or :46 (default: an Xvfb of its own on the first free number from
#                           100; a number given is used, and an X server already there is used as it is)
#   PELMIRT_SHOT_BUILD_DIR  build tree with its own Wine prefix (default build-shots)
#   PELMIRT_JOBS            parallel jobs of the build
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd -P)  # the real path, as ./test.sh gives CMake
build="${PELMIRT_SHOT_BUILD_DIR:-$here/build-shots}"

. "$here/tools/shot_env.sh"
shot_build pelmirt startup_bench
shot_display
shot_restart_server
"$run" "$build/app/pelmirt.exe" --smoke-quit </dev/null >/dev/null 2>&1 || true
"$run" "$build/bench/startup_bench.exe" </dev/null
