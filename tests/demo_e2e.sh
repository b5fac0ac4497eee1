#!/usr/bin/env bash
# The real demo in a window: it starts, keeps running through other input, and an Escape ends it
# with exit status 0. Runs from the repository root with the test run's DISPLAY.
set -u
build=${1:?usage: demo_e2e.sh BUILDDIR}
export SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy
: "${DISPLAY:?needs an X display}"

fail() { echo "demo_e2e: $*" >&2; kill -KILL "$pid" 2>/dev/null; exit 1; }

"$build/tessivar" &
pid=$!

# Waits until the process's own "Tessivar" window exists and prints its id.
findwindow() {
  for _ in $(seq 100); do
    id=$(xdotool search --all --pid "$pid" --name '^Tessivar$' 2>/dev/null | tail -n 1)
    [ -n "$id" ] && xwininfo -id "$id" 2>/dev/null | grep -q IsViewable && { echo "$id"; return 0; }
    sleep 0.1
  done
  return 1
}

window=$(findwindow) || fail "no Tessivar window appeared"
eval "$(xdotool getwindowgeometry --shell "$window")"
if [ "$WIDTH" = 350 ] && [ "$HEIGHT" = 130 ]; then
  # The setup dialog: start the demo with its defaults.
  xdotool mousemove --window "$window" 20 20 key Return
  for _ in $(seq 100); do
    eval "$(xdotool getwindowgeometry --shell "$window" 2>/dev/null)"
    [ "$WIDTH" != 350 ] && break
    sleep 0.1
  done
fi
[ "$WIDTH" != 350 ] || fail "the demo window never opened"

sleep 3
kill -0 "$pid" 2>/dev/null || fail "the demo stopped on its own"

# Clicks, other keys and releases do not end the demo.
xdotool mousemove --window "$window" 50 50 click 1 key a
sleep 1
kill -0 "$pid" 2>/dev/null || fail "a click or another key ended the demo"

xdotool key Escape
for _ in $(seq 100); do
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.1
done
kill -0 "$pid" 2>/dev/null && fail "Escape did not end the demo"
wait "$pid"
status=$?
[ "$status" -eq 0 ] || fail "exit status $status"
echo "demo_e2e: ok"
