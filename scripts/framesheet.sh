#!/usr/bin/env bash
# Draws docs/frames-sheet.png: sixteen moments of the show at 640x480, four to a row, each
# labelled with its time. Look at it (and at the frames around it) after changing an image.
#   scripts/framesheet.sh [BUILD_DIRECTORY]     (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
for tool in tessivar-render tessivar-texgen; do
  [ -x "$build/$tool" ] || { echo "framesheet: no $build/$tool; build first (scripts/build.sh)" >&2; exit 1; }
done

# The opening star over the aurora, the snow ball, the title, the ball trail, inside a cluster,
# the worm meeting the cells, its feelers, the dive, the growth and the explosion.
times=(9 18 24 31 33 42.5 47 56.5 63.5 75 90 100.5 113.5 126.5 130.5 139.5)
frames=$(mktemp -d)
trap 'rm -rf "$frames"' EXIT
args=()
for t in "${times[@]}"; do args+=(--time "$t"); done
"$build/tessivar-render" --size 640x480 "${args[@]}" --out "$frames" >/dev/null
"$build/tessivar-texgen" --frames-sheet docs/frames-sheet.png "$frames"/tessivar-*.png
echo "framesheet: wrote docs/frames-sheet.png"
