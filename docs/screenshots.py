# SPDX-License-Identifier: GPL-3.0-or-later
# Photographs each page of the window and the Option dialog; run through
# docs/take-screenshots.sh. A page or dialog that the build does not have yet is
# left out with a note, so the script serves while the window grows.
import pathlib
import signal
import subprocess
import sys
import time

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parents[1] / "scripts"))
import pyatspi  # noqa: E402
from atspi_driver import main_window, press, showing, wait_for  # noqa: E402


def photograph(node, path):
    """The screen area of node (a window or dialog) as a PNG."""
    time.sleep(0.5)  # let the last repaint reach the screen
    box = node.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    subprocess.run(["import", "-window", "root", "-crop", f"{box.width}x{box.height}+{box.x}+{box.y}",
                    "+repage", str(path)], check=True)
    print(f"wrote {path}")


def press_if_there(root, name, role=pyatspi.ROLE_PUSH_BUTTON):
    control = showing(root, name, role)
    if control is None:
        print(f'note: no "{name}" here yet')
        return False
    press(control)
    return True


def main():
    program_path, folder = sys.argv[1], pathlib.Path(sys.argv[2])
    program = subprocess.Popen([program_path])
    try:
        app, frame = main_window(program.pid)
        photograph(frame, folder / "mode-page.png")

        press(showing(frame, "Next", pyatspi.ROLE_PUSH_BUTTON))
        wait_for("the batch page", lambda: showing(frame, "Next") is None)
        photograph(frame, folder / "batch-page.png")

        if press_if_there(frame, "Hot Directories Mode"):
            wait_for("the hot directory page", lambda: showing(frame, "Return to Batch Mode"))
            photograph(frame, folder / "hot-directory-page.png")

        if press_if_there(frame, "Option"):
            dialog = wait_for("the Option dialog", lambda: showing(app, "Option", pyatspi.ROLE_DIALOG))
            photograph(dialog, folder / "option-dialog.png")
            press_if_there(dialog, "Cancel")
    finally:
        program.send_signal(signal.SIGTERM)
        try:
            program.wait(timeout=20)
        except subprocess.TimeoutExpired:
            program.kill()


if __name__ == "__main__":
    main()
