#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Times the window's batch run against kelvaro-cli convert on the same files,
and the window's load of a long list.

The window is the real program on a private desktop (scripts/private-desktop.sh:
Xvfb, its own D-Bus and accessibility bus, settings in a temporary folder),
driven as a user would through the accessibility bus: the files are handed over
on its command line, and once every row is listed "Convert To Wav" is pressed
and the folder browser, opened on the output folder the settings name, is
accepted with "Choose". The run is timed from that press until every WAV file
has its final name, watched in the file system, which costs the window nothing
(asking the window through the accessibility bus a hundred times a second took
processor time from the conversions); the end-of-run question (a box with OK
and Cancel) is then awaited untimed. kelvaro-cli converts the same files to the
same folder with the same settings file, timed from start to exit. The two run
interleaved, round after round, so that load from elsewhere falls on both; the
median and the best round are printed with the ratio window / kelvaro-cli.

Cases: 40 stereo WMA files of 10 s, 8 of 3 minutes (128 kbit/s, 44.1 kHz, made
with ffmpeg), and the load of 10,000 files: from the program's start until
"Add" answers again and the list holds every row, each probed.

Usage: bench/window_vs_cli.py [--rounds N] [--quick] [--cases short,long,load] [BUILD_DIR]
  --rounds  rounds of each case (default 5)
  --quick   one round, and 2,000 files instead of 10,000 for the load
