# SPDX-License-Identifier: GPL-3.0-or-later
# Photographs each page of the window and the Option dialog; run through
# docs/take-screenshots.sh. The batch page is shown after a finished run over
# the bundled example and a few files made here (one of them damaged), the hot
# directory page while it watches and has converted a file. Everything it
# makes lives in a temporary folder that is removed afterwards.
import os
import pathlib
import shutil
import signal
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parents[1] / "scripts"))
import pyatspi  # noqa: E402
from atspi_driver import TITLE, main_window, press, set_text, showing, wait_for  # noqa: E402

# Name, seconds, sample rate, channels, encoder and bit rate of the files made
# for the batch list: tones, so that the pictures need nothing but ffmpeg.
SAMPLES = [("Morning Chime.wma", 7, 44100, 2, "wmav2", "128k"),
           ("Voice Memo.wma", 12, 22050, 1, "wmav1", "32k"),
           ("Studio Take 3.wma", 5, 48000, 2, "wmav2", "192k")]
DAMAGED = "Broken Download.wma"
RUN_TIMEOUT = 120.0


def photograph(node, path):
    """The screen area of node (a window or dialog) as a PNG."""
    time.sleep(0.5)  # let the last repaint reach the screen
    box = node.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    # Without their time stamps, pictures of an unchanged window stay byte-equal.
    subprocess.run(["import", "-window", "root", "-crop", f"{box.width}x{box.height}+{box.x}+{box.y}",
                    "+repage", "-define", "png:exclude-chunks=date,time", str(path)], check=True)
    print(f"wrote {path}")


def make_samples(folder):
    """The files for the batch list, the damaged one last."""
    folder.mkdir()
    paths = []
    for name, seconds, rate, channels, codec, bitrate in SAMPLES:
        paths.append(folder / name)
        subprocess.run(["ffmpeg", "-nostdin", "-loglevel", "error", "-f", "lavfi", "-i",
                        f"sine=frequency={220 * channels + rate // 1000}:duration={seconds}",
                        "-ar", str(rate), "-ac", str(channels), "-c:a", codec, "-b:a", bitrate, str(paths[-1])],
                       check=True)
    # A whole file whose container header no longer says what it is.
    damaged = folder / DAMAGED
    data = bytearray(paths[0].read_bytes())
    data[:16] = bytes(16)
    damaged.write_bytes(bytes(data))
    return paths + [damaged]


def write_settings(save_path):
    """The batch output folder in the private desktop's settings file, which the program reads at start."""
    save_path.mkdir()
    settings = pathlib.Path(os.environ["XDG_CONFIG_HOME"]) / "Trevalin" / "Kelvaro.conf"
    settings.parent.mkdir(parents=True, exist_ok=True)
    settings.write_text(f"[Setting]\nSavePath={save_path}\n")


def dialog(app, role=None, name=None):
    """The first showing top-level window of app other than the main window."""
    for i in range(app.childCount):
        node = app.getChildAtIndex(i)
        if (node is not None and node.getRole() != pyatspi.ROLE_FRAME
                and node.getState().contains(pyatspi.STATE_SHOWING)
                and (role is None or node.getRole() == role) and (name is None or node.name == name)):
            return node
    return None


def row_count(frame):
    return showing(frame, "Files", pyatspi.ROLE_TREE).queryTable().nRows


def add_files(app, frame, paths):
    """Adds paths to the list through "Add" and its file dialog."""
    rows = row_count(frame)
    press(showing(frame, "Add", pyatspi.ROLE_PUSH_BUTTON))
    chooser = wait_for("the file dialog", lambda: dialog(app, pyatspi.ROLE_DIALOG))
    names = str(paths[0]) if len(paths) == 1 else " ".join(f'"{path}"' for path in paths)
    set_text(wait_for("the file name box", lambda: showing(chooser, "File name:", pyatspi.ROLE_TEXT)), names)
    press(showing(chooser, "Open", pyatspi.ROLE_PUSH_BUTTON))
    wait_for(f"{len(paths)} more rows in the list", lambda: row_count(frame) == rows + len(paths))


def failed_rows(frame):
    """The Name cells that tell of a failure."""
    table = showing(frame, "Files", pyatspi.ROLE_TREE).queryTable()
    cells = (table.getAccessibleAt(row, 0) for row in range(table.nRows))
    return [cell.name for cell in cells if cell.description.startswith("Failed")]


