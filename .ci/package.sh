#!/usr/bin/env bash
# CI, after the tests: the Debian package built from build/, checked, installed with apt, and the
# installed renderer run from a folder that holds no data/.
set -euo pipefail
cd "$(dirname "$0")/.."
export DEBIAN_FRONTEND=noninteractive
apt-get install -y -qq --no-install-recommends lintian desktop-file-utils dpkg-dev file >/dev/null
(cd build && cpack -G DEB >/dev/null)
package=$(ls build/tessivar_*.deb)
lintian --fail-on error "$package"
apt-get install -y -qq "./$package" >/dev/null
desktop-file-validate /usr/share/applications/tessivar.desktop
out=$(mktemp -d)
(cd /tmp && tessivar-render --size 320x240 --time 33 --out "$out")
[ -s "$out/tessivar-033.000.png" ] || { echo "package: the installed renderer drew nothing" >&2; exit 1; }
echo "package: $package installs and its renderer draws from /tmp"
