#!/usr/bin/env bash
# Sets up, builds and runs the whole test suite under one private Xvfb display.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh --tests
scripts/build.sh

display=:$((90 + RANDOM % 400))
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp -noreset >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null || true' EXIT
for _ in $(seq 50); do
  xdpyinfo -display "$display" >/dev/null 2>&1 && break
  sleep 0.1
done
export DISPLAY=$display SDL_VIDEODRIVER=x11

cd build
ctest --output-on-failure -j "$(nproc)" --timeout 600
