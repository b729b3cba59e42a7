# Waiting on the windows of a program driven with xdotool, for the scripted runs (sourced).

# Runs the command until it succeeds, for 20 seconds at most.
wait_for() {
  local _
  for _ in $(seq 1 200); do
    "$@" && return 0
    sleep 0.1
  done
  return 1
}
visible() { xdotool search --onlyvisible --name "$1" >/dev/null 2>&1; }
hidden() { ! visible "$1"; }
