#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Checks the Debian package as a machine would take it: lintian, pedantic and
# with its notes, finds nothing that is not overridden with a reason; apt can
# satisfy what it depends on here; installed into a scratch root with dpkg
# --root it holds everything a user needs where Debian expects it, every
# program and library passes hardening-check, its programs run, its desktop
# entry, AppStream file, manual pages and user service pass their tools'
# checks; removed again it leaves nothing behind.
# Usage: check-deb.sh PACKAGE.deb
set -euo pipefail
deb=$(realpath "$1")
name=$(basename "$deb")
version=$(dpkg-deb -f "$deb" Version)
[ "$name" = "kelvaro_${version}_$(dpkg --print-architecture).deb" ] || { echo "unexpected package name $name"; exit 1; }

# Every tag lintian knows, the notes and the experimental ones too, with its
# explanation; debian/kelvaro.lintian-overrides says why each overridden one
# stays (and an override that no longer matches is itself a note).
echo "lintian --pedantic --display-info --display-experimental:"
lintian --pedantic --display-info --display-experimental --info --fail-on error,warning,info,pedantic "$deb"
apt-get install --simulate "$deb" >/dev/null

root=$(mktemp -d)
trap 'rm -rf "$root" "$root.log"' EXIT
mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates"
touch "$root/var/lib/dpkg/status"
# The dependencies are this machine's, outside the scratch root; the package
# has no maintainer scripts that would need a chroot.
in_root() {
  dpkg --root="$root" --force-depends --force-not-root --force-script-chrootless "$@" >"$root.log" 2>&1 ||
    { cat "$root.log"; exit 1; }
}
in_root -i "$deb"

usr="$root/usr"
# The programs with the codec stand-ins they open from their own folder; the
# files that are the same on every architecture under /usr/share.
[ "$(LC_ALL=C ls "$usr/lib/kelvaro")" = "$(printf '%s\n' kelvaro kelvaro-cli libkelvaro-macdll.so \
                                          libkelvaro-ttalib.so libkelvaro-wmvcore.so)" ] ||
  { echo "unexpected files in /usr/lib/kelvaro:"; ls "$usr/lib/kelvaro"; exit 1; }
for file in share/kelvaro/English.lng share/kelvaro/Deutsch.lng share/kelvaro/Example.wma \
            "share/kelvaro/Command line.txt" share/kelvaro/README.md share/kelvaro/docs/screenshots/batch-page.png \
            bin/kelvaro bin/kelvaro-cli share/applications/org.trevalin.Kelvaro.desktop \
            share/icons/hicolor/scalable/apps/org.trevalin.Kelvaro.svg share/man/man1/kelvaro.1.gz \
            share/man/man1/kelvaro-cli.1.gz share/metainfo/org.trevalin.Kelvaro.metainfo.xml \
            share/bash-completion/completions/kelvaro-cli lib/systemd/user/kelvaro-watch.service \
            share/doc/kelvaro/copyright share/doc/kelvaro/changelog.gz; do
  [ -e "$usr/$file" ] || { echo "the package lacks /usr/$file"; exit 1; }
done

# PIE, stack protector, fortified calls, full RELRO on every program and
# library: all of them lie in /usr/lib/kelvaro (the launchers in /usr/bin are
# links). Control-flow protection is not asked for: this release's C library
# start files carry no marking for it, so no program linked here can have it.
# The codec stand-ins call libc only with bounds proven at build time or into
# their callers' buffers, leaving fortification nothing to check (see the
# lintian overrides).
echo "hardening-check:"
hardening-check --nocfprotection "$usr"/lib/kelvaro/kelvaro "$usr"/lib/kelvaro/kelvaro-cli | sed "s#$root##"
hardening-check --nocfprotection --nofortify "$usr"/lib/kelvaro/lib*.so | sed "s#$root##"
# The release flags target the architecture's baseline; the filters' AVX2 and
# AVX-512 paths, chosen at run time, must still be there.
if [ "$(dpkg --print-architecture)" = amd64 ]; then
  for program in kelvaro kelvaro-cli; do
    code=$(objdump -d --no-show-raw-insn "$usr/lib/kelvaro/$program")
    grep -q '%ymm' <<<"$code" && grep -q '%zmm' <<<"$code" || { echo "$program lacks its vector paths"; exit 1; }
  done
fi

[ "$("$usr/bin/kelvaro-cli" --version)" = "kelvaro-cli $version" ]
[ "$("$usr/bin/kelvaro" --version)" = "kelvaro $version" ]
out=$(mktemp -d -p "$root")
env XDG_CONFIG_HOME="$out" "$usr/bin/kelvaro-cli" convert -q -o "$out" "$usr/share/kelvaro/Example.wma"
[ -s "$out/Example.wav" ] || { echo "the packaged tool wrote no WAV"; exit 1; }
rm -rf "$out"

for page in kelvaro kelvaro-cli; do
  warnings=$(MANWIDTH=80 man --warnings -l "$usr/share/man/man1/$page.1.gz" 2>&1 >/dev/null)
  [ -z "$warnings" ] || { echo "$page(1): $warnings"; exit 1; }
done
appstreamcli validate --no-net "$usr/share/metainfo/org.trevalin.Kelvaro.metainfo.xml"
desktop-file-validate "$usr/share/applications/org.trevalin.Kelvaro.desktop"
grep -qx 'Exec="/usr/bin/kelvaro" %F' "$usr/share/applications/org.trevalin.Kelvaro.desktop"
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
echo "$name: lintian and hardening-check are clean; installs, works and removes cleanly"
