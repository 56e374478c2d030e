# SPDX-License-Identifier: GPL-3.0-or-later
# Drives the real kelvaro through the accessibility bus to the batch page: while
# the list is empty, a screen reader finds the panel's text and its "Example"
# link, and the page's buttons by their captions.
# Run by run-atspi-test.sh on a private desktop.
import pathlib
import sys

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parents[3] / "scripts"))
import pyatspi  # noqa: E402
from atspi_driver import main_window, press, running, showing, terminate, wait_for  # noqa: E402

EMPTY_LIST = ["The list is empty. Please add some Audio file to begin ...", "Example"]
BATCH_PAGE = ["Add", "Add Folder", "Convert To Wav", "Option", "Hot Directories Mode", "Show log..."]


def main():
    with running(sys.argv[1]) as program:
        _, frame = main_window(program.pid)
        press(showing(frame, "Next", pyatspi.ROLE_PUSH_BUTTON))
        wait_for("the batch page", lambda: showing(frame, "Next") is None)
        for name in EMPTY_LIST + BATCH_PAGE:
            wait_for(f'"{name}" on the batch page', lambda: showing(frame, name))
        terminate(program)
        print("PASS: the empty batch list and its link by accessible names")


if __name__ == "__main__":
    main()
