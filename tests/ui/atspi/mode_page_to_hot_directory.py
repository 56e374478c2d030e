# SPDX-License-Identifier: GPL-3.0-or-later
# Drives the real kelvaro through the accessibility bus, finding every control
# by its accessible name: the mode page's controls are all there, "Hot
# Directories Mode" and then "Next" lead to the hot directory page, and a
# termination signal ends the program with status 0 and its settings saved.
# Run by run-atspi-test.sh inside a private X server and D-Bus session.
import os
import signal
import subprocess
import sys
import time

import pyatspi

TITLE = "Trevalin free WMA to Wav Converter"
MODE_PAGE = ["Batch Convert Mode", "Hot Directories Mode", "Next", "Exit", "About", "Command Line Mode"]


def wait_for(what, condition, timeout=20.0):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        try:
            result = condition()
        except Exception:  # objects come and go while the window builds
            result = None
        if result:
            return result
        time.sleep(0.1)
    sys.exit(f"FAIL: {what}")


def application(pid):
    desktop = pyatspi.Registry.getDesktop(0)
    for i in range(desktop.childCount):
        app = desktop.getChildAtIndex(i)
        if app is not None and app.get_process_id() == pid:
            return app
    return None


def showing(root, name, role=None):
    """The first showing control named name (and of role, when given)."""
    def matches(node):
        return (node.name == name and (role is None or node.getRole() == role)
                and node.getState().contains(pyatspi.STATE_SHOWING))
    return pyatspi.findDescendant(root, matches)


def press(node):
    action = node.queryAction()
    names = [action.getName(i) for i in range(action.nActions)]
    for wanted in ("Press", "Toggle", "press", "click"):
        if wanted in names:
            action.doAction(names.index(wanted))
            return
    sys.exit(f"FAIL: {node.name} offers no press action ({names})")


def main():
    program = subprocess.Popen([sys.argv[1]])
    try:
        app = wait_for("kelvaro on the accessibility bus", lambda: application(program.pid))
        frame = wait_for("the main window", lambda: showing(app, TITLE, pyatspi.ROLE_FRAME))
        for name in MODE_PAGE:
            wait_for(f'"{name}" on the mode page', lambda: showing(frame, name))
        hot = showing(frame, "Hot Directories Mode", pyatspi.ROLE_RADIO_BUTTON)
        press(hot)
        wait_for("Hot Directories Mode checked", lambda: hot.getState().contains(pyatspi.STATE_CHECKED))
        press(showing(frame, "Next", pyatspi.ROLE_PUSH_BUTTON))
        wait_for("the hot directory page", lambda: showing(frame, "Return to Batch Mode"))
        wait_for("the mode page gone", lambda: showing(frame, "Next") is None)
        program.send_signal(signal.SIGTERM)
        status = program.wait(timeout=20)
        if status != 0:
            sys.exit(f"FAIL: exit status {status} after SIGTERM")
        settings = os.path.join(os.environ["XDG_CONFIG_HOME"], "Trevalin", "Kelvaro.conf")
        if not os.path.exists(settings):
            sys.exit("FAIL: no settings file after the program ended")
        print("PASS: mode page to hot directory page by accessible names")
    finally:
        if program.poll() is None:
            program.kill()
            program.wait()


if __name__ == "__main__":
    main()
