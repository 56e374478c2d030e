#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the build into a fresh prefix with a blank in its name, then uses it
# as a user would: the desktop entry validates, the launchers in bin start the
# programs, and the command-line tool finds its codec stand-ins and the example
# beside itself. Exit 77 (skipped) when desktop-file-validate is missing.
# Usage: check-install.sh BUILD_DIR
set -euo pipefail
build=$1
command -v desktop-file-validate >/dev/null || { echo "desktop-file-validate is not installed"; exit 77; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix="$work/my prefix"
cmake --install "$build" --prefix "$prefix" >/dev/null

program="$prefix/lib/kelvaro"
for file in kelvaro kelvaro-cli libkelvaro-wmvcore.so libkelvaro-ttalib.so libkelvaro-macdll.so \
            English.lng Example.wma README.md; do
  [ -f "$program/$file" ] || { echo "missing beside the program: $file"; exit 1; }
done
for file in "$prefix/bin/kelvaro" "$prefix/bin/kelvaro-cli" \
            "$prefix/share/icons/hicolor/scalable/apps/org.trevalin.Kelvaro.svg"; do
  [ -e "$file" ] || { echo "missing: $file"; exit 1; }
done

desktop="$prefix/share/applications/org.trevalin.Kelvaro.desktop"
desktop-file-validate "$desktop"
grep -qx "Exec=\"$prefix/bin/kelvaro\"" "$desktop" || { echo "Exec does not start the installed program"; exit 1; }
grep -qx "Icon=org.trevalin.Kelvaro" "$desktop"

"$prefix/bin/kelvaro" --version | grep -q '^kelvaro '
# The stand-ins are found beside the real program, not beside the link.
env XDG_CONFIG_HOME="$work/config" "$prefix/bin/kelvaro-cli" convert -o "$work/out" "$program/Example.wma" >/dev/null
[ -s "$work/out/Example.wav" ] || { echo "the installed tool wrote no WAV"; exit 1; }

# The window starts from the prefix and ends on SIGTERM with status 0.
env XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work" QT_QPA_PLATFORM=offscreen "$prefix/bin/kelvaro" &
pid=$!
for _ in $(seq 100); do
  grep -q "FLOCK.* $pid " /proc/locks && break
  sleep 0.1
done
kill -TERM "$pid"
wait "$pid"
grep -q '^MRate=44100$' "$work/config/Trevalin/Kelvaro.conf"
grep -q "^Applocation=$program/kelvaro\$" "$work/config/Trevalin/Kelvaro.conf"
echo "installed program works from $prefix"
