#!/usr/bin/env bash
# Runs a command on this checkout inside a Debian 13 (trixie) root, made with debootstrap from
# Debian's own packages when ROOT does not exist yet. The checkout's files (tracked and
# not ignored) are copied to /src/tessivar inside it (an earlier build there is kept); the command
# runs there as root.
#   scripts/debian13.sh ROOT COMMAND...      e.g. scripts/debian13.sh /var/tmp/trixie scripts/test.sh
set -euo pipefail
cd "$(dirname "$0")/.."
[ $# -ge 2 ] || { echo "usage: scripts/debian13.sh ROOT COMMAND..." >&2; exit 2; }
[ "$(id -u)" -eq 0 ] || { echo "debian13: needs root (debootstrap, chroot, mount)" >&2; exit 1; }
root=$(realpath -m "$1")
shift

if [ ! -x "$root/usr/bin/apt-get" ]; then
  command -v debootstrap >/dev/null || {
    apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq debootstrap >/dev/null; }
  echo "debian13: making a Debian 13 root in $root"
  debootstrap --variant=minbase trixie "$root" http://deb.debian.org/debian >/dev/null
fi
cp /etc/resolv.conf "$root/etc/resolv.conf"

mounted=()
unmountall() {
  local i
  for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do umount -l "${mounted[i]}" 2>/dev/null || true; done
}
trap unmountall EXIT
mountin() {  # mountin TARGET MOUNT-ARGUMENTS...
  local target=$root$1
  shift
  mkdir -p "$target"
  mountpoint -q "$target" || { mount "$@" "$target"; mounted+=("$target"); }
}
mountin /proc -t proc proc
mountin /sys --bind /sys
mountin /dev --bind /dev
mountin /dev/pts -t devpts devpts
mountin /dev/shm -t tmpfs tmpfs

# A build from an earlier run is kept, so that a second run builds only what changed.
mkdir -p "$root/src/tessivar"
find "$root/src/tessivar" -mindepth 1 -maxdepth 1 ! -name 'build*' ! -name data -exec rm -rf {} +
git ls-files -z --cached --others --exclude-standard | tar --null -T - -cf - | tar -xf - -C "$root/src/tessivar"
chroot "$root" /usr/bin/env -i HOME=/root TERM="${TERM:-dumb}" PATH=/usr/local/bin:/usr/bin:/bin:/usr/sbin:/sbin \
  LANG=C.UTF-8 bash -c 'cd /src/tessivar && "$@"' chroot "$@"
