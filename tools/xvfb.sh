# Sourced by wine-prefix.sh, run.sh and the screenshot scripts: an Xvfb of the script's own on a free
# display, so that no one else's X server (or Wine desktop) is reused on a shared machine.

# display_number VARIABLE EXAMPLE: prints the display number the variable names, written as a number or as
# a display name ("46" and ":46" name the same display), nothing when it is unset. Fails, saying so with the
# example, when the value is no display: the scripts check it before their build, so that it does not fail
# minutes later.
display_number() {
  local value="${!1:-}"
  value=${value#:}
  if [[ -n $value && ! $value =~ ^[0-9]+$ ]]; then
    echo "$(basename "$0" .sh): $1=${!1} is not a display ($2 or :$2)" >&2
    return 1
  fi
  printf '%s' "$value"
}

# start_xvfb FIRST LAST SCREEN: starts Xvfb, in a session of its own, on the first free display number from
# FIRST to LAST with the screen SCREEN (WIDTHxHEIGHTxDEPTH); sets xvfb_pid and xvfb_number. Fails when no
# number is free.
start_xvfb() {
  local number pid
  for number in $(seq "$1" "$2"); do
    if [ -e "/tmp/.X$number-lock" ] || [ -e "/tmp/.X11-unix/X$number" ]; then continue; fi
    setsid Xvfb ":$number" -screen 0 "$3" -nolisten tcp </dev/null >/dev/null 2>&1 &
    pid=$!
    # Two starts racing for one number: Xvfb's lock file names the winner, the other exits.
    for _ in $(seq 100); do
      kill -0 "$pid" 2>/dev/null || break
      if [ -e "/tmp/.X11-unix/X$number" ] && [ "$(tr -d ' \n' < "/tmp/.X$number-lock" 2>/dev/null)" = "$pid" ]; then
        xvfb_pid=$pid
        xvfb_number=$number
        return 0
      fi
      sleep 0.1
    done
    kill "$pid" 2>/dev/null || true
  done
  return 1
}
