# SPDX-License-Identifier: GPL-3.0-or-later
# Drives the real kelvaro, in the language given, through the accessibility bus
# to the Option dialog: each drop-down list is named by its label and holds
# its items as one child list, where the current item is the selected one;
# choosing another item from the keyboard is announced and read there.
# Usage (by run-atspi-test.sh on a private desktop): option_dialog_lists.py KELVARO English|Deutsch
import os
import pathlib
import sys

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parents[3] / "scripts"))
import pyatspi  # noqa: E402
from gi.repository import GLib  # noqa: E402
from atspi_driver import main_window, press, running, showing, terminate, wait_for  # noqa: E402

RESOURCES = pathlib.Path(__file__).resolve().parents[3] / "resources"
RATES = ["8000", "11025", "16000", "22050", "32000", "44100", "48000"]
BITS = ["8", "16", "24", "32"]


def captions(language):
    """Key to text of the language file's window sections, mnemonics dropped."""
    texts = {}
    for line in (RESOURCES / f"{language}.lng").read_text(encoding="utf-8").splitlines():
        key, equals, value = line.partition("=")
        if equals and not line.startswith((";", "[")):
            texts.setdefault(key, value.replace("&", ""))
    return texts


def selected_names(node):
    return [node.getChildAtIndex(i).name for i in range(node.childCount)
            if node.getChildAtIndex(i).getState().contains(pyatspi.STATE_SELECTED)]


def check_list(dialog, name, items, current):
    combo = wait_for(f'the list "{name}"', lambda: showing(dialog, name, pyatspi.ROLE_COMBO_BOX))
    if combo.childCount != 1:
        sys.exit(f'FAIL: "{name}" has {combo.childCount} children, not its list of items')
    listed = combo.getChildAtIndex(0)
    names = [listed.getChildAtIndex(i).name for i in range(listed.childCount)]
    if names != items:
        sys.exit(f'FAIL: "{name}" lists {names}, not {items}')
    if selected_names(listed) != [current]:
        sys.exit(f'FAIL: "{name}" has {selected_names(listed)} selected, not {current}')


def check_announced(dialog, name, following):
    """Down on the list chooses the following item: said, and selected in its list."""
    combo = showing(dialog, name, pyatspi.ROLE_COMBO_BOX)
    heard = []

    def listener(event):
        if event.source is not None and event.source.name == name:
            heard.append(event.type)

    events = ("object:selection-changed", "object:property-change:accessible-name",
              "object:property-change:accessible-value")
    pyatspi.Registry.registerEventListener(listener, *events)
    combo.queryComponent().grabFocus()
    wait_for(f'"{name}" focused', lambda: combo.getState().contains(pyatspi.STATE_FOCUSED))
    pyatspi.Registry.generateKeyboardEvent(0xFF54, None, pyatspi.KEY_SYM)  # Down

    def said():
        context = GLib.MainContext.default()
        while context.iteration(False):
            pass
        return heard

    wait_for(f'the change of "{name}" announced', said)
    pyatspi.Registry.deregisterEventListener(listener, *events)
    listed = combo.getChildAtIndex(0)
    wait_for(f'"{following}" selected in "{name}"', lambda: selected_names(listed) == [following])


def main():
    program_path, language = sys.argv[1], sys.argv[2]
    settings = pathlib.Path(os.environ["XDG_CONFIG_HOME"]) / "Trevalin" / "Kelvaro.conf"
    settings.parent.mkdir(parents=True, exist_ok=True)
    settings.write_text(f"[General]\nLanguage={language}\n", encoding="utf-8")
    text = captions(language)
    with running(program_path) as program:
        app, frame = main_window(program.pid)
        press(wait_for("Next", lambda: showing(frame, text["btnnext.Caption"], pyatspi.ROLE_PUSH_BUTTON)))
        option = wait_for("Option", lambda: showing(frame, text["btnOption.Caption"], pyatspi.ROLE_PUSH_BUTTON))
        press(option)
        dialog = wait_for("the Option dialog", lambda: showing(app, text["frmOption.Caption"], pyatspi.ROLE_DIALOG))
        check_list(dialog, text["lblRate.Caption"], RATES, "44100")
        check_list(dialog, text["lblbit.Caption"], BITS, "16")
        for label, items in (("lblchannels", "cbbchannels"), ("lblencoding", "cbbencoding"),
                             ("lblifexists", "cbbifexists")):
            choices = text[f"{items}.Items"].split("||")
            check_list(dialog, text[f"{label}.Caption"], choices, choices[0])
        check_announced(dialog, text["lblRate.Caption"], "48000")
        terminate(program)
        print(f"PASS: the Option dialog's lists in {language}: names, items and current items")


if __name__ == "__main__":
    main()
