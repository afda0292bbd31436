#!/usr/bin/env bash
# Builds Pelmirt and all its tests, and runs the tests under Wine. Installs what is missing first.
# Arguments go to CTest (for example -R Json).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build="${PELMIRT_BUILD_DIR:-$here/build}"
# PELMIRT_JOBS limits the parallel jobs of the build and of the tests (default: one per core).
nproc() { echo "${PELMIRT_JOBS:-$(command nproc)}"; }

bash "$here/setup.sh"
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$here/mingw-w64-x86_64.cmake" \
      -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j "$(nproc)"

bash "$here/wine-prefix.sh" "$build" start
trap 'bash "$here/wine-prefix.sh" "$build" stop' EXIT
log="$build/ctest.log"
status=0
# A case runs a second time only when its first run failed: now and then a Wine process ends at start-up,
# before the test's own code runs, with nothing printed. A real fault fails both runs.
ctest --test-dir "$build" --output-on-failure --no-tests=error --repeat until-pass:2 -j "$(nproc)" "$@" 2>&1 | tee "$log" || status=$?

# One closing line with the three counts (CTest counts a skipped case among the passed ones).
summary=$(grep -E '^[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -n 1 || true)
if [ -n "$summary" ]; then
  failed=$(sed -E 's/.* ([0-9]+) tests? failed.*/\1/' <<<"$summary")
  total=$(sed -E 's/.*out of ([0-9]+).*/\1/' <<<"$summary")
  skipped=$(grep -cE '^\s+[0-9]+ - .* \(Skipped\)$' "$log" || true)
  echo "tests: $((total - failed - skipped)) passed, $failed failed, $skipped skipped"
fi
exit "$status"
