#!/usr/bin/env bash
# Runs every benchmark the build produced, one after the other.
set -euo pipefail
build=${1:-build}
for bench in "$build"/bench/bench_*; do
  [[ -x "$bench" ]] || continue
  echo "== $(basename "$bench")"
  QT_QPA_PLATFORM=offscreen "$bench"
done
