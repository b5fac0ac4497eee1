#!/usr/bin/env bash
# The offscreen renderer: PNGs of the asked size, the same bytes for the same time, and a usage
# message with a non-zero status for bad arguments. Needs no display.
set -u
build=${1:?usage: render_e2e.sh BUILDDIR}
render=$build/tessivar-render
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
fail() { echo "render_e2e: $*" >&2; exit 1; }
unset DISPLAY

"$render" --size 640x480 --time 14.0 --time 20 --out "$out/a" 2>/dev/null && fail "accepted a missing folder"
mkdir -p "$out/a" "$out/b"
"$render" --size 640x480 --time 14.0 --time 20 --out "$out/a" >/dev/null || fail "render failed"
# The counter and the static carry state from frame to frame, so repeat the same run.
"$render" --size 640x480 --time 14.0 --time 20 --out "$out/b" >/dev/null || fail "second render failed"

png="$out/a/tessivar-020.000.png"
[ -f "$png" ] && [ -f "$out/a/tessivar-014.000.png" ] || fail "missing frames"
# IHDR: width and height as big-endian words at bytes 16 and 20.
size=$(od -An -tu1 -j16 -N8 "$png" | tr -s ' ')
[ "$size" = " 0 0 2 128 0 0 1 224" ] || fail "frame is not 640x480 ($size)"
cmp -s "$png" "$out/b/tessivar-020.000.png" || fail "the same run gave different bytes"

for bad in "--time" "--time abc --out $out" "--time 200 --out $out" "--size 10x10 --time 1 --out $out" \
           "--time 1" "--bogus 1 --time 1 --out $out"; do
  # shellcheck disable=SC2086
  message=$("$render" $bad 2>&1 >/dev/null)
  status=$?
  [ "$status" -ne 0 ] || fail "accepted: $bad"
  case "$message" in *usage:*) ;; *) fail "no usage message for: $bad" ;; esac
done
echo "render_e2e: ok"
