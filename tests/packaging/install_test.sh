#!/usr/bin/env bash
# Installs the build into a staging folder and checks what lands there, and that debian/ is at
# the project's version and builds with what scripts/install-deps installs. Building the package
# itself takes minutes: packaging/package_test.sh does that.
# Usage: install_test.sh <build dir> <expected file list> <source dir> <project version>
set -euo pipefail
build=$1
expected=$2
source=$3
version=$4
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

DESTDIR="$work/stage" cmake --install "$build" --prefix /usr >/dev/null
(cd "$work/stage" && find . -mindepth 1 \( -type f -o -type l \) | sed 's|^\./||' | sort) >"$work/installed"
# The natural voices' runtime is installed when the build has it (it is fetched, not built).
{
    cat "$expected"
    if [ -e "$build/bin/neural/libsherpa-onnx-c-api.so" ]; then
        printf '%s\n' usr/lib/parlora/neural/libonnxruntime.so usr/lib/parlora/neural/libsherpa-onnx-c-api.so
    fi
} | sort >"$work/expected"
diff -u "$work/expected" "$work/installed" || fail "the installed files differ from $expected"

for link in "$work"/stage/usr/bin/*; do
    [ -L "$link" ] && [ -x "$link" ] || fail "$link is not a working link to a program"
done
desktop-file-validate "$work"/stage/usr/share/applications/*.desktop || fail "desktop entry"
appstreamcli validate --no-net --pedantic "$work"/stage/usr/share/metainfo/*.xml >"$work/as.log" 2>&1 ||
    { cat "$work/as.log" >&2; fail "AppStream metainfo"; }

cd "$source"
packaged=$(dpkg-parsechangelog -S Version)
[ "$packaged" = "$version" ] || fail "debian/changelog is at $packaged, the project at $version"
released=$(sed -n 's|.*<release version="\([^"]*\)".*|\1|p' packaging/org.parlora.Parlora.metainfo.xml | head -n1)
[ "$released" = "$version" ] || fail "the metainfo's latest release is $released, the project is at $version"
dpkg-checkbuilddeps ||
    fail "debian/control needs packages that are not installed: add them to scripts/install-deps"
echo "1 passed, 0 failed"
