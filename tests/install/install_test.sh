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
         share/icons/hicolor/32x32/apps/qarmel.png share/man/man1/qarmel-shot.1 share/man/man1/cubconvert.1 \
         share/man/man1/qarmel.1 share/metainfo/qarmel.metainfo.xml share/thumbnailers/qarmel.thumbnailer; do
  [ -e "$root/$f" ] || fail "missing $f"
done
[ "$(readlink "$root/bin/qarmel")" = "../lib/qarmel/qarmel" ] || fail "bin/qarmel is not a link into lib/qarmel"
desktop-file-validate "$root/share/applications/qarmel.desktop" || fail "invalid .desktop file"
grep -q 'glob pattern="\*.cub"' "$root/share/mime/packages/qarmel.xml" || fail "no *.cub glob in the MIME entry"
head -c 8 "$root/share/icons/hicolor/32x32/apps/qarmel.png" | grep -q PNG || fail "the icon is not a PNG"
grep -q '^\.TH "\?QARMEL-SHOT' "$root/share/man/man1/qarmel-shot.1" || fail "qarmel-shot.1 is not a man page"
grep -q '^\.TH QARMEL 1' "$root/share/man/man1/qarmel.1" || fail "qarmel.1 is not the viewer's man page"
warnings=$(groff -man -ww -z "$root/share/man/man1/qarmel.1" 2>&1)
[ -z "$warnings" ] || fail "qarmel.1: $warnings"
# The metainfo and the desktop file it launches, together. The id is the
# desktop file's name, not a reverse domain name: the project has no domain.
appstreamcli validate-tree --no-net --override=cid-desktopapp-is-not-rdns=info "$root" > "$tmp/appstream.txt" ||
  fail "invalid metainfo: $(cat "$tmp/appstream.txt")"

# The installed tools run, and qarmel-shot finds the texture beside itself
# through its link in bin.
log=$("$root/bin/qarmel-shot" "$source/samples/phantom.cub" -o "$tmp/shot.png" --keys t)
grep -q "input file: $root/lib/qarmel/texture.bmp" <<< "$log" || fail "texture not looked for beside the program: $log"
grep -q "texture 1 read" <<< "$log" || fail "texture not read: $log"
[ -s "$tmp/shot.png" ] || fail "no picture written"

# The thumbnailer entry, run as a file manager runs it: its types are the
# installed MIME package's, %i %o %s filled in (quoted) and the line split
# into words, the programs found on the PATH.
thumbnailer="$root/share/thumbnailers/qarmel.thumbnailer"
grep -qx '\[Thumbnailer Entry\]' "$thumbnailer" || fail "no [Thumbnailer Entry] group"
for type in $(sed -n 's/^MimeType=//p' "$thumbnailer" | tr ';' ' '); do
  grep -q "mime-type type=\"$type\"" "$root/share/mime/packages/qarmel.xml" || fail "thumbnailer type $type is not installed"
done
PATH="$root/bin:$PATH" command -v "$(sed -n 's/^TryExec=//p' "$thumbnailer")" > /dev/null || fail "TryExec not found"
mkdir "$tmp/my volumes"
cp "$source/samples/phantom.cub" "$tmp/my volumes/"
line=$(sed -n 's/^Exec=//p' "$thumbnailer")
line=${line//%i/$(printf %q "$tmp/my volumes/phantom.cub")}
line=${line//%o/$(printf %q "$tmp/thumbnail.png")}
line=${line//%s/128}
eval "words=($line)"
PATH="$root/bin:$PATH" "${words[@]}" > /dev/null || fail "the thumbnailer failed: $line"
[ "$(od -An -tu1 -N24 "$tmp/thumbnail.png" | tr -s ' \n' ' ')" = \
  " 137 80 78 71 13 10 26 10 0 0 0 13 73 72 68 82 0 0 0 128 0 0 0 128 " ] || fail "the thumbnail is not a 128x128 PNG"
"$root/bin/cubconvert" --version | grep -q '^cubconvert ' || fail "cubconvert does not run"

# A plain prefix works the same way.
cmake --install "$build" --prefix "$tmp/prefix" > /dev/null
"$tmp/prefix/bin/qarmel-shot" "$source/samples/phantom.cub" --info | grep -q "total" || fail "prefix install"
echo "install test: passed"
