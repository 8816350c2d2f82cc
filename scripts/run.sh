#!/usr/bin/env bash
# `make run`: the window, started from the staged runtime folder (where it
# finds its translations, pictures and settings file), with the simulated
# device listed as a port. With no display, a 10-second headless run against
# that device instead. The device is stopped when the window or run ends.
set -euo pipefail
build=${1:-build}
cd "$build/runtime"

peer_output=$(mktemp)
./pakto-peer --pty --mode echo >"$peer_output" &
peer_pid=$!
stop_peer() {
  kill "$peer_pid" 2>/dev/null || true
  wait "$peer_pid" 2>/dev/null || true
  rm -f "$peer_output"
}
trap stop_peer EXIT

# The peer prints the path of its pseudo-terminal as its first line.
device=""
for _ in $(seq 100); do
  device=$(head -n 1 "$peer_output")
  [[ -n "$device" ]] && break
  kill -0 "$peer_pid" 2>/dev/null || break
  sleep 0.1
done
if [[ -z "$device" ]]; then
  echo "The simulated device did not start." >&2
  exit 1
fi

if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" ]]; then
  echo "No display (neither DISPLAY nor WAYLAND_DISPLAY is set): running a 10-second"
  echo "answer-driven test against the simulated device on $device instead."
  status=0
  ./pakto --port "$device" --open "$device" --send answer --compare --duration 10 || status=$?
  exit "$status"
fi

echo "Simulated device (echo) on $device: pick it in the port list, open it, press answer-driven."
status=0
./pakto --port "$device" "${@:2}" || status=$?
exit "$status"
