#!/usr/bin/env bash
# Installs the build into a staging folder and checks what lands there, then builds the Debian
# package and checks the dependencies it declares.
# Usage: install_test.sh <build dir> <expected file list>
set -euo pipefail
build=$1
expected=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

DESTDIR="$work/stage" cmake --install "$build" --prefix /usr >/dev/null
(cd "$work/stage" && find . -mindepth 1 \( -type f -o -type l \) | sed 's|^\./||' | sort) >"$work/installed"
diff -u "$expected" "$work/installed" || fail "the installed files differ from $expected"

for link in "$work"/stage/usr/bin/*; do
    [ -L "$link" ] && [ -x "$link" ] || fail "$link is not a working link to a program"
done
desktop-file-validate "$work"/stage/usr/share/applications/*.desktop || fail "desktop entry"
appstreamcli validate --no-net --pedantic "$work"/stage/usr/share/metainfo/*.xml >"$work/as.log" 2>&1 ||
    { cat "$work/as.log" >&2; fail "AppStream metainfo"; }

(cd "$work" && cpack --config "$build/CPackConfig.cmake" -B "$work/package" >/dev/null)
deb=$(ls "$work"/package/parlora_*.deb)
depends=$(dpkg-deb -f "$deb" Depends)
for needed in espeak-ng-data poppler-utils antiword libespeak-ng1 libqt6widgets6 libqt6svg6 libxi6 \
    libqt6webenginecore6; do
    [[ ", $depends," == *", $needed"[\ ,]* ]] || fail "the package does not depend on $needed: $depends"
done
for file in parlora parlora-say Key.so parlora_webpage.so; do
    dpkg-deb -c "$deb" | awk '{print $6}' | grep -qx "\./usr/lib/parlora/$file" || fail "the package lacks $file"
done
echo "1 passed, 0 failed"
