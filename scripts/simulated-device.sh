# Sourced by run.sh, soak.sh and screenshots.sh. start_simulated_device PEER
# OUTPUT [OPTION...] starts the simulated device on a pseudo-terminal in echo
# mode with the options given, its report going to OUTPUT, and sets peer_pid
# and device (the path the peer prints first).
start_simulated_device() {
  "$1" --pty --mode echo "${@:3}" >"$2" &
  peer_pid=$!
  device=""
  for _ in $(seq 100); do
    device=$(head -n 1 "$2")
    [[ -n "$device" ]] && return 0
    kill -0 "$peer_pid" 2>/dev/null || break
    sleep 0.1
  done
  echo "The simulated device did not start." >&2
  return 1
}

stop_simulated_device() {
  kill "$peer_pid" 2>/dev/null || true
  wait "$peer_pid" 2>/dev/null || true
}
