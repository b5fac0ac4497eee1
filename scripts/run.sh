#!/usr/bin/env bash
# Sets up, builds and plays the demo on this machine's display; without a display, exports the
# whole show with its soundtrack to tessivar.mp4 in the repository root instead.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh
if [ -n "${DISPLAY:-}" ]; then
  export SDL_VIDEODRIVER=x11
  exec build/tessivar
fi
echo "tessivar: no display here (DISPLAY is not set); exporting the show to tessivar.mp4 instead" >&2
build/tessivar-export --out tessivar.mp4
echo "tessivar: the show is in $PWD/tessivar.mp4; play it with: mpv tessivar.mp4  (or ffplay, vlc)"