Needs Xvfb, dbus-run-session, at-spi2-core and python3-pyatspi (scripts/packages.txt)."""
import argparse
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)
INSIDE = "KELVARO_BENCH_DESKTOP"


def make_wma(path, seconds):
    subprocess.run(["ffmpeg", "-v", "error", "-y", "-f", "lavfi", "-i", f"sine=f=440:d={seconds}", "-ac", "2",
                    "-ar", "44100", "-c:a", "wmav2", "-b:a", "128k", path], check=True)


def copies(source, folder, count):
    os.makedirs(folder, exist_ok=True)
    names = []
    for n in range(count):
        names.append(os.path.join(folder, f"song{n + 1:05}.wma"))
        if n == 0:
            shutil.copyfile(source, names[0])
        else:
            os.link(names[0], names[-1])
    return names


def settings_folder(parent, out):
    """A settings folder whose batch output folder is out; defaults otherwise."""
    config = tempfile.mkdtemp(dir=parent, prefix="config")
    os.makedirs(os.path.join(config, "Trevalin"))
    with open(os.path.join(config, "Trevalin", "Kelvaro.conf"), "w") as conf:
        conf.write(f"[Setting]\nSavePath={out}\n")
    return config


def fresh(folder):
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(folder)


def check_outputs(files, out):
    for path in files:
        wav = os.path.join(out, os.path.splitext(os.path.basename(path))[0] + ".wav")
        if not os.path.getsize(wav):
            sys.exit(f"no output: {wav}")


def run_cli(cli, files, out, work):
    fresh(out)
    env = dict(os.environ, XDG_CONFIG_HOME=settings_folder(work, out))
    start = time.perf_counter()
    subprocess.run([cli, "convert", "-q", "-o", out, *files], env=env, check=True, stdout=subprocess.DEVNULL)
    seconds = time.perf_counter() - start
    check_outputs(files, out)
    return seconds


class Window:
    """The program started on the files; its accessible main window."""

    def __init__(self, program, files, out, work):
        import atspi_driver
        self.driver = atspi_driver
        env = dict(os.environ, XDG_CONFIG_HOME=settings_folder(work, out))
        self.started = time.perf_counter()
        self.process = subprocess.Popen([program, *files], env=env, stdout=subprocess.DEVNULL,
                                        stderr=subprocess.DEVNULL)
        self.app, self.frame = atspi_driver.main_window(self.process.pid)
        self.count = len(files)
        # Found once: a search through a list of thousands of rows takes seconds.
        self.add = atspi_driver.wait_for("Add", lambda: self.button("Add"))
        self.files = atspi_driver.wait_for("the list", lambda: self.control(self.frame, "Files", "tree"))

    @staticmethod
    def control(root, name, role):
        """The showing control named name of role below root, not looking inside lists."""
        import pyatspi
        for i in range(root.childCount):
            child = root.getChildAtIndex(i)
            if child is None or not child.getState().contains(pyatspi.STATE_SHOWING):
                continue
            if child.name == name and child.getRoleName() == role:
                return child
            if child.getRoleName() not in ("tree", "table", "list"):
                found = Window.control(child, name, role)
                if found is not None:
                    return found
        return None

    def button(self, name, root=None):
        return self.control(root or self.frame, name, "push button")

    def listed(self):
        """Every file has its row and the list takes files again: the load is over."""
        import pyatspi
        if self.process.poll() is not None:
            sys.exit(f"the program ended (status {self.process.returncode}) before every row was listed")
        if not self.add.getState().contains(pyatspi.STATE_SENSITIVE):
            return False
        table = self.files.queryTable()
        if table.nRows != self.count:
            return False
        # The last row probed: its length, rate, ... columns hold something.
        last = [table.getAccessibleAt(self.count - 1, c).name for c in range(table.nColumns)]
        return any(last[4:])

    def check_probed(self):
        """Every row has its length, rate, ... (untimed: a call per row)."""
        table = self.files.queryTable()
        for row in range(table.nRows):
            if not table.getAccessibleAt(row, 4).name:
                sys.exit(f"row {row + 1} was listed without being probed")

    def dialog_with(self, *buttons):
        """A top-level window of the program, other than the main one, offering buttons."""
        try:
            for i in range(self.app.childCount):
                window = self.app.getChildAtIndex(i)
                if window is None or window == self.frame:
                    continue
                if all(self.button(b, window) for b in buttons):
                    return window
        except Exception:  # windows come and go while they build
            pass
        return None

    def close(self):
        self.driver.terminate(self.process)


def run_window(program, files, out, work):
    fresh(out)
    window = Window(program, files, out, work)
    try:
        window.driver.wait_for("every row listed", window.listed, timeout=600)
        window.driver.press(window.button("Convert To Wav"))
        browser = window.driver.wait_for("the folder browser", lambda: window.dialog_with("Choose"))
        choose = window.button("Choose", browser)
        wanted = {os.path.splitext(os.path.basename(path))[0] + ".wav" for path in files}
        start = time.perf_counter()
        window.driver.press(choose)
        while not wanted.issubset(os.listdir(out)):
            time.sleep(0.002)
            if time.perf_counter() - start > 3600:
                sys.exit("the run did not end within an hour")
        seconds = time.perf_counter() - start
        question = window.driver.wait_for("the end-of-run question", lambda: window.dialog_with("OK", "Cancel"))
        window.driver.press(window.button("Cancel", question))
    finally:
        if window.process.poll() is None:
            window.close()
    check_outputs(files, out)
    return seconds


def load_window(program, files, out, work):
    window = Window(program, files, out, work)
    try:
        window.driver.wait_for("every row listed", window.listed, timeout=600)
        seconds = time.perf_counter() - window.started
        window.check_probed()
        return seconds
    finally:
        if window.process.poll() is None:
            window.close()


def report(name, window, cli):
    line = f"{name:<22} window {statistics.median(window):7.2f} s (best {min(window):6.2f})"
    if cli:
        line += (f"   kelvaro-cli {statistics.median(cli):6.2f} s (best {min(cli):6.2f})"
                 f"   window / cli {statistics.median(window) / statistics.median(cli):6.2f}")
    print(line, flush=True)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("build", nargs="?", default=os.path.join(ROOT, "build"))
    parser.add_argument("--rounds", type=int, default=5)
    parser.add_argument("--quick", action="store_true")
    parser.add_argument("--cases", default="short,long,load")
    options = parser.parse_args()
    if INSIDE not in os.environ:
        os.environ[INSIDE] = "1"
        desktop = os.path.join(ROOT, "scripts", "private-desktop.sh")
        # pyatspi comes with the system's own Python.
        os.execv(desktop, [desktop, "/usr/bin/python3", os.path.abspath(__file__), *sys.argv[1:]])
    sys.path.insert(0, os.path.join(ROOT, "scripts"))
    rounds = 1 if options.quick else options.rounds
    program = os.path.abspath(os.path.join(options.build, "bin", "kelvaro"))
    cli = os.path.abspath(os.path.join(options.build, "bin", "kelvaro-cli"))
    cases = options.cases.split(",")
    print(f"load before: {os.getloadavg()[0]:.2f}  processors: {os.cpu_count()}  rounds: {rounds}", flush=True)

    with tempfile.TemporaryDirectory() as work:
        out = os.path.join(work, "out")
        sets = []
        if "short" in cases:
            make_wma(os.path.join(work, "10s.wma"), 10)
            sets.append(("40 files of 10 s", copies(os.path.join(work, "10s.wma"), os.path.join(work, "short"), 40)))
        if "long" in cases:
            make_wma(os.path.join(work, "3min.wma"), 180)
            sets.append(("8 files of 3 minutes", copies(os.path.join(work, "3min.wma"), os.path.join(work, "long"), 8)))
        for name, files in sets:
            window, command = [], []
            for n in range(rounds):
                # Each program goes first every other round.
                if n % 2 == 0:
                    window.append(run_window(program, files, out, work))
                    command.append(run_cli(cli, files, out, work))
                else:
                    command.append(run_cli(cli, files, out, work))
                    window.append(run_window(program, files, out, work))
            report(name, window, command)
        if "load" in cases:
            count = 2000 if options.quick else 10000
            if not os.path.exists(os.path.join(work, "10s.wma")):
                make_wma(os.path.join(work, "10s.wma"), 10)
            files = copies(os.path.join(work, "10s.wma"), os.path.join(work, "many"), count)
            report(f"list of {count} files", [load_window(program, files, out, work) for _ in range(rounds)], None)
    print(f"load after: {os.getloadavg()[0]:.2f}", flush=True)


if __name__ == "__main__":
    main()
