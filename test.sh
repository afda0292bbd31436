#!/usr/bin/env bash
# Builds Pelmirt and all its tests, and runs the tests under Wine. Installs what is missing first.
# Arguments go to CTest (for example -R Json).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd -P)
build="${PELMIRT_BUILD_DIR:-$here/build}"
# PELMIRT_JOBS limits the parallel jobs of the build and of the tests (default: one per core).
nproc() { echo "${PELMIRT_JOBS:-$(command nproc)}"; }

bash "$here/setup.sh"
# Configured when the tree is new, has the tests off (a program-only configure), is not a release build or
# belongs to another source tree (which CMake then refuses); otherwise the build configures again by itself
# when a CMakeLists.txt changed. Each configure makes CTest list the cases of every test executable again
# through Wine, which takes seconds.
configured() { grep -qxF "$1" "$build/CMakeCache.txt" 2>/dev/null; }
# The tree's source folder as a real path. CMake keeps the form it was first given (through a symbolic link
# or not, or the real path when it took its working folder) and accepts the same folder under another form,
# so only real paths compare: otherwise a checkout reached through a link is configured again on every run,
# and the first time built again from scratch.
configured_source() {
  local source
  source=$(sed -n 's/^CMAKE_HOME_DIRECTORY:INTERNAL=//p' "$build/CMakeCache.txt" 2>/dev/null || true)
  if [ -n "$source" ]; then (cd "$source" 2>/dev/null && pwd -P) || true; fi
}
if [ ! -f "$build/build.ninja" ] || ! configured 'PELMIRT_TESTS:BOOL=ON' \
   || ! configured 'CMAKE_BUILD_TYPE:STRING=Release' || [ "$(configured_source)" != "$here" ]; then
  cmake -S "$here" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$here/mingw-w64-x86_64.cmake" \
        -DCMAKE_BUILD_TYPE=Release -DPELMIRT_TESTS=ON >/dev/null
fi
cmake --build "$build" -j "$(nproc)"

# Stopped also when the start fails halfway: the servers, the processes in the prefixes, the tray's Xvfb.
trap 'bash "$here/wine-prefix.sh" "$build" stop' EXIT
bash "$here/wine-prefix.sh" "$build" start
log="$build/ctest.log"
# wine-run retries a Wine start-up failure (nothing printed) once and logs it here; counted below.
export PELMIRT_STARTUP_RETRY_LOG="$build/startup-retries.log"
: > "$PELMIRT_STARTUP_RETRY_LOG"
status=0
# Every case runs once: a case that fails, fails the run (wine-run alone retries a Wine start-up failure).
ctest --test-dir "$build" --output-on-failure --no-tests=error -j "$(nproc)" "$@" 2>&1 | tee "$log" || status=$?

# One closing line with the three counts (CTest counts a skipped case among the passed ones).
summary=$(grep -E '^[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -n 1 || true)
if [ -n "$summary" ]; then
  failed=$(sed -E 's/.* ([0-9]+) tests? failed.*/\1/' <<<"$summary")
  total=$(sed -E 's/.*out of ([0-9]+).*/\1/' <<<"$summary")
  skipped=$(grep -cE '^\s+[0-9]+ - .* \(Skipped\)$' "$log" || true)
  retries=$(wc -l < "$PELMIRT_STARTUP_RETRY_LOG")
  echo "tests: $((total - failed - skipped)) passed, $failed failed, $skipped skipped, $retries retried after a Wine start-up failure"
else
  # CTest stopped before running any case: listing an executable's cases failed, or nothing matched.
  echo "tests: none ran (CTest's message is above)"
fi
exit "$status"
