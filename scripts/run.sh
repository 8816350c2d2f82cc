#!/usr/bin/env bash
# `make run`: the window, started from the staged runtime folder (where it
# finds its translations, pictures and settings file), with the simulated
# device listed as a port. With no display, a 10-second headless run against
# that device instead. The device is stopped when the window or run ends.
set -euo pipefail
build=${1:-build}
scripts=$(dirname "$(realpath "$0")")
cd "$build/runtime"

source "$scripts/simulated-device.sh"
peer_output=$(mktemp)
trap 'stop_simulated_device; rm -f "$peer_output"' EXIT
start_simulated_device ./pakto-peer "$peer_output" || exit 1

if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" ]]; then
  echo "No display (neither DISPLAY nor WAYLAND_DISPLAY is set): running a 10-second"
  echo "answer-driven test against the simulated device on $device instead."
  status=0
  ./pakto --port "$device" --open "$device" --send answer --compare --duration 10 || status=$?
  exit "$status"
fi

echo "Simulated device (echo) on $device, selected in the port list: open it, press answer-driven."
status=0
./pakto --port "$device" "${@:2}" || status=$?
exit "$status"
