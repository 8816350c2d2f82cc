#!/bin/sh
# Renders a manual page as `man` would at 80 columns; fails on any warning.
set -e
warnings=$(MANWIDTH=80 man --warnings -l "$1" 2>&1 >/dev/null)
[ -z "$warnings" ] || { printf '%s\n' "$warnings"; exit 1; }
