# SPDX-License-Identifier: GPL-3.0-or-later
# Drives the real kelvaro through the accessibility bus, finding every control
# by its accessible name: the mode page's controls are all there, "Hot
# Directories Mode" and then "Next" lead to the hot directory page, whose
# "Option" opens the Option dialog; a termination signal while the dialog is
# open ends the program with status 0 and its settings saved.
# Run by run-atspi-test.sh on a private desktop.
import os
import pathlib
import sys

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parents[3] / "scripts"))
import pyatspi  # noqa: E402
from atspi_driver import main_window, press, running, showing, terminate, wait_for  # noqa: E402

MODE_PAGE = ["Batch Convert Mode", "Hot Directories Mode", "Next", "Exit", "About", "Command Line Mode"]


def main():
    with running(sys.argv[1]) as program:
        app, frame = main_window(program.pid)
        for name in MODE_PAGE:
            wait_for(f'"{name}" on the mode page', lambda: showing(frame, name))
        hot = showing(frame, "Hot Directories Mode", pyatspi.ROLE_RADIO_BUTTON)
        press(hot)
        wait_for("Hot Directories Mode checked", lambda: hot.getState().contains(pyatspi.STATE_CHECKED))
        press(showing(frame, "Next", pyatspi.ROLE_PUSH_BUTTON))
        wait_for("the hot directory page", lambda: showing(frame, "Return to Batch Mode"))
        wait_for("the mode page gone", lambda: showing(frame, "Next") is None)
        press(showing(frame, "Option", pyatspi.ROLE_PUSH_BUTTON))
        wait_for("the Option dialog", lambda: showing(app, "Option", pyatspi.ROLE_DIALOG))
        terminate(program)
        settings = os.path.join(os.environ["XDG_CONFIG_HOME"], "Trevalin", "Kelvaro.conf")
        if not os.path.exists(settings):
            sys.exit("FAIL: no settings file after the program ended")
        print("PASS: mode page to hot directory page by accessible names")


if __name__ == "__main__":
    main()
