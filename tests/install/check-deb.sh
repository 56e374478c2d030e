#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Checks the Debian package as a machine would take it: lintian finds no
# errors; apt can satisfy what it depends on here; installed into a scratch
# root with dpkg --root it holds everything a user needs, its programs run, its
# desktop entry, AppStream file, manual pages and user service pass their
# tools' checks; removed again it leaves nothing behind.
# Usage: check-deb.sh PACKAGE.deb
set -euo pipefail
deb=$(realpath "$1")
name=$(basename "$deb")
version=$(dpkg-deb -f "$deb" Version)
[ "$name" = "kelvaro_${version}_amd64.deb" ] || { echo "unexpected package name $name"; exit 1; }

echo "lintian:"
lintian --fail-on error "$deb"
apt-get install --simulate "$deb" >/dev/null

root=$(mktemp -d)
trap 'rm -rf "$root" "$root.log"' EXIT
mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates"
touch "$root/var/lib/dpkg/status"
# The dependencies are this machine's, outside the scratch root; the package's
# only maintainer scripts (CPack's ldconfig calls) need no chroot.
in_root() {
  dpkg --root="$root" --force-depends --force-not-root --force-script-chrootless "$@" >"$root.log" 2>&1 ||
    { cat "$root.log"; exit 1; }
}
in_root -i "$deb"

usr="$root/usr"
for file in lib/kelvaro/kelvaro lib/kelvaro/kelvaro-cli lib/kelvaro/libkelvaro-wmvcore.so \
            lib/kelvaro/libkelvaro-ttalib.so lib/kelvaro/libkelvaro-macdll.so lib/kelvaro/English.lng \
            lib/kelvaro/Deutsch.lng lib/kelvaro/Example.wma "lib/kelvaro/Command line.txt" lib/kelvaro/README.md \
            bin/kelvaro bin/kelvaro-cli share/applications/org.trevalin.Kelvaro.desktop \
            share/icons/hicolor/scalable/apps/org.trevalin.Kelvaro.svg share/man/man1/kelvaro.1.gz \
            share/man/man1/kelvaro-cli.1.gz share/metainfo/org.trevalin.Kelvaro.metainfo.xml \
            share/bash-completion/completions/kelvaro-cli lib/systemd/user/kelvaro-watch.service \
            share/doc/kelvaro/copyright; do
  [ -e "$usr/$file" ] || { echo "the package lacks /usr/$file"; exit 1; }
done

[ "$("$usr/bin/kelvaro-cli" --version)" = "kelvaro-cli $version" ]
[ "$("$usr/bin/kelvaro" --version)" = "kelvaro $version" ]
out=$(mktemp -d -p "$root")
env XDG_CONFIG_HOME="$out" "$usr/bin/kelvaro-cli" convert -q -o "$out" "$usr/lib/kelvaro/Example.wma"
[ -s "$out/Example.wav" ] || { echo "the packaged tool wrote no WAV"; exit 1; }
rm -rf "$out"

for page in kelvaro kelvaro-cli; do
  warnings=$(MANWIDTH=80 man --warnings -l "$usr/share/man/man1/$page.1.gz" 2>&1 >/dev/null)
  [ -z "$warnings" ] || { echo "$page(1): $warnings"; exit 1; }
done
appstreamcli validate --no-net "$usr/share/metainfo/org.trevalin.Kelvaro.metainfo.xml"
desktop-file-validate "$usr/share/applications/org.trevalin.Kelvaro.desktop"
grep -qx 'Exec="/usr/bin/kelvaro"' "$usr/share/applications/org.trevalin.Kelvaro.desktop"
# The service as packaged, but starting the tool from the scratch root.
mkdir -m 700 "$root/runtime"
sed "s#\"/usr/bin/kelvaro-cli\"#\"$usr/bin/kelvaro-cli\"#" "$usr/lib/systemd/user/kelvaro-watch.service" \
  >"$root/runtime/kelvaro-watch.service"
grep -q "^ExecStart=\"$usr/bin/kelvaro-cli\" watch " "$root/runtime/kelvaro-watch.service"
env XDG_RUNTIME_DIR="$root/runtime" MANPATH="$usr/share/man" \
  systemd-analyze verify --user "$root/runtime/kelvaro-watch.service"
rm -rf "$root/runtime"

in_root -r kelvaro
left=$(find "$root" -mindepth 1 -not -path "$root/var" -not -path "$root/var/lib" -not -path "$root/var/lib/dpkg*")
[ -z "$left" ] || { echo "left behind after removal:"; echo "$left"; exit 1; }
echo "$name: lintian finds no errors; installs, works and removes cleanly"
