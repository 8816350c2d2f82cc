#!/usr/bin/env bash
# `make soak`: SOAK_FRAMES (one million by default) answer-driven round trips
# through the simulated device, with a capture file on.
# Passes when every counter of the run's JSON report agrees, the capture holds
# two lines per round trip, and the memory at the end is within 10% of its size
# after the first 10,000 frames.
# SOAK_OUTAGES=PERIOD:AWAY (milliseconds) has the device go away every PERIOD
# for AWAY (pakto-peer --vanish-every), and the run, opening it through its
# link, wait for it (--reconnect). The run then fails for port_lost, and for
# no_reply and tx_errors only as far as the losses explain them: at most one
# round trip lost a loss, a frame given up (no reply, perhaps never seen by
# the device) or one that never left (a send error, yet captured). Every
# outage is back and is one of the device's.
set -euo pipefail
build=$(realpath "${1:-build}")
frames=${SOAK_FRAMES:-1000000}
outages=${SOAK_OUTAGES:-}
runtime="$build/runtime"
work=$(mktemp -d)

source "$(dirname "$(realpath "$0")")/simulated-device.sh"
trap 'stop_simulated_device; rm -rf "$work"' EXIT
peer_options=() run_options=()
if [[ -n "$outages" ]]; then
  peer_options=(--link "$work/port" --vanish-every "$outages")
  run_options=(--reconnect)
fi
start_simulated_device "$runtime/pakto-peer" "$work/peer.txt" "${peer_options[@]}" || exit 1
[[ -z "$outages" ]] || device="$work/port" # the link: the terminal behind it changes

# An empty working directory: default settings. The counters come from the
# run's JSON report, read with python3.
echo "soak: $frames round trips through $device${outages:+, the device away every ${outages%%:*} ms for ${outages#*:} ms} ..."
start=$(date +%s.%N)
status=0
(cd "$work" && "$runtime/pakto" --port "$device" --open "$device" --send answer --compare \
  --capture capture.txt --frames "$frames" --report-memory --duration 86400 --report report.json \
  "${run_options[@]}" >stats.txt 2>stderr.txt) || status=$?
end=$(date +%s.%N)
stop_simulated_device

# Checked and turned into "name: value" lines by the report's reader.
python3 "$(dirname "$(realpath "$0")")/readreport.py" "$work/report.json" >"$work/report.txt" || true
reported() { sed -n "s/^$1: //p" "$work/report.txt"; }
sent=$(reported tx_packets)
received=$(reported rx_packets)
compared_ok=$(reported compare_ok)
compared_failed=$(reported compare_failed)
errors=$(awk '$1 ~ /^((tx|crc|escape|long|short)_errors|no_reply):$/ { sum += $2 } END { print sum + 0 }' "$work/report.txt")
peer_frames=$(sed -n 's/^frames_received: //p' "$work/peer.txt")
vanished=$(sed -n 's/^vanished: //p' "$work/peer.txt")
lost=$(reported outages)
given_up=$(awk '/^outage_[0-9]+:/ { for (i = 2; i < NF; i++) if ($i == "given_up") sum += $(i + 1) }
  END { print sum + 0 }' "$work/report.txt")
tx_errors=$(reported tx_errors)
capture_lines=$(wc -l <"$work/capture.txt")
# The first report comes once 10000 frames are out (rarely a frame or two later).
memory_first=$(awk '/^memory: [0-9]+ kB after [0-9]+ frames$/ { print $2; exit }' "$work/stderr.txt")
memory_last=$(awk '/^memory: [0-9]+ kB at the end/ { print $2 }' "$work/stderr.txt")
seconds=$(awk "BEGIN { print $end - $start }")

echo "--- statistics panel"
cat "$work/stats.txt"
echo "--- memory (resident)"
grep '^memory:' "$work/stderr.txt" || true
echo "---"
printf 'duration            %.1f s\n' "$seconds"
printf 'round trips/second  %.0f\n' "$(awk "BEGIN { print ${sent:-0} / $seconds }")"
echo "round trip ms       $(reported round_trip_ms)"
echo "memory              ${memory_first:-?} kB after the first 10000 frames, ${memory_last:-?} kB at the end"
echo "capture lines       $capture_lines (round trips: $sent)"
echo "device frames       $peer_frames"
reasons=$(reported reasons)
echo "report reasons      ${reasons:-none}"
[[ -z "$outages" ]] || printf 'outages             %s (the device away %s times), %.1f s in all, %s frames given up, %s send errors\n' \
  "${lost:-?}" "${vanished:-?}" "$(awk "BEGIN { print $(reported outage_ms) / 1000 }")" "$given_up" "$tx_errors"

failures=()
last_words() { grep -v '^memory:' "$work/stderr.txt" | tail -n 3 || true; } # the run's own, if any
if [[ -z "$outages" ]]; then
  [[ $status -eq 0 ]] || failures+=("exit status $status: $(last_words)")
else
  others=$(tr ' ' '\n' <<<"$reasons" | grep -vxE 'port_lost|no_reply|tx_errors' || true)
  [[ " $reasons " == *" port_lost "* && -z "$others" && $status -eq "$(reported exit_code)" ]] ||
    failures+=("exit status $status for '$reasons': $(last_words)")
  (( ${lost:-0} > 0 && lost <= vanished && vanished <= lost + 1 )) ||
    failures+=("${lost:-no} outages for the device's ${vanished:-no} times away") # one more after the run
  ! grep -q '^outage_.* back_s None ' "$work/report.txt" || failures+=("an outage never came back")
fi
[[ "$sent" == "$frames" ]] || failures+=("sent $sent frames, not $frames")
[[ "$received" == $((sent - given_up)) && "$compared_ok" == "$received" ]] &&
  (( peer_frames >= received && peer_frames <= sent )) ||
  failures+=("counters disagree: sent $sent, received $received, compared ok $compared_ok, device $peer_frames, given up $given_up")
[[ "$compared_failed" == 0 ]] || failures+=("$compared_failed comparisons failed")
[[ -n "$sent" ]] || failures+=("no readable report")
(( given_up + tx_errors <= lost && errors == given_up + tx_errors )) ||
  failures+=("$errors send, framing or reply errors counted ($given_up frames given up at $lost outages)")
lines=$((sent + received + tx_errors))
[[ "$capture_lines" -eq $lines ]] || failures+=("capture holds $capture_lines lines, not $lines")
if [[ -n "$memory_first" && -n "$memory_last" ]]; then
  (( memory_last * 10 <= memory_first * 11 && memory_last * 10 >= memory_first * 9 )) ||
    failures+=("memory moved by more than 10%: $memory_first kB to $memory_last kB")
else
  failures+=("no memory figures (fewer than 10000 frames, or no /proc)")
fi

if [[ ${#failures[@]} -gt 0 ]]; then
  printf 'soak FAILED: %s\n' "${failures[@]}"
  exit 1
fi
echo "soak passed"
