#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Takes the README's pictures of the window: starts the built kelvaro on a
# private virtual desktop, walks its pages by their controls' accessible names,
# runs a batch conversion and a hot directory watch over files it makes, and
# photographs each page (and the Option dialog) into docs/screenshots/.
# Needs Xvfb, dbus, at-spi2-core, python3-pyatspi, ImageMagick and ffmpeg (scripts/packages.txt).
# Usage: docs/take-screenshots.sh [KELVARO]   (default build/bin/kelvaro)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
kelvaro=$(realpath "${1:-$root/build/bin/kelvaro}")
mkdir -p "$root/docs/screenshots"
exec "$root/scripts/private-desktop.sh" /usr/bin/python3 "$root/docs/screenshots.py" "$kelvaro" \
  "$root/docs/screenshots"
