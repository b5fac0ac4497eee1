#!/usr/bin/env bash
# Redraws every golden reference frame listed in tests/golden/times.txt with the renderer.
# Run it deliberately, after looking at the frames: the test compares against what this writes.
#   scripts/golden.sh [BUILD_DIRECTORY]     (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
renderer=$build/tessivar-render
list=tests/golden/times.txt
[ -x "$renderer" ] || { echo "golden: no $renderer; build first (scripts/build.sh)" >&2; exit 1; }

args=()
while read -r line; do
  case $line in '' | '#'*) continue ;; esac
  args+=(--time "$line")
done <"$list"
[ ${#args[@]} -gt 0 ] || { echo "golden: no times in $list" >&2; exit 1; }

# One run draws every time in order, exactly as the test does, and keeps each frame at half size.
"$renderer" --device software --size 640x480 --half "${args[@]}" --out tests/golden
