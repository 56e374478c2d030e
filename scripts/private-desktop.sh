#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs COMMAND on a desktop of its own: a virtual X server, a private D-Bus
# session (with its accessibility bus), private settings and runtime folders,
# and Qt's accessibility always on, so that scripts can drive the window as a
# screen reader does. Everything is gone afterwards. Exit status: COMMAND's.
# Usage: private-desktop.sh COMMAND [ARGUMENTS...]
set -euo pipefail

work=$(mktemp -d)
xvfb_pid=
cleanup() {
  if [ -n "$xvfb_pid" ]; then
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT

# Xvfb picks a free display and writes its number once it accepts clients.
exec 3>"$work/display"
# -noreset: a server that resets when its last client leaves refuses the next one meanwhile.
Xvfb -displayfd 3 -screen 0 1280x900x24 -nolisten tcp -noreset >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
exec 3>&-
for _ in $(seq 100); do
  [ -s "$work/display" ] && break
  sleep 0.1
done
[ -s "$work/display" ] || { cat "$work/xvfb.log" >&2; echo "Xvfb did not start" >&2; exit 1; }

export DISPLAY=":$(head -n1 "$work/display")"
export XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/runtime"
mkdir -m 700 -p "$XDG_RUNTIME_DIR"
export QT_QPA_PLATFORM=xcb QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
unset QT_ACCESSIBILITY_DISABLED
status=0
dbus-run-session -- "$@" || status=$?
[ "$status" -eq 0 ] || { echo "X server on $DISPLAY said:" >&2; cat "$work/xvfb.log" >&2; }
exit "$status"
