#!/usr/bin/env bash
# Exports the show to a film with the exporter, saying first what the film will be and about how
# long making it takes on this machine (from the bench drawing 16 moments of it just now), and
# afterwards how to watch it.
#   scripts/export.sh [BUILD_DIRECTORY] [EXPORTER OPTIONS]
# (default: build/, and the exporter's own defaults: the whole show at 1024x768 and 30 fps, with
# its music, to tessivar.mp4). Run it from the folder that holds data/.
set -euo pipefail
build=build
if [ $# -gt 0 ] && [ "${1#--}" = "$1" ]; then build=$1; shift; fi
size=1024x768 fps=30 from=0 to=158 out=tessivar.mp4
args=("$@")
while [ $# -ge 2 ]; do
  case $1 in
    --size) size=$2 ;;
    --fps) fps=$2 ;;
    --from) from=$2 ;;
    --to) to=$2 ;;
    --out) out=$2 ;;
  esac
  shift
done

say() { echo "tessivar: $*" >&2; }
length=$(awk -v a="$from" -v b="$to" 'BEGIN { printf "%g", b - a }')
say "the film: $length s of the show (from $from to $to s) at $size and $fps fps, with its music, into $out"
# The bench's mean time per frame over the stretch, times the frames, and a tenth for encoding
# (x264 runs on threads beside the drawing).
step=$(awk -v l="$length" 'BEGIN { printf "%.3f", (l / 16 > 0.01 ? l / 16 : 0.01) }')
if mean=$("$build/tessivar-bench" --size "$size" --frames 1 --from "$from" --to "$to" \
    --step "$step" 2>/dev/null | awk '$1 == "Timeline" { print $6 }') && [ -n "$mean" ]; then
  minutes=$(awk -v m="$mean" -v l="$length" -v f="$fps" 'BEGIN { printf "%.0f", m * l * f * 1.1 / 60000 }')
  [ "$minutes" -ge 1 ] && estimate="about $minutes minutes" || estimate="under a minute"
  say "making it takes $estimate here, as busy as this machine is now (the bench just drew a frame of it every $step s, in $mean ms on average)"
else
  say "no estimate of how long making it takes here: the bench did not run"
fi

"$build/tessivar-export" "${args[@]}"

say "the show is in $(realpath -m "$out")"
for player in mpv vlc; do
  if command -v "$player" >/dev/null; then
    say "watch it with: $player $out"
    exit 0
  fi
done
say "to watch it, install a video player once, for example: sudo apt install mpv"
say "and then: mpv $out   (or: sudo apt install vlc, then: vlc $out)"
