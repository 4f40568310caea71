#!/usr/bin/env bash
# cmake --install into a temporary prefix: every file is where the desktop looks for it, the
# icons have their sizes, and the validators that are installed accept what they check.
# Usage: install_tree.sh BUILD_DIR VERSION DESKTOP_ID
set -u
build=$1 version=$2 id=$3
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

cmake --install "$build" --prefix "$prefix" >"$prefix.log" 2>&1 || { cat "$prefix.log"; rm -f "$prefix.log"; exit 1; }
rm -f "$prefix.log"
sizes="16 22 24 32 48 64 128 256 512"
expected="bin/sorvenal bin/sorvenal-retouch
share/applications/$id.desktop
share/metainfo/$id.metainfo.xml
share/icons/hicolor/scalable/apps/$id.svg
share/man/man1/sorvenal.1 share/man/man1/sorvenal-retouch.1
share/sorvenal/readme.txt share/sorvenal/LICENSE"
for size in $sizes; do expected+=" share/icons/hicolor/${size}x${size}/apps/$id.png"; done
for f in $expected; do [ -s "$prefix/$f" ] || fail "missing or empty: $f"; done
# Nothing else: a stray file would be shipped in the package too.
actual=$(cd "$prefix" && find . -type f | sed 's|^\./||' | sort)
extra=$(comm -13 <(tr ' ' '\n' <<<"$expected" | sort) <(echo "$actual"))
[ -z "$extra" ] || fail "unexpected files: $extra"
for f in bin/sorvenal bin/sorvenal-retouch; do [ -x "$prefix/$f" ] || fail "$f is not executable"; done

# PNG width and height from the IHDR chunk, and an alpha channel (colour type 6).
for size in $sizes; do
    png="$prefix/share/icons/hicolor/${size}x${size}/apps/$id.png"
    [ -f "$png" ] || continue
    read -r w h <<<"$(od -An -tu1 -j16 -N8 "$png" | awk '{print $1*16777216+$2*65536+$3*256+$4, $5*16777216+$6*65536+$7*256+$8}')"
    [ "$w x $h" = "$size x $size" ] || fail "icon ${size}: is $w x $h"
    [ "$(od -An -tu1 -j25 -N1 "$png" | tr -d ' ')" = 6 ] || fail "icon ${size}: no alpha channel"
done
# The large icon is drawn, not scaled up: it has many more distinct colours than the 32 px one.
if command -v identify >/dev/null; then
    big=$(identify -format '%k' "$prefix/share/icons/hicolor/512x512/apps/$id.png")
    small=$(identify -format '%k' "$prefix/share/icons/hicolor/32x32/apps/$id.png")
    [ "$big" -gt $((small * 4)) ] || fail "512 px icon has $big colours, 32 px has $small"
    identify "$prefix/share/icons/hicolor/scalable/apps/$id.svg" >/dev/null 2>&1 ||
        echo "note: identify cannot read SVG here"
fi
python3 -c 'import sys, xml.dom.minidom as m; [m.parse(f) for f in sys.argv[1:]]' \
    "$prefix/share/icons/hicolor/scalable/apps/$id.svg" "$prefix/share/metainfo/$id.metainfo.xml" ||
    fail "SVG or metainfo is not well-formed XML"

# Version numbers reach what is installed.
grep -q "<release version=\"$version\"" "$prefix/share/metainfo/$id.metainfo.xml" || fail "metainfo lacks release $version"
grep -q "\"sorvenal $version\"" "$prefix/share/man/man1/sorvenal.1" || fail "sorvenal.1 lacks version $version"
[ "$("$prefix/bin/sorvenal" --version)" = "sorvenal $version" ] || fail "installed sorvenal --version"
[ "$("$prefix/bin/sorvenal-retouch" --version)" = "sorvenal-retouch $version" ] || fail "installed sorvenal-retouch --version"
if command -v readelf >/dev/null; then
    readelf -d "$prefix/bin/sorvenal" | grep -q "$build" && fail "installed sorvenal keeps the build folder in its run path"
fi

desktop="$prefix/share/applications/$id.desktop"
for field in 'Name=sorvenal' 'Name\[ja\]=ソルベナル' 'GenericName\[ja\]=.' 'Comment\[ja\]=.' \
    'Categories=Graphics;Viewer;RasterGraphics;' 'MimeType=image/bmp;image/jpeg;image/gif;' \
    'Exec=sorvenal %f' "Icon=$id"; do
    grep -q "^$field" "$desktop" || fail "desktop entry lacks $field"
done

if command -v desktop-file-validate >/dev/null; then
    out=$(desktop-file-validate "$desktop" 2>&1) || fail "desktop-file-validate: $out"
    # Hints suggest extra categories; the entry's categories are fixed.
    bad=$(grep -v ': hint: ' <<<"$out")
    [ -z "$bad" ] || fail "desktop-file-validate printed: $bad"
else
    echo "note: desktop-file-validate is not installed"
fi
if command -v appstreamcli >/dev/null; then
    out=$(appstreamcli validate --no-net "$prefix/share/metainfo/$id.metainfo.xml" 2>&1) ||
        fail "appstreamcli validate: $out"
    out=$(appstreamcli validate-tree --no-net "$prefix" 2>&1) || fail "appstreamcli validate-tree: $out"
else
    echo "note: appstreamcli is not installed"
fi
if command -v man >/dev/null && command -v groff >/dev/null; then
    for page in sorvenal.1 sorvenal-retouch.1; do
        out=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z "$prefix/share/man/man1/$page" 2>&1 >/dev/null)
        [ -z "$out" ] || fail "man $page warns: $out"
    done
fi

[ "$failures" -eq 0 ] && echo "install tree: all checks passed"
[ "$failures" -eq 0 ]
