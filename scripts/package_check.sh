#!/usr/bin/env bash
# Builds the Debian package from a clean copy of the tree, installs it with apt-get, runs the
# installed programs, runs lintian on the package, and removes the package again.
# Needs root (apt-get install) and the packaging tools (scripts/setup.sh --package).
# Environment: KEEP_INSTALLED=1 leaves the package installed; DEB_OUT=DIR keeps the .deb there.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh" --package
work=$(mktemp -d)
installed=0
cleanup() {
    if [ "$installed" = 1 ] && [ "${KEEP_INSTALLED:-0}" != 1 ]; then
        DEBIAN_FRONTEND=noninteractive apt-get remove -y -qq sorvenal >/dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT

# The clean copy: what git tracks or would track, without any build folder.
mkdir "$work/sorvenal"
(cd "$root" && git ls-files --cached --others --exclude-standard -z |
    tar --null -T - -cf -) | tar -xf - -C "$work/sorvenal"
version=$(cd "$work/sorvenal" && dpkg-parsechangelog -S Version)
project_version=$(sed -n 's/^project(sorvenal VERSION \([0-9.]*\).*/\1/p' "$work/sorvenal/CMakeLists.txt")
[ "$version" = "$project_version" ] || {
    echo "debian/changelog says $version, CMakeLists.txt says $project_version" >&2
    exit 1
}

echo "== dpkg-buildpackage"
(cd "$work/sorvenal" &&
    DEB_BUILD_OPTIONS="nocheck parallel=$(nproc)" dpkg-buildpackage -b -us -uc >"$work/build.log" 2>&1) ||
    { tail -40 "$work/build.log"; exit 1; }
deb=$(ls "$work"/sorvenal_"$version"_*.deb)
changes=$(ls "$work"/sorvenal_"$version"_*.changes)
dpkg-deb -f "$deb" Depends
[ -n "${DEB_OUT:-}" ] && mkdir -p "$DEB_OUT" && cp "$deb" "$DEB_OUT/"

echo "== lintian"
lintian_out=$(lintian --fail-on error --display-info "$changes" 2>&1) || { echo "$lintian_out"; exit 1; }
echo "${lintian_out:-(nothing)}"

echo "== apt-get install"
DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "$deb" >"$work/install.log" 2>&1 ||
    { cat "$work/install.log"; exit 1; }
installed=1

echo "== installed programs"
[ "$(command -v sorvenal)" = /usr/bin/sorvenal ] || { echo "sorvenal is not /usr/bin/sorvenal" >&2; exit 1; }
out=$(env -u DISPLAY -u WAYLAND_DISPLAY sorvenal --version)
echo "$out"
[ "$out" = "sorvenal $version" ]
usage=$(sorvenal-retouch --help)
head -2 <<<"$usage"
grep -q -- '--version' <<<"$usage"
for f in /usr/share/sorvenal/readme.txt /usr/share/applications/net.sorvenal.Sorvenal.desktop \
    /usr/share/icons/hicolor/512x512/apps/net.sorvenal.Sorvenal.png /usr/share/man/man1/sorvenal.1.gz; do
    [ -f "$f" ] || { echo "missing: $f" >&2; exit 1; }
done

mkdir "$work/pics"
convert -size 96x64 gradient:'#f0b090-#403020' -type TrueColor "$work/pics/in.bmp"
sorvenal-retouch "$work/pics/in.bmp" "$work/pics/out.bmp" gamma skin=40,30
[ "$(head -c 2 "$work/pics/out.bmp")" = BM ]
if cmp -s "$work/pics/in.bmp" "$work/pics/out.bmp"; then echo "the retouch changed nothing" >&2; exit 1; fi
echo "retouch: $(stat -c %s "$work/pics/out.bmp") bytes written"
QT_QPA_PLATFORM=offscreen HOME="$work" timeout 30 sorvenal --quit-after-show "$work/pics"
echo "package check passed"
