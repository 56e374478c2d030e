#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the build into a fresh prefix with a blank in its name, then uses it
# as a user would: the desktop entry, the AppStream file and the watch service
# pass their tools' checks, the manual pages render and tell every option, the
# completion completes, the launchers in bin start the programs, the
# command-line tool finds its codec stand-ins beside itself, and the files the
# programs read lie in the prefix's data folder, not beside them.
# Exit 77 (skipped) when one of those tools is missing.
# Usage: check-install.sh BUILD_DIR
set -euo pipefail
trap 'echo "check-install.sh: line $LINENO failed: $BASH_COMMAND" >&2' ERR
build=$1
for tool in desktop-file-validate appstreamcli man systemd-analyze; do
  command -v $tool >/dev/null || { echo "$tool is not installed"; exit 77; }
done
[ -f /usr/share/bash-completion/bash_completion ] || { echo "bash-completion is not installed"; exit 77; }
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix="$work/my prefix"
cmake --install "$build" --prefix "$prefix" >/dev/null

program="$prefix/lib/kelvaro"
data="$prefix/share/kelvaro"
[ "$(LC_ALL=C ls "$program")" = "$(printf '%s\n' kelvaro kelvaro-cli libkelvaro-macdll.so libkelvaro-ttalib.so \
                           libkelvaro-wmvcore.so)" ] || { echo "unexpected files in $program:"; ls "$program"; exit 1; }
for file in English.lng Deutsch.lng Example.wma "Command line.txt" README.md docs/screenshots/batch-page.png; do
  [ -f "$data/$file" ] || { echo "missing in the data folder: $file"; exit 1; }
done
for file in "$prefix/bin/kelvaro" "$prefix/bin/kelvaro-cli" \
            "$prefix/share/icons/hicolor/scalable/apps/org.trevalin.Kelvaro.svg"; do
  [ -e "$file" ] || { echo "missing: $file"; exit 1; }
done

desktop="$prefix/share/applications/org.trevalin.Kelvaro.desktop"
desktop-file-validate "$desktop"
grep -qx "Exec=\"$prefix/bin/kelvaro\" %F" "$desktop" || { echo "Exec does not start the installed program"; exit 1; }
grep -qx "Icon=org.trevalin.Kelvaro" "$desktop"

[ "$("$prefix/bin/kelvaro" --version)" = "kelvaro $version" ]
[ "$("$prefix/bin/kelvaro-cli" --version)" = "kelvaro-cli $version" ]

appstreamcli validate --no-net "$prefix/share/metainfo/org.trevalin.Kelvaro.metainfo.xml"

# The manual pages render without a warning, and kelvaro-cli's tells every
# option its usage lists.
for page in kelvaro kelvaro-cli; do
  file="$prefix/share/man/man1/$page.1.gz"
  warnings=$(MANWIDTH=80 man --warnings -l "$file" 2>&1 >/dev/null)
  [ -z "$warnings" ] || { echo "$page(1): $warnings"; exit 1; }
  text=$(MANWIDTH=80 man -l "$file" 2>/dev/null)
  for part in NAME SYNOPSIS DESCRIPTION FILES "kelvaro-cli $version\|kelvaro $version"; do
    grep -q "$part" <<<"$text" || { echo "$page(1) lacks $part"; exit 1; }
  done
done
# sed reads the whole text: one that quit early would end the tool with SIGPIPE.
usage=$("$prefix/bin/kelvaro-cli" --help | sed -n '1,/^$/p')
manual=$(MANWIDTH=80 man -l "$prefix/share/man/man1/kelvaro-cli.1.gz" 2>/dev/null)
for option in $(grep -oP -- '(?<![\w-])--?[a-zA-Z][-a-zA-Z]*' <<<"$usage" | sort -u); do
  grep -q -e "^ *$option\b" -e "^ *-[a-zA-Z], $option\b" <<<"$manual" || { echo "kelvaro-cli(1) lacks $option"; exit 1; }
done

# The service names the installed tool and its manual page; the verification
# looks the page up where it was installed.
unit="$prefix/lib/systemd/user/kelvaro-watch.service"
grep -qx "ExecStart=\"$prefix/bin/kelvaro-cli\" watch .*" "$unit"
mkdir -m 700 "$work/runtime"
env XDG_RUNTIME_DIR="$work/runtime" MANPATH="$prefix/share/man" systemd-analyze verify --user "$unit"

# Completion: commands, an option's values, and the files of the kinds the tool
# reads in any case of their extension, with folders.
complete_words() {
  (cd "$work/pick" && bash -c '
    source /usr/share/bash-completion/bash_completion
    source "$1"; shift
    COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1)); COMP_LINE="$*"; COMP_POINT=${#COMP_LINE}
    _kelvaro_cli
    printf "%s\n" "${COMPREPLY[@]}" | sort | tr "\n" " "' _ "$prefix/share/bash-completion/completions/kelvaro-cli" "$@")
}
mkdir -p "$work/pick/folder"
touch "$work/pick/song.wma" "$work/pick/LOUD.FLAC" "$work/pick/notes.txt" "$work/pick/-x.tta"
[ "$(complete_words kelvaro-cli "")" = "--help --version convert info play watch " ]
[ "$(complete_words kelvaro-cli convert -c "")" = "keep mono stereo " ]
[ "$(complete_words kelvaro-cli convert --if-exists r)" = "rename " ]
[ "$(complete_words kelvaro-cli convert --progress=)" = "json " ]
[ "$(complete_words kelvaro-cli convert "")" = "-x.tta LOUD.FLAC folder song.wma " ]
[ "$(complete_words kelvaro-cli info -- -)" = "-x.tta " ]
# The stand-ins are found beside the real program, not beside the link.
env XDG_CONFIG_HOME="$work/config" "$prefix/bin/kelvaro-cli" convert -o "$work/out" "$data/Example.wma" >/dev/null
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
