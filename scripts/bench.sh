#!/usr/bin/env bash
# Runs every benchmark the build produced, one after the other, from the
# runtime folder, then repeats the lines that state a target. The windows they
# build run in scratch folders of their own and find their pictures beside the
# benchmarks.
set -euo pipefail
build=$(realpath "${1:-build}")
cd "$build/runtime"
results=$(mktemp)
trap 'rm -f "$results"' EXIT
for bench in "$build"/bench/bench_*; do
  [[ -x "$bench" ]] || continue
  echo "== $(basename "$bench")"
  QT_QPA_PLATFORM=offscreen "$bench" | tee -a "$results"
done
echo "== targets"
grep 'target' "$results" || true
