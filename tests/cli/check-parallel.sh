#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The README's recipe for many machines, run with GNU parallel's own name for
# this machine (":"): every file answers once in JSON, the summary counts them,
# a failed file fails the run, and a second run with --if-exists skip skips
# what the first converted. Exit 77 (skipped) without parallel or jq.
# Usage: check-parallel.sh RECIPE PROGRAM_FOLDER
set -euo pipefail
recipe=$1
export PATH="$2:$PATH"
for tool in parallel jq; do
  command -v $tool >/dev/null || { echo "$tool is not installed"; exit 77; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_CONFIG_HOME="$work/config" HOME="$work"
mkdir -p "$work/in/a folder"
for name in one two "a folder/three"; do
  cp "$2/Example.wma" "$work/in/$name.wma"
done
head -c 600 /dev/urandom >"$work/in/damaged.wma"
cd "$work/in"
list() { printf '%s\n' one.wma "a folder/three.wma" damaged.wma two.wma; }

status=0
list | "$recipe" -S : -n 2 -o "$work/out put" >"$work/first.json" || status=$?
[ $status -eq 1 ] || { echo "a failed file must fail the run, not give $status"; cat "$work/first.json"; exit 1; }
jq -e -s 'length == 5 and .[-1].summary == {files: 4, converted: 3, failed: 1, skipped: 0, unanswered: 0,
                                         elapsed_seconds: .[-1].summary.elapsed_seconds}' "$work/first.json" >/dev/null \
  || { echo "unexpected results:"; cat "$work/first.json"; exit 1; }
[ "$(jq -r 'select(.result == "failed") | .input' "$work/first.json")" = damaged.wma ]
# Each converted file's output is where its line says, as large as it says.
jq -r 'select(.result == "converted") | "\(.output)\t\(.size_bytes)"' "$work/first.json" |
  while IFS=$'\t' read -r output size; do
    [ "$(stat -c %s "$output")" = "$size" ] || { echo "$output is not $size bytes"; exit 1; }
  done
[ -f "$work/out put/three.wav" ]

list | grep -v damaged | "$recipe" -n 1 -o "$work/out put" -- --if-exists skip >"$work/second.json"
jq -e -s '.[-1].summary | .skipped == 3 and .converted == 0 and .files == 3' "$work/second.json" >/dev/null \
  || { echo "the second run did not skip:"; cat "$work/second.json"; exit 1; }
echo "the parallel recipe converted, failed and skipped as it should"
