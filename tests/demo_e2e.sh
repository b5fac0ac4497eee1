#!/usr/bin/env bash
# The real player in a window. Its setup dialog: its picture against the committed reference, its
# keys and buttons, and the choices arriving in the demo (size, full screen, music, hidden
# cursor); "Die", Escape, closing it, SIGINT and SIGTERM end it at once. The demo: it plays on
# through clicks, other keys and the window's close request; Escape (also behind a flood of pointer
# motion, within a second) ends it with status 0, SIGINT and SIGTERM with 130 and 143 after its own
# shutdown, and its window destroyed by another program with 1 and one line. Data it cannot load is
# named on stderr and the demo plays on without it; a soundtrack that is no 44.1 kHz stereo MP3
# stream never reaches the decoder. Without a display it says so. Runs from the repository root
# with the test run's DISPLAY.
#   demo_e2e.sh BUILDDIR [CASE ...]     cases: look choices dialog escape close int term destroy
#                                       data music (default: all)
# TESSIVAR_UPDATE_GOLDEN=1 makes "look" rewrite tests/golden/dialog.png and docs/dialog.png instead.
set -u
build=$(cd "${1:?usage: demo_e2e.sh BUILDDIR [CASE ...]}" && pwd)
shift
cases=${*:-look choices dialog escape close int term destroy data music}
export SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy
: "${DISPLAY:?needs an X display}"
work=$(mktemp -d)
# The X server resets whenever its last client leaves and refuses connections meanwhile, so one
# connection stays open for the whole test.
xprop -root -spy >/dev/null 2>&1 &
spy=$!
trap 'kill -KILL "${pid:-}" 2>/dev/null; kill "$spy"; rm -rf "$work"' EXIT
fail() { echo "demo_e2e: $1: $2" >&2; cat "$work/log" >&2; exit 1; }
x11() { python3 tests/dialog_x11.py "$@"; }
# Which SDL 1.2 the player runs on: sdl12-compat loads SDL 2 by name.
sdl=classic
grep -qa 'libSDL2-2.0' "$(ldd "$build/tessivar" | awk '/libSDL-1.2/ { print $3 }')" && sdl=compat

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
  # Away from the corner where other programs' windows open, so their pointer and keys miss it.
  xdotool windowmove "$window" 400 300 windowraise "$window"
  sleep 0.5
}

# Clicks at a point of the dialog given in its own pixels (origin lower left, y up).
clickdialog() {
  xdotool windowraise "$window" mousemove --window "$window" "$1" $((130 - $2))
  sleep 0.2
  xdotool click 1
  sleep 0.3
}

# The player through its dialog into the demo (with the dialog's defaults: music on).
startdemo() {
  startplayer "$@"
  x11 key "$window" Return
  case $(waitdemo) in "window 350x130" | none) fail "$1" "the demo window never opened" ;; esac
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
  # SDL's disk audio driver announces itself (SDL 2's as "CRITICAL"); the program says only this.
  said=$(grep -v -e 'disk writer audio driver' -e 'disk i/o audio driver' -e 'Writing to file' \
    "$work/log")
  [ "$said" = "${3:-}" ] || fail "$1" "unexpected messages"
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

# Waits until the demo has set its video mode, the same on two readings running (the window may
# pass through another on the way), and reports it.
waitdemo() {
  local mode= last=
  for _ in $(seq 150); do
    mode=$(glwindow)
    [ "$mode" = "$last" ] && [ "$mode" != "window 350x130" ] && [ "$mode" != none ] && break
    last=$mode
    sleep 0.2
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
  for _ in $(seq 300); do
    [ -s "$1" ] && ! cmp -s -n "$(stat -c %s "$1")" "$1" /dev/zero && return 0
    sleep 0.1
  done
  return 1
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
    look)
      # The dialog as it opens, with the pointer; Return takes the defaults: 1280x1024 full screen
      # with music, and no pointer.
      SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=$work/$case.raw startplayer "$case"
      x11 png "$window" "$work/dialog.png" || fail "$case" "no screenshot"
      if [ "${TESSIVAR_UPDATE_GOLDEN:-}" = 1 ]; then
        cp "$work/dialog.png" tests/golden/dialog.png && cp "$work/dialog.png" docs/dialog.png
        echo "demo_e2e: wrote tests/golden/dialog.png and docs/dialog.png"
      else
        x11 compare "$work/dialog.png" tests/golden/dialog.png 40 ||
          fail "$case" "the dialog does not look like tests/golden/dialog.png"
      fi
      [ "$(cursorpixels)" -gt 0 ] || fail "$case" "the dialog should show the pointer"
      x11 key "$window" Return
      mode=$(waitdemo)
      [ "$mode" = "fullscreen 1280x1024" ] || fail "$case" "expected full-screen 1280x1024, got $mode"
      [ "$(cursorpixels)" -eq 0 ] || fail "$case" "the pointer is still visible over the demo"
      musicplays "$work/$case.raw" || fail "$case" "no music reached the audio device"
      x11 key "$window" Escape
      endswith "$case" 0 ;;
    choices)
      # 800x600, full screen and music unticked, then "Intro": a silent 800x600 window.
      SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=$work/$case.raw startplayer "$case"
      clickdialog 17 87    # 800x600
      clickdialog 167 107  # fullscreen
      clickdialog 167 87   # music
      clickdialog 40 22    # Intro
      mode=$(waitdemo)
      [ "$mode" = "window 800x600" ] || fail "$case" "expected an 800x600 window, got $mode"
      [ "$(cursorpixels)" -eq 0 ] || fail "$case" "the pointer is still visible over the demo"
      sleep 1
      [ ! -e "$work/$case.raw" ] || fail "$case" "music unticked, yet the audio device was opened"
      x11 key "$window" Escape
      endswith "$case" 0 ;;
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
      # "Die", Escape and closing the window end the program within seconds, so without the demo,
      # which would run for minutes; so do the signals, with their statuses.
      startplayer "$case" && clickdialog 110 22 && endswith "$case" 0 "" 50
      startplayer "$case" && x11 key "$window" Escape && endswith "$case" 0 "" 50
      startplayer "$case" && x11 close "$window" && endswith "$case" 0 "" 50
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
