#!/usr/bin/env bash
# Starts the window from the staged runtime folder, where it finds its
# translations, pictures and settings file.
set -euo pipefail
build=${1:-build}
cd "$build/runtime"
exec ./pakto "${@:2}"
