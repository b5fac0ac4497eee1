#!/usr/bin/env bash
# The player on a Wayland-only desktop (a headless weston, no X display): over sdl12-compat it
# opens its dialog there; over classic SDL 1.2, which has no Wayland driver, it says why it
# cannot start. Skips (77) without weston.
set -u
build=$(cd "${1:?usage: wayland_e2e.sh BUILDDIR}" && pwd)
binary=$build/tessivar
fail() { echo "wayland_e2e: $*" >&2; exit 1; }
command -v weston >/dev/null || { echo "wayland_e2e: no weston here; skipped" >&2; exit 77; }

work=$(mktemp -d)
trap 'kill "${app:-}" "${compositor:-}" 2>/dev/null; wait 2>/dev/null; rm -rf "$work"' EXIT
unset DISPLAY SDL_VIDEODRIVER  # the player is to find Wayland on its own
export XDG_RUNTIME_DIR=$work SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=$work/audio.raw
socket=tessivar-$$

if ! grep -qa 'libSDL2-2.0' "$(ldd "$binary" | awk '/libSDL-1.2/ { print $3 }')"; then
  WAYLAND_DISPLAY=$socket "$binary" 2>"$work/said" && fail "classic SDL started without a display"
  grep -q "cannot drive Wayland" "$work/said" || fail "classic SDL said: $(cat "$work/said")"
  echo "wayland_e2e: classic SDL 1.2 refuses Wayland with a reason: ok"
  exit 0
fi

weston --backend=headless --renderer=pixman --socket="$socket" --width=1280 --height=1024 \
  --idle-time=0 >"$work/weston.log" 2>&1 &
compositor=$!
for _ in $(seq 100); do [ -S "$work/$socket" ] && break; sleep 0.1; done
[ -S "$work/$socket" ] || fail "weston did not start: $(tail -3 "$work/weston.log")"

# The client's own protocol log shows the dialog's window as the compositor got it.
WAYLAND_DISPLAY=$socket WAYLAND_DEBUG=client "$binary" 2>"$work/said" &
app=$!
for _ in $(seq 150); do
  grep -q 'xdg_toplevel#[0-9]*\.set_title("Tessivar")' "$work/said" && break
  kill -0 "$app" 2>/dev/null || fail "ended before its window: $(grep -v '^\[' "$work/said")"
  sleep 0.1
done
grep -q 'set_title("Tessivar")' "$work/said" || fail "no Tessivar window on Wayland"
grep -q 'no display' "$work/said" && fail "said there is no display"
kill -TERM "$app"
wait "$app"
app=
echo "wayland_e2e: the dialog opens on Wayland: ok"
