#!/usr/bin/env bash
# The offscreen renderer: PNGs of the asked size, the same bytes for the same time, and a refusal
# with a non-zero status for whatever it cannot do right. Needs no display.
set -u
build=$(cd "${1:?usage: render_e2e.sh BUILDDIR}" && pwd)
render=$build/tessivar-render
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
fail() { echo "render_e2e: $*" >&2; exit 1; }
unset DISPLAY

"$render" --size 640x480 --time 14.0 --time 20 --out "$out/a" 2>/dev/null && fail "accepted a missing folder"
mkdir -p "$out/a" "$out/b"
"$render" --size 640x480 --time -0 --time 14.0 --time 20 --out "$out/a" >/dev/null || fail "render failed"
# The counter and the static carry state from frame to frame, so repeat the same run, on the
# software rasteriser both times: a GPU may draw other bytes.
for run in a b; do
  "$render" --device software --size 640x480 --time -0 --time 14.0 --time 20 --out "$out/$run" \
    >/dev/null 2>"$out/said" || fail "software render failed"
done
grep -q '^tessivar-render: drawing with .*software' "$out/said" ||
  fail "did not name the software renderer: $(cat "$out/said")"

png="$out/a/tessivar-020.000.png"
[ -f "$png" ] && [ -f "$out/a/tessivar-014.000.png" ] && [ -f "$out/a/tessivar-000.000.png" ] ||
  fail "missing frames: $(ls "$out/a")"
# IHDR: width and height as big-endian words at bytes 16 and 20.
size=$(od -An -tu1 -j16 -N8 "$png" | tr -s ' ')
[ "$size" = " 0 0 2 128 0 0 1 224" ] || fail "frame is not 640x480 ($size)"
cmp -s "$png" "$out/b/tessivar-020.000.png" || fail "the same run gave different bytes"

for bad in "--time" "--time abc --out $out" "--time 200 --out $out" "--size 10x10 --time 1 --out $out" \
           "--time 1" "--bogus 1 --time 1 --out $out" "--size 2049x480 --time 1 --out $out" \
           "--size 4294967936x4294967776 --time 1 --out $out" "--time 20 --time 20.0 --out $out" \
           "--time 1 stray --out $out"; do
  # shellcheck disable=SC2086
  message=$("$render" $bad 2>&1 >/dev/null)
  status=$?
  [ "$status" -ne 0 ] || fail "accepted: $bad"
  case "$message" in *usage:*) ;; *) fail "no usage message for: $bad" ;; esac
done
case "$message" in *"unexpected argument: stray"*) ;; *) fail "a stray argument said: $message" ;; esac

# An image that cannot be read, a FIFO (an open for reading would wait for a writer) among them,
# is named, with why, at once (texman_test has every other reason the loader gives).
mkdir -p "$out/d/data"
ln -s "$PWD"/data/*.png "$out/d/data/"
floor=$out/d/data/floorb.png
loop() { ln -s floorb.png "$1"; }
for case in "mkfifo:a FIFO, not a regular file" "loop:Too many levels of symbolic links"; do
  rm -rf "$floor"
  ${case%%:*} "$floor"
  message=$(cd "$out/d" && timeout 60 "$render" --size 64x48 --time 1 --out . 2>&1 >/dev/null)
  [ "$message" = "tessivar-render: cannot load data/floorb.png: ${case#*:}" ] ||
    fail "with a ${case%%:*} as data/floorb.png it said: $message"
done

# Too little memory: one line naming what was being made, never a crash.
message=$( (ulimit -v 300000; "$render" --size 640x480 --time 1 --out "$out") 2>&1) &&
  fail "drew with too little memory"
[ "$message" = "tessivar-render: out of memory making the offscreen context: the address space is limited to 292 MB (ulimit -v), and it takes about 768 MB" ] ||
  fail "with too little memory it said: $message"
# Closed standard output and error are taken by /dev/null, not by the frame.
mkdir "$out/e"
"$render" --size 640x480 --time 1 --out "$out/e" >&- 2>&- || fail "failed with its output closed"
[ "$(od -An -c -N4 "$out/e/tessivar-001.000.png" | tr -d ' ')" = "211PNG" ] || fail "the frame is no PNG"

# Untextured frames, a cut path and lost output lines are failures, not pictures.
message=$(cd "$out" && "$render" --size 640x480 --time 1 --out . 2>&1) && fail "drew without data/"
[ "$message" = "tessivar-render: cannot load data/floorb.png: No such file or directory (run it from the folder that holds data/)" ] ||
  fail "without data/ it said: $message"
mkdir "$out/c"
"$render" --size 640x480 --time 1 --out "$out/c$(printf '/.%.0s' $(seq 2030))" 2>/dev/null && fail "accepted a path too long"
"$render" --size 640x480 --time 1 --out "$out/c" >/dev/full 2>/dev/null && fail "lost its output lines with status 0"
[ "$(ls "$out/c")" = tessivar-001.000.png ] || fail "stray files: $(ls "$out/c")"
echo "render_e2e: ok"
