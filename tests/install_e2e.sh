#!/usr/bin/env bash
# The installed programs: installed into a staging folder as the package installs them, they find
# their data from an empty working folder (the renderer's images, the exporter's soundtrack too),
# each has its manual page, and each answers --version, the player before it looks for a display.
set -u
build=$(cd "${1:?usage: install_e2e.sh BUILDDIR}" && pwd)
version=$(sed -n 's/^project(tessivar VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "install_e2e: $*" >&2; exit 1; }
unset DISPLAY

usr=$work/stage/usr
DESTDIR=$work/stage cmake --install "$build" --prefix /usr >/dev/null || fail "the install failed"
for program in "$usr"/games/tessivar "$usr"/bin/tessivar-{render,export,bench}; do
  name=$(basename "$program")
  answer=$("$program" --version 2>&1) || fail "$name --version failed: $answer"
  [ "$answer" = "$name $version" ] || fail "$name --version said: $answer"
  ls "$usr"/share/man/man[16]/"$name".[16].gz >/dev/null 2>&1 || fail "no manual page for $name"
done

mkdir "$work/empty"
cd "$work/empty" || fail "no empty folder"
"$usr/bin/tessivar-render" --size 64x48 --time 20 --out . >/dev/null ||
  fail "the installed renderer did not draw from an empty folder"
[ -s tessivar-020.000.png ] || fail "no frame: $(ls)"
"$usr/bin/tessivar-export" --size 64x48 --fps 2 --from 20 --to 21 --out clip.mkv --quiet ||
  fail "the installed exporter did not make a film from an empty folder"
[ -s clip.mkv ] || fail "no film: $(ls)"
echo "install_e2e: ok"
