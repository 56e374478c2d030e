#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Debian package with dpkg-buildpackage from a copy of the source
# tree in OUT (the files git tracks or would track, as they are now), so that
# neither the tree nor the folder above it keeps the build's leftovers. The
# package, its debug symbols, the .buildinfo and the .changes end up in OUT,
# the build's log in OUT/build.log.
# Usage: build-deb.sh OUT [dpkg-buildpackage options]
set -euo pipefail
out=$(realpath -m "$1")
shift
cd "$(dirname "$0")/.."
git rev-parse --is-inside-work-tree >/dev/null 2>&1 ||
  { echo "build-deb.sh copies the files of a git checkout; $(pwd) is none" >&2; exit 1; }
src="$out/kelvaro-$(dpkg-parsechangelog -S Version)"

rm -rf "$src"
rm -f "$out"/kelvaro*.deb "$out"/kelvaro*.buildinfo "$out"/kelvaro*.changes
mkdir -p "$src"
git ls-files -z --cached --others --exclude-standard |
  while IFS= read -r -d '' file; do
    # Deleted but not yet committed: gone from the package too.
    if [ -e "$file" ] || [ -L "$file" ]; then printf '%s\0' "$file"; fi
  done |
  tar --null -T - -cf - | tar -C "$src" -xf -

(cd "$src" && dpkg-buildpackage -us -uc -b "$@") >"$out/build.log" 2>&1 ||
  { tail -n 40 "$out/build.log"; echo "dpkg-buildpackage failed: $out/build.log" >&2; exit 1; }
rm -rf "$src"
