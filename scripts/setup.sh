#!/usr/bin/env bash
# Installs what Tessivar needs on Debian 12 or 13 (or a derivative with apt). Safe to run again.
#   scripts/setup.sh           what building and playing needs
#   scripts/setup.sh --tests   that, and what the test suite adds
#   scripts/setup.sh --list [--tests]   print the Debian package names and stop
# Without apt it installs nothing and names each missing piece, so that it can be found under
# another distribution's names.
set -euo pipefail

tests=0 list=0
for argument in "$@"; do
  case $argument in
    --tests) tests=1 ;;
    --list) list=1 ;;
    *) echo "setup: unknown option $argument (use --tests or --list)" >&2; exit 2 ;;
  esac
done

# The clang runtime (sanitizers, libFuzzer) must match the clang the release installs.
clangruntime() {
  if apt-cache show libclang-rt-dev >/dev/null 2>&1; then
    echo libclang-rt-dev
    return
  fi
  local version
  version=$(apt-cache depends clang 2>/dev/null | sed -n 's/.*Depends: clang-\([0-9][0-9]*\)$/\1/p' | head -1)
  echo "libclang-rt-${version:-14}-dev"
}

playpackages=(
  build-essential cmake pkg-config
  libsdl1.2-dev libsdl-mixer1.2-dev libpng-dev zlib1g-dev
  libgl-dev libglu1-mesa-dev libegl-dev libgl1-mesa-dri libegl-mesa0
  libmp3lame-dev libavformat-dev libavcodec-dev libswscale-dev libswresample-dev libavutil-dev
  libx11-dev
)
testpackages=(
  googletest libgtest-dev clang llvm weston
  xvfb xauth xdotool x11-utils x11-apps libxfixes3 python3
)

if command -v apt-get >/dev/null 2>&1 && command -v dpkg-query >/dev/null 2>&1; then
  packages=("${playpackages[@]}")
  [ $tests -eq 1 ] && packages+=("${testpackages[@]}" "$(clangruntime)")
  if [ $list -eq 1 ]; then
    printf '%s\n' "${packages[@]}"
    exit 0
  fi
  missing=()
  for package in "${packages[@]}"; do
    status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
    [ "$status" = "install ok installed" ] || missing+=("$package")
  done
  [ ${#missing[@]} -eq 0 ] && exit 0
  if [ "$(id -u)" -ne 0 ]; then
    echo "Tessivar needs these Debian packages: ${missing[*]}" >&2
    echo "Install them as root once, then run this command again:  sudo $0 $*" >&2
    exit 1
  fi
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
  exit 0
fi

# No apt: check each piece the way the build will look for it.
missing=0
need() {  # need DESCRIPTION CHECK...
  local description=$1
  shift
  if ! "$@" >/dev/null 2>&1; then
    echo "missing: $description" >&2
    missing=1
  fi
}
havepkg() { command -v pkg-config >/dev/null && pkg-config --exists "$@"; }
haveheader() { echo "#include <$1>" | ${CXX:-c++} -x c++ -fsyntax-only - ; }
havelib() { { ldconfig -p 2>/dev/null || /sbin/ldconfig -p; } | grep -q "$1"; }

need "a C and C++ compiler (gcc/g++ or clang) and make" command -v c++ cc make
need "CMake 3.16 or newer" command -v cmake
need "pkg-config" command -v pkg-config
need "SDL 1.2 (sdl12-compat) development files" havepkg sdl
need "SDL_mixer 1.2 development files" havepkg SDL_mixer
need "libpng development files" havepkg libpng
need "zlib development files" havepkg zlib
need "OpenGL, GLU and EGL development files (libglvnd, Mesa's GLU)" havepkg gl glu egl
need "Mesa's OpenGL and EGL drivers" havelib libEGL_mesa
need "LAME (libmp3lame) development files" haveheader lame/lame.h
need "FFmpeg development files (libavformat, libavcodec, libswscale, libswresample, libavutil)" \
  havepkg libavformat libavcodec libswscale libswresample libavutil
need "Xlib (libX11) development files" havepkg x11
if [ $tests -eq 1 ]; then
  need "GoogleTest development files" havepkg gtest
  need "clang with its sanitizer and libFuzzer runtime (compiler-rt)" command -v clang clang++
  need "LLVM's symbolizer (llvm-symbolizer), for the sanitizers' reports" command -v llvm-symbolizer
  need "Xvfb (the X virtual framebuffer server) and xauth" command -v Xvfb xauth
  need "xdotool" command -v xdotool
  need "xdpyinfo, xprop and xwininfo (X11 utilities)" command -v xdpyinfo xprop xwininfo
  need "xwd (X11 apps)" command -v xwd
  need "Python 3" command -v python3
  need "weston (a Wayland compositor, run headless)" command -v weston
fi
if [ $missing -ne 0 ]; then
  echo "setup: this system has no apt; install the pieces above with its own package manager" >&2
  exit 1
fi
