#!/usr/bin/env bash
# The hardening suite, in parts that ctest runs once "build" has passed:
#   hardened.sh build BUILDDIR     the player, the renderer and the fuzz targets of the PNG loader
#                                  and of the soundtrack's stream check under AddressSanitizer and
#                                  UBSan, built with clang in BUILDDIR/hardened
#   hardened.sh timeline BUILDDIR  the whole timeline every 2 s through that renderer
#   hardened.sh window BUILDDIR    that player in a real window on DISPLAY, ended by Escape, also
#                                  with soundtracks that once broke SDL_mixer's MP3 decoder
#   hardened.sh fuzz BUILDDIR      each fuzz target, from data/'s images and the start of its
#                                  soundtrack, for TESSIVAR_FUZZ_SECONDS (30) each
# Any sanitizer report fails its part, a leak included unless it lies inside the GL driver, EGL or
# Xlib (tests/lsan.supp). Parts that cannot run here say why and exit 77 (skipped).
set -u
part=${1:?usage: hardened.sh build|timeline|window|fuzz BUILDDIR}
build=$(cd "${2:?usage: hardened.sh build|timeline|window|fuzz BUILDDIR}" && pwd)
hardened=$build/hardened
export ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS=suppressions=$PWD/tests/lsan.supp:print_suppressions=0
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
if [ "$part" != build ] && [ ! -x "$hardened/tests/texman_fuzz" ]; then
  echo "hardened: skipped: no hardened build in $hardened"
  exit 77
fi

case $part in
  build)
    # clang links its sanitizer runtimes into the programs, which lets the module keeper go first.
    command -v clang++ >/dev/null || { echo "hardened: skipped: needs clang (scripts/setup.sh)"; exit 77; }
    flags="-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer"
    cmake -S . -B "$hardened" -DTESSIVAR_HARDENED=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_C_FLAGS="$flags" \
      -DCMAKE_CXX_FLAGS="$flags" >/dev/null &&
      cmake --build "$hardened" -j "$(nproc)" \
        --target tessivar tessivar-render keepmodules texman_fuzz mp3stream_fuzz >/dev/null ;;
  timeline)
    export LD_PRELOAD=$hardened/tests/libkeepmodules.so
    times=()
    for seconds in $(seq 0 2 158); do times+=(--time "$seconds"); done
    "$hardened/tessivar-render" --size 400x300 "${times[@]}" --out "$work" >/dev/null ;;
  window)
    LD_PRELOAD=$hardened/tests/libkeepmodules.so bash tests/demo_e2e.sh "$hardened" escape music ;;
  fuzz)
    # New inputs stay in the hardened build's corpora for the next run; a failing one is kept there.
    mkdir -p "$work/texman" "$work/mp3stream"
    cp data/*.png "$work/texman/"
    head -c 16384 data/zib-dovrin-halvenmoor.mp3 >"$work/mp3stream/start.mp3"
    { printf 'ID3\3\0\0\0\0\0\12'; head -c 10 /dev/zero; head -c 4096 "$work/mp3stream/start.mp3"; } \
      >"$work/mp3stream/tagged.mp3"
    for target in texman mp3stream; do
      mkdir -p "$hardened/fuzz-corpus/$target"
      "$hardened/tests/${target}_fuzz" -max_total_time="${TESSIVAR_FUZZ_SECONDS:-30}" \
        -print_final_stats=1 -artifact_prefix="$hardened/$target-" "$hardened/fuzz-corpus/$target" \
        "$work/$target" >"$work/log" 2>&1
      status=$?
      echo "$target: $(grep -E '^stat::number_of_executed_units' "$work/log")"
      [ $status -eq 0 ] || { tail -n 60 "$work/log"; exit 1; }
    done ;;
  *)
    echo "hardened: no part $part" >&2
    exit 2 ;;
esac
