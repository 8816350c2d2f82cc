#!/usr/bin/env bash
# `make soak`: SOAK_FRAMES (one million by default) answer-driven round trips
# through the simulated device, with a capture file on.
# Passes when every counter of the run's JSON report agrees, the capture holds
# two lines per round trip, and the memory at the end is within 10% of its size
# after the first 10,000 frames.
set -euo pipefail
build=$(realpath "${1:-build}")
frames=${SOAK_FRAMES:-1000000}
runtime="$build/runtime"
work=$(mktemp -d)

source "$(dirname "$(realpath "$0")")/simulated-device.sh"
trap 'stop_simulated_device; rm -rf "$work"' EXIT
start_simulated_device "$runtime/pakto-peer" "$work/peer.txt" || exit 1

# An empty working directory: default settings. The counters come from the
# run's JSON report, read with python3.
echo "soak: $frames round trips through $device ..."
start=$(date +%s.%N)
status=0
(cd "$work" && "$runtime/pakto" --port "$device" --open "$device" --send answer --compare \
  --capture capture.txt --frames "$frames" --report-memory --duration 86400 --report report.json \
  >stats.txt 2>stderr.txt) || status=$?
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

failures=()
[[ $status -eq 0 ]] || failures+=("exit status $status: $(grep -v '^memory:' "$work/stderr.txt" | tail -n 3)")
[[ "$sent" == "$frames" ]] || failures+=("sent $sent frames, not $frames")
[[ "$received" == "$sent" && "$compared_ok" == "$sent" && "$peer_frames" == "$sent" ]] ||
  failures+=("counters disagree: sent $sent, received $received, compared ok $compared_ok, device $peer_frames")
[[ "$compared_failed" == 0 ]] || failures+=("$compared_failed comparisons failed")
[[ -n "$sent" ]] || failures+=("no readable report")
[[ "$errors" == 0 ]] || failures+=("$errors send, framing or reply errors counted")
[[ "$capture_lines" -eq $((2 * sent)) ]] || failures+=("capture holds $capture_lines lines, not $((2 * sent))")
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
