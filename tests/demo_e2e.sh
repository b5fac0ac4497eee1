#!/usr/bin/env bash
# The real demo in a window: it plays on through clicks and other keys; Escape (also behind a flood
# of pointer motion) and the window's close request end it with status 0, SIGINT and SIGTERM with
# 130 and 143 after its own shutdown, and its window destroyed by another program with 1 and one
# line. Without a display it says so. Runs from the repository root with the test run's DISPLAY.
#   demo_e2e.sh BUILDDIR [CASE ...]     cases: escape close int term destroy (default: all)
set -u
build=${1:?usage: demo_e2e.sh BUILDDIR [CASE ...]}
shift
cases=${*:-escape close int term destroy}
export SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy
: "${DISPLAY:?needs an X display}"
work=$(mktemp -d)
trap 'kill -KILL "${pid:-}" 2>/dev/null; rm -rf "$work"' EXIT
fail() { echo "demo_e2e: $1: $2" >&2; cat "$work/log" >&2; exit 1; }
x11() { python3 tests/dialog_x11.py "$@"; }

# Starts the demo through its dialog; sets pid and window. Python runs it, because it tells an
# exit with status 143 (printed as 143) from a death by SIGTERM (printed as -15).
startdemo() {
  python3 -c 'import subprocess, sys
child = subprocess.Popen(sys.argv[1:])
print(child.pid, flush=True)
print(child.wait(), flush=True)' "$build/tessivar" >"$work/run" 2>"$work/log" &
  for _ in $(seq 300); do
    pid=$(head -n 1 "$work/run")
    [ -n "$pid" ] && window=$(xdotool search --all --pid "$pid" --name '^Tessivar$' 2>/dev/null |
      tail -n 1) && [ -n "$window" ] && xwininfo -id "$window" 2>/dev/null | grep -q IsViewable &&
      break
    window=
    sleep 0.1
  done
  [ -n "$window" ] || fail "$1" "no Tessivar window appeared"
  x11 key "$window" Return  # the dialog starts the demo with its defaults
  for _ in $(seq 300); do
    eval "$(xdotool getwindowgeometry --shell "$window" 2>/dev/null)"
    [ "$WIDTH" != 350 ] && break
    sleep 0.1
  done
  [ "$WIDTH" != 350 ] || fail "$1" "the demo window never opened"
  sleep 3
  kill -0 "$pid" 2>/dev/null || fail "$1" "the demo stopped on its own"
}

# Waits for the demo to end and checks its exit status and its message.
endswith() {
  for _ in $(seq 300); do
    [ "$(wc -l <"$work/run")" -ge 2 ] && break
    sleep 0.1
  done
  status=$(sed -n 2p "$work/run")
  [ -n "$status" ] || fail "$1" "the demo did not end"
  [ "$status" = "$2" ] || fail "$1" "exit status $status, not $2"
  [ "$(cat "$work/log")" = "${3:-}" ] || fail "$1" "unexpected messages"
}

message=$(env -u DISPLAY -u SDL_VIDEODRIVER "$build/tessivar" 2>&1)
[ $? = 1 ] && [ "$message" = "tessivar: no display: DISPLAY is not set" ] ||
  fail nodisplay "without a display it said: $message"
for case in $cases; do
  startdemo "$case"
  case $case in
    escape)
      # Clicks, other keys and pointer motion do not end the demo, nor crowd out the Escape after.
      xdotool mousemove --window "$window" 50 50 click 1 key a
      sleep 1
      kill -0 "$pid" 2>/dev/null || fail "$case" "a click or another key ended the demo"
      xdotool $(for i in $(seq 400); do echo mousemove --window "$window" $((i % 100)) 10; done)
      x11 key "$window" Escape
      endswith "$case" 0 ;;
    close) x11 close "$window" && endswith "$case" 0 ;;
    int) kill -INT "$pid" && endswith "$case" 130 ;;
    term) kill -TERM "$pid" && endswith "$case" 143 ;;
    destroy)
      xdotool windowclose "$window"
      endswith "$case" 1 "tessivar: the demo window was closed by another program" ;;
    *) fail "$case" "no such case" ;;
  esac
done
echo "demo_e2e: ok"