def finished_batch(app, frame, program_folder, work, output):
    """The batch page after converting the example and the made files into output."""
    add_files(app, frame, [program_folder / "Example.wma"])
    samples = make_samples(work / "samples")
    add_files(app, frame, samples)

    press(showing(frame, "Convert To Wav", pyatspi.ROLE_PUSH_BUTTON))
    browser = wait_for("the output folder browser", lambda: dialog(app, pyatspi.ROLE_DIALOG))
    # The browser opens at the settings' output folder.
    press(wait_for("the browser's Choose", lambda: showing(browser, "Choose", pyatspi.ROLE_PUSH_BUTTON)))
    # Cancel leaves the file manager closed; OK would show the last WAV file in it.
    question = wait_for("the question at the end of the run", lambda: dialog(app, name=TITLE), RUN_TIMEOUT)
    press(wait_for("the question's Cancel", lambda: showing(question, "Cancel", pyatspi.ROLE_PUSH_BUTTON)))
    wait_for("the question answered", lambda: dialog(app) is None)

    written = sorted(path.name for path in output.glob("*.wav"))
    if len(written) != len(samples):  # the example and all made files but the damaged one
        sys.exit(f"FAIL: the run wrote {written} into {output}")
    wait_for("a failed row", lambda: failed_rows(frame) == [DAMAGED])
    if showing(frame, "Show log...", pyatspi.ROLE_PUSH_BUTTON):
        press(showing(frame, "Show log...", pyatspi.ROLE_PUSH_BUTTON))
    wait_for("the log in view", lambda: showing(frame, "Hide log...", pyatspi.ROLE_PUSH_BUTTON))


def watching_hot_directory(frame, work):
    """The hot directory page started on three new folders, after a file copied in has been converted."""
    folders = {name: work / name.split()[0].lower() for name in ("Input Directory:", "Out Directory:",
                                                                 "Log File Path:")}
    for name, path in folders.items():
        path.mkdir()
        set_text(showing(frame, name, pyatspi.ROLE_TEXT), str(path))
    press(showing(frame, "Start", pyatspi.ROLE_PUSH_BUTTON))
    stop = showing(frame, "Stop", pyatspi.ROLE_PUSH_BUTTON)
    wait_for("the folder watched", lambda: stop.getState().contains(pyatspi.STATE_ENABLED))

    # Copied in whole, as a file manager's move would leave it.
    source = work / "samples" / SAMPLES[1][0]
    staged = folders["Input Directory:"].parent / f".{source.name}"
    shutil.copyfile(source, staged)
    staged.rename(folders["Input Directory:"] / source.name)
    wav = folders["Out Directory:"] / (source.stem + ".wav")
    activity = showing(frame, "Activity:", pyatspi.ROLE_TEXT).queryText()
    wait_for("the copied file converted and logged",
             lambda: wav.exists() and "[Success]" in activity.getText(0, -1), RUN_TIMEOUT)
    return stop


def main():
    program_path, folder = pathlib.Path(sys.argv[1]), pathlib.Path(sys.argv[2])
    with tempfile.TemporaryDirectory(prefix="kelvaro-pictures-") as temporary:
        work = pathlib.Path(temporary)
        output = work / "converted"
        write_settings(output)
        program = subprocess.Popen([program_path], cwd=work)
        try:
            app, frame = main_window(program.pid)
            photograph(frame, folder / "mode-page.png")

            press(showing(frame, "Next", pyatspi.ROLE_PUSH_BUTTON))
            wait_for("the batch page", lambda: showing(frame, "Next") is None)
            finished_batch(app, frame, program_path.parent, work, output)
            photograph(frame, folder / "batch-page.png")

            press(showing(frame, "Hot Directories Mode", pyatspi.ROLE_PUSH_BUTTON))
            wait_for("the hot directory page", lambda: showing(frame, "Return to Batch Mode"))
            stop = watching_hot_directory(frame, work)
            photograph(frame, folder / "hot-directory-page.png")
            press(stop)
            wait_for("the watch stopped", lambda: not stop.getState().contains(pyatspi.STATE_ENABLED))

            press(showing(frame, "Option", pyatspi.ROLE_PUSH_BUTTON))
            option = wait_for("the Option dialog", lambda: showing(app, "Option", pyatspi.ROLE_DIALOG))
            photograph(option, folder / "option-dialog.png")
            press(showing(option, "Cancel", pyatspi.ROLE_PUSH_BUTTON))
        finally:
            program.send_signal(signal.SIGTERM)
            try:
                program.wait(timeout=20)
            except subprocess.TimeoutExpired:
                program.kill()
                program.wait()


if __name__ == "__main__":
    main()
