#!/usr/bin/env bash
# `make package-check`: the .deb in BUILD holds every file of
# packaging/installed-files.txt under /usr, and lintian reports no error
# (its warnings are printed).
set -euo pipefail
build=${1:-build}
root=$(dirname "$(realpath "$0")")/..
shopt -s nullglob
debs=("$build"/pakto_*.deb)
[[ ${#debs[@]} -eq 1 ]] || { echo "expected one pakto_*.deb in $build, found ${#debs[@]}" >&2; exit 1; }
deb=${debs[0]}

contents=$(dpkg-deb --contents "$deb" | awk '{ print $NF }')
missing=0
while read -r file; do
  grep -qxF "./usr/$file" <<<"$contents" || { echo "missing from $deb: /usr/$file" >&2; missing=1; }
done <"$root/packaging/installed-files.txt"
[[ $missing -eq 0 ]] || exit 1
echo "$deb holds every installed file"

lintian --fail-on error --tag-display-limit 0 "$deb"
echo "lintian: no errors"
