#!/usr/bin/env bash
# `make screenshots`: remakes the README's two pictures. docs/window.png is the
# window under Xvfb against the simulated device, which spoils one reply in a
# hundred: xdotool opens the port, turns the traffic view on and starts timed
# sending, and after RUN_S seconds ImageMagick's import takes the window.
# docs/plot.png is what --plot draws of a headless run as long against a
# device that drops one reply in a hundred and answers after a millisecond.
# Both runs speak English, compare and tag. Installs xvfb, xdotool and
# imagemagick when they are missing.
set -euo pipefail
build=$(realpath "${1:-build}")
scripts=$(dirname "$(realpath "$0")")
pictures=$(realpath "$scripts/../docs")
RUN_S=30
MOST_BYTES=200000

install_missing() {
  local missing=() pkg sudo=""
  for pkg in "$@"; do
    [[ $(dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null) == "install ok installed" ]] ||
      missing+=("$pkg")
  done
  [[ ${#missing[@]} -eq 0 ]] && return 0
  [[ $(id -u) -eq 0 ]] || sudo="sudo"
  echo "Installing: ${missing[*]}"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
}

# Waits up to 10 s for a command to print something, and prints it.
wait_for_output() {
  local out
  for _ in $(seq 100); do
    out=$("$@" 2>/dev/null || true)
    [[ -n "$out" ]] && { echo "$out"; return 0; }
    sleep 0.1
  done
  return 1
}

click() { xdotool mousemove --window "$window_id" "$1" "$2" click 1; sleep 0.3; }

stop_all() {
  if [[ -n "${window_pid:-}" ]]; then kill "$window_pid" 2>/dev/null || true; fi
  stop_simulated_device
  if [[ -n "${xvfb_pid:-}" ]]; then kill "$xvfb_pid" 2>/dev/null || true; fi
  rm -rf "$work"
}

install_missing xvfb xdotool imagemagick
source "$scripts/simulated-device.sh"
peer_pid=""
work=$(mktemp -d)
trap stop_all EXIT
mkdir -p "$pictures"
cd "$work"
printf '%s\n' '[show]' 'english=true' 'trxcmp=true' 'chart=true' '[control]' 'tag-enable=true' \
  'sid-min=0' 'sid-max=255' '[send]' 'tx-time=5' 'reply-timeout=100' >dv-ppp.ini

Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>display 2>/dev/null &
xvfb_pid=$!
DISPLAY=":$(wait_for_output head -n 1 display)"
export DISPLAY
start_simulated_device "$build/runtime/pakto-peer" peer.out --fault bad-fcs --rate 0.01
"$build/runtime/pakto" --port "$device" 2>/dev/null &
window_pid=$!
window_id=$(wait_for_output xdotool search --onlyvisible --name 'Pakto' | head -n 1)
# Wider than the default, so that the chart beside the traffic view has room.
# Where the buttons are then, in English: when the form moves them, the check
# below says so, and a first shot shows where they went.
xdotool windowsize "$window_id" 1180 860
sleep 1
click 248 311 # Open port
click 352 280 # Sent
click 413 280 # Received
click 660 113 # Timed send
sleep "$RUN_S"
import -window "$window_id" -colors 128 "PNG8:$pictures/window.png" # under 200 KB
kill "$window_pid"
window_pid=""
stop_simulated_device
frames=$(sed -n 's/^frames_received: //p' peer.out)
if [[ "${frames:-0}" -eq 0 ]]; then
  echo "The device saw no frame: the clicks missed. Take a shot of the window" >&2
  echo "(import -window ID shot.png) and set the button positions in $0." >&2
  exit 1
fi

start_simulated_device "$build/runtime/pakto-peer" peer.out --fault drop --rate 0.01 --delay 1
status=0
"$build/runtime/pakto" --port "$device" --open "$device" --send timed --compare --tag \
  --duration "$RUN_S" --plot "$pictures/plot.png" >/dev/null || status=$?
[[ $status -le 1 ]] || { echo "The plotted run failed to start (exit status $status)." >&2; exit 1; }

for picture in "$pictures/window.png" "$pictures/plot.png"; do
  bytes=$(stat -c %s "$picture")
  echo "$picture: $bytes bytes"
  [[ $bytes -lt $MOST_BYTES ]] || { echo "$picture is too large for the README" >&2; exit 1; }
done
