#!/usr/bin/env bash
# Builds the Debian package from debian/ and leaves it as build/parlora_<version>_<arch>.deb.
# dpkg-buildpackage writes into the folder above the sources, so it builds a copy of them in
# build/package/: the checkout and its parent stay as they were.
# Usage: packaging/build_package.sh        (prints the path of the .deb)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
version=$(dpkg-parsechangelog -S Version)
arch=$(dpkg-architecture -q DEB_HOST_ARCH)
deb=parlora_${version}_${arch}.deb

work=$root/build/package
rm -rf "$work"
mkdir -p "$work/parlora-$version"
tar -C "$root" --exclude=./build --exclude=./.git -cf - . | tar -C "$work/parlora-$version" -xf -

# debhelper gives the build a HOME of its own, which would hide the compiler cache.
command -v ccache >/dev/null && export CCACHE_DIR=${CCACHE_DIR:-$(ccache -k cache_dir)}
(cd "$work/parlora-$version" && dpkg-buildpackage -us -uc -b) >"$work/build.log" 2>&1 ||
    { tail -n 40 "$work/build.log" >&2; echo "build_package: see $work/build.log" >&2; exit 1; }
cp "$work/$deb" "$root/build/$deb"
echo "build/$deb"
