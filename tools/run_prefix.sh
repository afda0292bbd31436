# Sourced by run.sh and tools/check_run_prefix_fonts.sh: ./run.sh's own Wine prefix, its environment and its
# readying, so that CI checks the very prefix the run command uses. Needs tools/wine_fonts.sh sourced first.

# run_build_dir SOURCE: the build tree of ./run.sh for the source tree SOURCE (PELMIRT_RUN_BUILD_DIR, or
# SOURCE/build-run).
run_build_dir() {
  printf '%s' "${PELMIRT_RUN_BUILD_DIR:-$1/build-run}"
}

# enter_run_prefix BUILD: exports the environment of the run's Wine processes: the prefix BUILD/wine/prefix
# and a private HOME and XDG folders beside it (never ~/.wine, never the desktop's trash: Wine's Recycle Bin
# is the XDG trash of HOME), quiet Wine without Mono or Gecko prompts, no TZ (msvcrt would read it and
# disagree with the system zone); sets wine and server.
enter_run_prefix() {
  wine=/usr/lib/wine/wine64
  server=/usr/lib/wine/wineserver
  local state="$1/wine"
  export WINEPREFIX="$state/prefix"
  export HOME="$state/home"
  export XDG_DATA_HOME="$HOME/.local/share"
  export XDG_CONFIG_HOME="$HOME/.config"
  export XDG_CACHE_HOME="$HOME/.cache"
  export WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree=;mshtml="
  unset TZ
  mkdir -p "$XDG_DATA_HOME/Trash/files" "$XDG_DATA_HOME/Trash/info" "$XDG_CONFIG_HOME" "$XDG_CACHE_HOME"
}

# ready_run_prefix: after enter_run_prefix, creates the prefix when it is new, then maps the interface fonts
# as in the tests' prefix; also in a prefix made before the mapping changed.
ready_run_prefix() {
  if [ ! -f "$WINEPREFIX/.pelmirt-run-ready" ]; then
    echo "run: creating the Wine prefix $WINEPREFIX (once, about 15 seconds)"
    rm -rf "$WINEPREFIX"
    "$wine" wineboot -i >/dev/null 2>&1 </dev/null || true
    "$server" -w
    touch "$WINEPREFIX/.pelmirt-run-ready"
  fi
  map_fonts "$wine"
}
