# Sourced by run.sh, the screenshot scripts and the start-up benchmark: installs what is missing, then a
# release build of some targets without the tests. Quiet when it works, except for one line when there is
# something to build; on a failure it shows what the compiler said and the command that failed.

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
  # Ninja's dry run lists one "[n/m]" line per step still to do; its checks of the build files always show.
  if "${build[@]}" -- -n 2>/dev/null | grep '^\[' | grep -qv 'Re-checking globbed\|Re-running CMake'; then
    echo "$who: building $* in $tree (the first time takes a few minutes)"
  fi
  if ! "${build[@]}" >"$log" 2>&1; then
    grep -v '^\[[0-9]*/[0-9]*\] ' "$log" >&2
    echo "$who: the build failed: ${build[*]}" >&2
    return 1
  fi
}
