#!/usr/bin/env bash
# Builds the Debian package (or takes the one given), checks it with lintian, installs it with
# apt, runs and validates what it installed, removes it and checks that nothing is left.
# Installs into the system: run it as root or with sudo, where Parlora is not installed yet.
# Usage: packaging/package_test.sh [parlora_<version>_<arch>.deb]
set -euo pipefail
cd "$(dirname "$0")/.."
fail() { echo "FAIL: $*" >&2; exit 1; }
sudo=""
[ "$(id -u)" -eq 0 ] || sudo=sudo

deb=${1:-}
if [ -z "$deb" ]; then
    start=$SECONDS
    deb=$(packaging/build_package.sh)
    echo "package built in $((SECONDS - start)) s: $deb"
fi
deb=$(realpath "$deb")

lintian --fail-on error,warning "$deb" || fail "lintian"

depends=$(dpkg-deb -f "$deb" Depends)
# Computed from the linked libraries, and added by hand for what is loaded or read at run time.
for needed in libespeak-ng1 libqt6widgets6 libqt6webenginecore6 libxi6 libc6 espeak-ng-data libqt6svg6; do
    [[ ", $depends," == *", $needed"[\ ,]* ]] || fail "the package does not depend on $needed: $depends"
done

dpkg-query -W -f='${Status}' parlora 2>/dev/null | grep -q 'install ok installed' &&
    fail "parlora is installed already; remove it first"
work=$(mktemp -d)
cleanup() {
    dpkg-query -W -f='${Status}' parlora 2>/dev/null | grep -q 'install ok installed' &&
        $sudo apt-get remove -y -qq parlora >/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

dpkg-deb -c "$deb" | awk '{print $6}' | sed 's|^\./|/|; s|/$||' | grep -v '^$' >"$work/contents"
$sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "$deb" >/dev/null ||
    fail "apt could not install $deb"

desktop-file-validate /usr/share/applications/org.parlora.Parlora.desktop || fail "desktop entry"
appstreamcli validate --no-net --pedantic /usr/share/metainfo/org.parlora.Parlora.metainfo.xml ||
    fail "AppStream metainfo"
[ "$(man -w parlora)" = /usr/share/man/man1/parlora.1.gz ] || fail "man parlora finds $(man -w parlora)"
# The installed program, its speech helper and the voices, away from the user's settings.
echo "你好，世界。" | HOME="$work" parlora-say -q -o "$work/hello.wav" ||
    fail "the installed parlora-say cannot speak"
[ "$(stat -c %s "$work/hello.wav")" -gt 10000 ] || fail "the installed parlora-say wrote no speech"
# The encoders' module beside the program, and the MP3 encoder it links.
echo "你好，世界。" | HOME="$work" parlora-say -q -o "$work/hello.mp3" ||
    fail "the installed parlora-say cannot write MP3"
[ "$(stat -c %s "$work/hello.mp3")" -gt 2000 ] || fail "the installed parlora-say wrote no MP3 speech"

$sudo apt-get remove -y -qq parlora >/dev/null || fail "apt could not remove parlora"
# Every file goes, and every folder of its own (the shared ones, /usr/share/man..., stay).
left=$(while read -r path; do
    if [ -e "$path" ] || [ -L "$path" ]; then
        [ -d "$path" ] && [ ! -L "$path" ] && [[ $path != *parlora* ]] || echo "$path"
    fi
done <"$work/contents")
[ -z "$left" ] || fail "removing the package left: $left"
dpkg-query -W -f='${Status}' parlora 2>/dev/null | grep -q 'config-files' && fail "the package left its configuration"
echo "the package installs, runs and removes cleanly"
