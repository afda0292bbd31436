# Sourced by run.sh, the screenshot scripts and the start-up benchmark: installs what is missing, then a
# release build of some targets without the tests. Quiet when it works, except for one line while it
# builds; on a failure it shows what the compiler said and the command that failed.

# quiet_build WHO SOURCE BUILD TARGET...: WHO starts the messages. PELMIRT_JOBS limits the parallel jobs.
quiet_build() {
  local who=$1 source=$2 tree=$3
  shift 3
  bash "$source/setup.sh"
  mkdir -p "$tree"
  local log="$tree/build.log"
  local configure=(cmake -S "$source" -B "$tree" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$source/mingw-w64-x86_64.cmake"
                   -DCMAKE_BUILD_TYPE=Release -DPELMIRT_TESTS=OFF)
  if ! "${configure[@]}" >"$log" 2>&1; then
    cat "$log" >&2
    echo "$who: configuring failed: ${configure[*]}" >&2
    return 1
  fi
  local build=(cmake --build "$tree" --target "$@")
  if [ -n "${PELMIRT_JOBS:-}" ]; then build+=(-j "$PELMIRT_JOBS"); fi
  # One line when the build takes more than a moment, that is when there is something to build.
  (sleep 2; echo "$who: building $* in $tree (the first time takes a minute or more)") &
  local notice=$! failed=0
  "${build[@]}" >"$log" 2>&1 || failed=1
  kill "$notice" 2>/dev/null || true
  wait "$notice" 2>/dev/null || true
  if [ "$failed" = 1 ]; then
    grep -v '^\[[0-9]*/[0-9]*\] ' "$log" >&2
    echo "$who: the build failed: ${build[*]}" >&2
    return 1
  fi
}
