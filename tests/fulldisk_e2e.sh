#!/usr/bin/env bash
# The renderer on a full disk: it says why and fails, its frame appears whole or not at all, and
# the good frame already there stays as it was. Needs root for a tiny tmpfs; skips (77) without.
set -u
build=$(cd "${1:?usage: fulldisk_e2e.sh BUILDDIR}" && pwd)
work=$(mktemp -d)
disk=$work/disk
mkdir "$disk"
if ! why=$(mount -t tmpfs -o size=1m tessivar-full "$disk" 2>&1); then
  echo "fulldisk_e2e: skipped: cannot mount a small tmpfs (needs root): $why"
  rm -rf "$work"
  exit 77
fi
trap 'umount "$disk"; rm -rf "$work"' EXIT
fail() { echo "fulldisk_e2e: $*" >&2; exit 1; }
unset DISPLAY

"$build/tessivar-render" --size 640x480 --time 20 --out "$work" >/dev/null || fail "render failed"
cp "$work/tessivar-020.000.png" "$disk/"
dd if=/dev/zero of="$disk/filler" bs=4k 2>/dev/null  # runs until the disk is full
for time in 20 14; do  # over the good frame, then a new one
  "$build/tessivar-render" --size 640x480 --time $time --out "$disk" 2>"$work/said" >/dev/null &&
    fail "reported success on a full disk"
  message=$(grep -v '^tessivar-render: drawing with ' "$work/said")
  [ "$message" = "tessivar-render: cannot write $disk/tessivar-0$time.000.png: No space left on device" ] ||
    fail "said: $message"
done
cmp -s "$work/tessivar-020.000.png" "$disk/tessivar-020.000.png" || fail "the good frame was damaged"
[ "$(ls -A "$disk" | tr '\n' ' ')" = "filler tessivar-020.000.png " ] || fail "left: $(ls -A "$disk")"
rm "$disk/filler"
"$build/tessivar-render" --size 640x480 --time 14 --time 20 --out "$disk" >/dev/null || fail "render failed with room"
# The counter moves on with every frame drawn, so this run's frame at 20 s is another picture.
cmp -s "$work/tessivar-020.000.png" "$disk/tessivar-020.000.png" && fail "the frame was not replaced"
echo "fulldisk_e2e: ok"
