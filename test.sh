#!/usr/bin/env bash
# Builds Pelmirt and all its tests, and runs the tests under Wine. Installs what is missing first.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build="${PELMIRT_BUILD_DIR:-$here/build}"

bash "$here/setup.sh"
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$here/mingw-w64-x86_64.cmake" \
      -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j "$(nproc)"

bash "$here/wine-prefix.sh" "$build" start
trap 'bash "$here/wine-prefix.sh" "$build" stop' EXIT
ctest --test-dir "$build" --output-on-failure -j "$(nproc)" "$@"
