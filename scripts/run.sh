#!/usr/bin/env bash
# Sets up, builds and plays the demo on this machine's display.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh
if [ -z "${DISPLAY:-}" ]; then
  echo "tessivar: no display here (DISPLAY is not set); render frames offscreen instead: build/tessivar-render --time 20 --out ." >&2
  exit 1
fi
export SDL_VIDEODRIVER=x11
exec build/tessivar
