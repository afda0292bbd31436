# Sourced by the CI checks (tools/check_test_command.sh, tools/check_run_prefix_fonts.sh): the processes a
# check started, found by a mark, VARIABLE=VALUE, that each of them inherits in its environment.

# marked_pids MARK: the pids of the processes whose environment holds MARK. The search runs with an empty
# environment: a check that carries the mark itself would otherwise find its own search.
marked_pids() {
  env -i grep -lzxF "$1" /proc/[0-9]*/environ 2>/dev/null | env -i cut -d/ -f3 || true
}

# marks_visible MARK: true when a process given MARK is found, within three seconds. Where processes'
# environments (/proc/*/environ) cannot be read, nothing would ever be found left running.
marks_visible() {
  env "$1" sleep 30 </dev/null >/dev/null 2>&1 &
  local probe=$! seen=1
  for _ in $(seq 30); do
    if grep -qx "$probe" <<<"$(marked_pids "$1")"; then seen=0; break; fi
    sleep 0.1
  done
  kill "$probe" 2>/dev/null || true
  wait "$probe" 2>/dev/null || true
  return "$seen"
}

# marked_left MARK TENTHS: gives the processes given MARK up to TENTHS tenths of a second to end; fails when
# some are left, and prints them, each on a line of its own with its command line, the first line empty.
marked_left() {
  local left pid
  for _ in $(seq "$2"); do
    left=$(marked_pids "$1")
    [ -z "$left" ] && return 0
    sleep 0.1
  done
  for pid in $left; do printf '\n    %s %s' "$pid" "$(tr '\0' ' ' < "/proc/$pid/cmdline" 2>/dev/null)"; done
  return 1
}
