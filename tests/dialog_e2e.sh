#!/usr/bin/env bash
# The setup dialog in a real window: its picture against the committed reference, its keys and
# buttons, and the choices arriving in the demo (size, full screen, music, hidden cursor).
# Usage, from the repository root with DISPLAY set: bash tests/dialog_e2e.sh BUILD_DIR
# TESSIVAR_UPDATE_GOLDEN=1 rewrites tests/golden/dialog.png and docs/dialog.png instead.
set -eEuo pipefail
trap 'echo "dialog_e2e: FAIL: line $LINENO: \"$BASH_COMMAND\" exited with status $?" >&2' ERR

build=$(cd "${1:?usage: dialog_e2e.sh BUILD_DIR}" && pwd)
binary=$build/tessivar
reference=tests/golden/dialog.png
export SDL_VIDEODRIVER=x11
[ -n "${DISPLAY:-}" ] || { echo "dialog_e2e: needs an X display (DISPLAY)" >&2; exit 1; }

# Which SDL 1.2 the player runs on: sdl12-compat loads SDL 2 by name.
sdl=classic
grep -qa 'libSDL2-2.0' "$(ldd "$binary" | awk '/libSDL-1.2/ { print $3 }')" && sdl=compat

work=$(mktemp -d)
helpers=()
cleanup() {
  [ -z "${app:-}" ] || kill -KILL "$app" 2>/dev/null || true
  for pid in "${helpers[@]}"; do kill "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT

fail() { echo "dialog_e2e: FAIL: $*" >&2; exit 1; }
x11() { python3 tests/dialog_x11.py "$@"; }

# The X server resets whenever its last client leaves and refuses connections meanwhile, so
# one connection stays open for the whole test.
xprop -root -spy >/dev/null 2>&1 &
helpers+=($!)

# Starts the program (its audio goes to $work/NAME.raw) and waits for its dialog window, told
# apart from other tests' windows by its process id; SDL replaces its first window early on.
start() {
  name=$1
  SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$work/$name.raw" "$binary" >"$work/$name.log" 2>&1 &
  app=$!
  window=
  for _ in $(seq 150); do
    for candidate in $(xdotool search --all --pid "$app" --name '^Tessivar$' || true); do
      xwininfo -id "$candidate" 2>/dev/null | grep -q IsViewable && window=$candidate && break
    done
    [ -n "$window" ] && break
    kill -0 "$app" 2>/dev/null || fail "$name: ended before its window: $(cat "$work/$name.log")"
    sleep 0.1
  done
  [ -n "$window" ] || fail "$name: no window named Tessivar appeared"
  # Away from the corner where other programs' windows open, so their pointer and keys miss it.
  xdotool windowmove "$window" 400 300 windowraise "$window"
  sleep 0.5
}

press() { x11 key "$window" "$1"; }

# Clicks at a point of the dialog given in its own pixels (origin lower left, y up).
clickdialog() {
  xdotool windowraise "$window" mousemove --window "$window" "$1" $((130 - $2))
  sleep 0.2
  xdotool click 1
  sleep 0.3
}

# Waits for the program to end by itself and checks that it ended well.
finished() {
  local limit=$1 status=0
  for _ in $(seq $((limit * 10))); do
    kill -0 "$app" 2>/dev/null || break
    sleep 0.1
  done
  kill -0 "$app" 2>/dev/null && fail "$name: still running ${limit} s after it should have ended"
  wait "$app" || status=$?
  app=
  [ "$status" -eq 0 ] || fail "$name: exit status $status: $(cat "$work/$name.log")"
  # SDL's disk audio driver announces itself (SDL 2's as "CRITICAL"); the program prints nothing.
  own=$(grep -v -e 'disk writer audio driver' -e 'disk i/o audio driver' -e 'Writing to file' \
    "$work/$name.log" || true)
  [ -z "$own" ] || fail "$name: printed something: $own"
}

# "window WxH" or "fullscreen WxH" for the demo's drawing window. Classic SDL draws in a child
# of the named window, and in full screen moves it into an override-redirect window of its own
# (same X client, so the same top bits in the window id). sdl12-compat draws in the named window
# itself and asks the window manager for full screen; with none here, full screen shows only as
# the window taking the screen's size.
size() { awk '/Width:/ { w = $2 } /Height:/ { h = $2 } END { print w "x" h }'; }
glwindow() {
  local child info top own
  child=$(xwininfo -children -id "$window" | awk '$1 ~ /^0x/ { print $1; exit }')
  [ -z "$child" ] || { echo "window $(xwininfo -id "$child" | size)"; return; }
  if [ "$sdl" = compat ]; then
    own=$(xwininfo -id "$window" | size)
    [ "$own" = "$(xwininfo -root | size)" ] && echo "fullscreen $own" || echo "window $own"
    return
  fi
  for top in $(xwininfo -root -children | awk '$1 ~ /^0x/ { print $1 }'); do
    [ $((top >> 20)) -eq $((window >> 20)) ] && [ $((top)) -ne $((window)) ] || continue
    info=$(xwininfo -id "$top")
    grep -q 'Override Redirect State: yes' <<<"$info" && grep -q IsViewable <<<"$info" || continue
    echo "fullscreen $(size <<<"$info")"
    return
  done
  echo "none"
}

# Waits until the demo has set its video mode and reports it.
waitdemo() {
  local mode=
  for _ in $(seq 300); do
    mode=$(glwindow)
    [ "$mode" != "window 350x130" ] && [ "$mode" != none ] && break
    kill -0 "$app" 2>/dev/null || fail "$name: ended instead of starting the demo"
    sleep 0.1
  done
  echo "$mode"
}

cursorpixels() {
  xdotool mousemove --window "$window" 20 20
  sleep 0.3
  x11 cursor
}

# Music reached the disk audio device when its file holds more than silence (the piece fades in
# and the driver writes slower than real time, so this may take a while on a busy machine).
musicplays() {
  local file=$work/$name.raw
  for _ in $(seq 300); do
    if [ -s "$file" ] && ! cmp -s -n "$(stat -c %s "$file")" "$file" /dev/zero; then return 0; fi
    sleep 0.1
  done
  return 1
}

# 1. The dialog as it opens; then Return takes the defaults: 1280x1024 full screen with music.
start defaults
x11 png "$window" "$work/dialog.png"
if [ "${TESSIVAR_UPDATE_GOLDEN:-}" = 1 ]; then
  cp "$work/dialog.png" "$reference"
  cp "$work/dialog.png" docs/dialog.png
  echo "dialog_e2e: wrote $reference and docs/dialog.png"
else
  x11 compare "$work/dialog.png" "$reference" 40 || fail "the dialog does not look like $reference"
fi
[ "$(cursorpixels)" -gt 0 ] || fail "the dialog should show the pointer"
press Return
mode=$(waitdemo)
[ "$mode" = "fullscreen 1280x1024" ] || fail "defaults: expected full-screen 1280x1024, got $mode"
[ "$(cursorpixels)" -eq 0 ] || fail "defaults: the pointer is still visible over the demo"
musicplays || fail "defaults: no music reached the audio device"
press Escape
finished 30

# 2. 800x600, full screen and music unticked, then "Intro": a silent 800x600 window.
start choices
clickdialog 17 87    # 800x600
clickdialog 167 107  # fullscreen
clickdialog 167 87   # music
clickdialog 40 22    # Intro
mode=$(waitdemo)
[ "$mode" = "window 800x600" ] || fail "choices: expected an 800x600 window, got $mode"
[ "$(cursorpixels)" -eq 0 ] || fail "choices: the pointer is still visible over the demo"
sleep 1
[ ! -e "$work/$name.raw" ] || fail "choices: music unticked, yet the audio device was opened"
press Escape
finished 30

# 3. "Die", Escape and closing the window end the program at once, without a demo: the demo
# would run for minutes, so ending within seconds shows it never started.
start die; clickdialog 110 22; finished 5
start escape; press Escape; finished 5
start close; x11 close "$window"; finished 5
echo "dialog_e2e: all checks passed"
