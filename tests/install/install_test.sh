#!/usr/bin/env bash
# Installs the build into temporary trees (with DESTDIR, and with a plain
# prefix) and checks that the installed programs work and the desktop files
# are in place and valid.   install_test.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build=$1
source=$2
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

fail() { echo "install test: $*" >&2; exit 1; }

DESTDIR="$tmp/dest" cmake --install "$build" --prefix /usr > /dev/null
root="$tmp/dest/usr"
for f in bin/qarmel bin/qarmel-shot bin/cubconvert lib/qarmel/qarmel lib/qarmel/qarmel-shot lib/qarmel/texture.bmp \
         share/applications/qarmel.desktop share/mime/packages/qarmel.xml \
         share/icons/hicolor/32x32/apps/qarmel.png share/man/man1/qarmel-shot.1 share/man/man1/cubconvert.1; do
  [ -e "$root/$f" ] || fail "missing $f"
done
[ "$(readlink "$root/bin/qarmel")" = "../lib/qarmel/qarmel" ] || fail "bin/qarmel is not a link into lib/qarmel"
desktop-file-validate "$root/share/applications/qarmel.desktop" || fail "invalid .desktop file"
grep -q 'glob pattern="\*.cub"' "$root/share/mime/packages/qarmel.xml" || fail "no *.cub glob in the MIME entry"
head -c 8 "$root/share/icons/hicolor/32x32/apps/qarmel.png" | grep -q PNG || fail "the icon is not a PNG"
grep -q '^\.TH "\?QARMEL-SHOT' "$root/share/man/man1/qarmel-shot.1" || fail "qarmel-shot.1 is not a man page"

# The installed tools run, and qarmel-shot finds the texture beside itself
# through its link in bin.
log=$("$root/bin/qarmel-shot" "$source/samples/phantom.cub" -o "$tmp/shot.png" --keys t)
grep -q "input file: $root/lib/qarmel/texture.bmp" <<< "$log" || fail "texture not looked for beside the program: $log"
grep -q "texture 1 read" <<< "$log" || fail "texture not read: $log"
[ -s "$tmp/shot.png" ] || fail "no picture written"
"$root/bin/cubconvert" --version | grep -q '^cubconvert ' || fail "cubconvert does not run"

# A plain prefix works the same way.
cmake --install "$build" --prefix "$tmp/prefix" > /dev/null
"$tmp/prefix/bin/qarmel-shot" "$source/samples/phantom.cub" --info | grep -q "total" || fail "prefix install"
echo "install test: passed"
