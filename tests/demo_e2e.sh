#!/usr/bin/env bash
# The real demo in a window: it plays on through clicks, other keys and the window's close request;
# Escape (also behind a flood of pointer motion, within a second) ends it with status 0, SIGINT and
# SIGTERM with 130 and 143 after its own shutdown, in the dialog as in the demo, and its window
# destroyed by another program with 1 and one line. Data it cannot load is named on stderr and the
# demo plays on without it; a soundtrack that is no 44.1 kHz stereo MP3 stream never reaches the
# decoder. Without a display it says so. Runs from the repository root with the test run's DISPLAY.
#   demo_e2e.sh BUILDDIR [CASE ...]     cases: escape close int term dialog destroy data music
#                                       (default: all)
set -u
build=$(cd "${1:?usage: demo_e2e.sh BUILDDIR [CASE ...]}" && pwd)
shift
cases=${*:-escape close int term dialog destroy data music}
export SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy
: "${DISPLAY:?needs an X display}"
work=$(mktemp -d)
trap 'kill -KILL "${pid:-}" 2>/dev/null; rm -rf "$work"' EXIT
fail() { echo "demo_e2e: $1: $2" >&2; cat "$work/log" >&2; exit 1; }
x11() { python3 tests/dialog_x11.py "$@"; }

# Starts the player in folder $2 (default: here) and waits for its dialog; sets pid and window.
# Python runs it, because it tells an exit with status 143 (printed as 143) from a death by
# SIGTERM (printed as -15).
startplayer() {
  (cd "${2:-.}" && exec python3 -c 'import subprocess, sys
child = subprocess.Popen(sys.argv[1:])
print(child.pid, flush=True)
print(child.wait(), flush=True)' "$build/tessivar") >"$work/run" 2>"$work/log" &
  for _ in $(seq 300); do
    pid=$(head -n 1 "$work/run")
    [ -n "$pid" ] && window=$(xdotool search --all --pid "$pid" --name '^Tessivar$' 2>/dev/null |
      tail -n 1) && [ -n "$window" ] && xwininfo -id "$window" 2>/dev/null | grep -q IsViewable &&
      break
    window=
    sleep 0.1
  done
  [ -n "$window" ] || fail "$1" "no Tessivar window appeared"
}

# The player through its dialog into the demo (with the dialog's defaults: music on).
startdemo() {
  startplayer "$@"
  x11 key "$window" Return
  for _ in $(seq 300); do
    eval "$(xdotool getwindowgeometry --shell "$window" 2>/dev/null)"
    [ "$WIDTH" != 350 ] && break
    sleep 0.1
  done
  [ "$WIDTH" != 350 ] || fail "$1" "the demo window never opened"
  sleep 3
  kill -0 "$pid" 2>/dev/null || fail "$1" "the demo stopped on its own"
}

# Waits for the demo to end, at most $4 tenths of a second (default 30 s), and checks its exit
# status and its messages.
endswith() {
  for _ in $(seq "${4:-300}"); do
    [ "$(wc -l <"$work/run")" -ge 2 ] && break
    sleep 0.1
  done
  status=$(sed -n 2p "$work/run")
  [ -n "$status" ] || fail "$1" "the demo did not end within $(( ${4:-300} / 10 )) s"
  [ "$status" = "$2" ] || fail "$1" "exit status $status, not $2"
  [ "$(cat "$work/log")" = "${3:-}" ] || fail "$1" "unexpected messages"
}

# A folder to play in: data/ holds the real textures unless told "none", and the given soundtrack.
playfolder() {
  rm -rf "$work/play"
  mkdir -p "$work/play/data"
  [ "$1" = none ] && return
  ln -s "$PWD"/data/*.png "$work/play/data/"
  cp "$1" "$work/play/data/zib-dovrin-halvenmoor.mp3"
}

message=$(env -u DISPLAY -u SDL_VIDEODRIVER "$build/tessivar" 2>&1)
[ $? = 1 ] && [ "$message" = "tessivar: no display: DISPLAY is not set" ] ||
  fail nodisplay "without a display it said: $message"
for case in $cases; do
  case $case in
    escape)
      startdemo "$case"
      # Clicks, other keys and pointer motion do not end the demo, nor crowd out the Escape after.
      xdotool mousemove --window "$window" 50 50 click 1 key a
      sleep 1
      kill -0 "$pid" 2>/dev/null || fail "$case" "a click or another key ended the demo"
      xdotool $(for i in $(seq 400); do echo mousemove --window "$window" $((i % 100)) 10; done)
      x11 key "$window" Escape
      endswith "$case" 0 "" "${TESSIVAR_ESCAPE_TENTHS:-10}" ;;
    close)
      startdemo "$case"
      x11 close "$window"
      sleep 2
      kill -0 "$pid" 2>/dev/null || fail "$case" "the close request ended the demo"
      x11 key "$window" Escape
      endswith "$case" 0 ;;
    int) startdemo "$case" && kill -INT "$pid" && endswith "$case" 130 ;;
    term) startdemo "$case" && kill -TERM "$pid" && endswith "$case" 143 ;;
    dialog)
      for signal in INT:130 TERM:143; do
        startplayer "$case"
        kill -"${signal%:*}" "$pid" && endswith "$case" "${signal#*:}"
      done ;;
    destroy)
      startdemo "$case"
      xdotool windowclose "$window"
      endswith "$case" 1 "tessivar: the demo window was closed by another program" ;;
    data)
      # Without data/ every image and the music are named; the show plays on, untextured, silent.
      playfolder none
      startdemo "$case" "$work/play"
      x11 key "$window" Escape
      expected=$(for image in floorb skya snowa cella bga cellc logoa logob celle worma splatb celld; do
        echo "tessivar: cannot load data/$image.png: No such file or directory; its scenes draw untextured"
      done
      echo "tessivar: music off: data/zib-dovrin-halvenmoor.mp3: No such file or directory")
      endswith "$case" 0 "$expected" ;;
    music)
      # An 8 kHz mono MP3 and "ID3" before noise made SDL_mixer's decoder overrun its buffers.
      python3 -c 'import random, sys
noise = random.Random(19)
frame = lambda: bytes([0xFF, 0xE3, 0x48, 0xC0]) + bytes(noise.getrandbits(8) for _ in range(284))
open(sys.argv[1], "wb").write(b"".join(frame() for _ in range(2000)))
open(sys.argv[2], "wb").write(b"ID3" + bytes(noise.getrandbits(8) for _ in range(500000)))' \
        "$work/mono8k.mp3" "$work/noise.mp3"
      for run in 1 2 3; do
        for music in mono8k noise; do
          playfolder "$work/$music.mp3"
          startdemo "$case ($music, run $run)" "$work/play"
          x11 key "$window" Escape
          endswith "$case ($music, run $run)" 0 \
            "tessivar: music off: data/zib-dovrin-halvenmoor.mp3 is not a 44.1 kHz stereo MP3 stream"
        done
      done ;;
    *) fail "$case" "no such case" ;;
  esac
done
echo "demo_e2e: ok"
