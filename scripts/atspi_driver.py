# SPDX-License-Identifier: GPL-3.0-or-later
# Finding and pressing the window's controls through the accessibility bus, by
# their accessible names, as a screen reader does. Used by the end-to-end test
# and the screenshot script, inside scripts/private-desktop.sh.
import contextlib
import signal
import subprocess
import sys
import time

import pyatspi

TITLE = "Trevalin free WMA to Wav Converter"


def wait_for(what, condition, timeout=20.0):
    """condition()'s first true result; ends the script when time runs out."""
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        try:
            result = condition()
        except Exception:  # objects come and go while windows build
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
    """Presses a button or checks a choice through its first fitting action."""
    action = node.queryAction()
    names = [action.getName(i) for i in range(action.nActions)]
    for wanted in ("Press", "Toggle", "press", "click"):
        if wanted in names:
            action.doAction(names.index(wanted))
            return
    sys.exit(f"FAIL: {node.name} offers no press action ({names})")


def main_window(pid):
    app = wait_for("the program on the accessibility bus", lambda: application(pid))
    return app, wait_for("the main window", lambda: showing(app, TITLE, pyatspi.ROLE_FRAME))


def set_text(node, text):
    """Replaces the text of an edit box, as typing would."""
    if not node.queryEditableText().setTextContents(text):
        sys.exit(f"FAIL: {node.name} refuses text")
    wait_for(f'"{text}" in {node.name}', lambda: node.queryText().getText(0, -1) == text)


@contextlib.contextmanager
def running(program_path):
    """The program started; killed on the way out if it is still there."""
    program = subprocess.Popen([program_path])
    try:
        yield program
    finally:
        if program.poll() is None:
            program.kill()
            program.wait()


def terminate(program):
    """Ends the program as a desktop session would; fails unless it exits with 0."""
    program.send_signal(signal.SIGTERM)
    status = program.wait(timeout=20)
    if status != 0:
        sys.exit(f"FAIL: exit status {status} after SIGTERM")
