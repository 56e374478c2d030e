#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs SCRIPT against the real program on a private desktop, as a screen
# reader would drive it. Exit 77 (skipped) only when a tool is not installed.
# Usage: run-atspi-test.sh KELVARO SCRIPT [ARGUMENTS...]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
python=/usr/bin/python3

for tool in Xvfb dbus-run-session "$python"; do
  command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done
[ -x /usr/libexec/at-spi-bus-launcher ] || { echo "skipped: at-spi2-core is not installed"; exit 77; }
"$python" -c 'import pyatspi' 2>/dev/null || { echo "skipped: python3-pyatspi is not installed"; exit 77; }

exec "$here/../../../scripts/private-desktop.sh" "$python" "$2" "$1" "${@:3}"
