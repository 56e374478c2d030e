#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""The hot directory under load: many WMA files dropped in bursts by writers of
different speeds while two busy processes load the processors.

hotdir-soak.py BIN_DIR [--files 2000] [--minutes 10] [--seed 1]

Writers: some copy a file at once, some write it slowly in pieces, some write
it under another name and rename it in, some into a new sub-folder. Bursts of
1 to 200 files, spread over the given minutes; the same seed gives the same
bursts. Checks that every file was converted exactly once and never before
it was complete (each WAV file has the full length), that the day log holds
every file's group of lines, and that the watcher's resident memory and open
descriptors stay flat from the first minute to the last. Prints the figures;
exits 1 when a check failed.
"""
import argparse
import glob
import os
import random
import shutil
import signal
import subprocess
import sys
import tempfile
import threading
import time


def rss_and_fds(pid):
    with open(f"/proc/{pid}/status") as f:
        rss = next(int(line.split()[1]) for line in f if line.startswith("VmRSS:"))
    return rss, len(os.listdir(f"/proc/{pid}/fd"))


def write_file(source, target, way, rng):
    data = open(source, "rb").read()
    os.makedirs(os.path.dirname(target), exist_ok=True)
    if way == "copy":
        with open(target, "wb") as f:
            f.write(data)
    elif way == "slow":
        with open(target, "wb") as f:
            for at in range(0, len(data), 4096):
                f.write(data[at:at + 4096])
                f.flush()
                time.sleep(rng.uniform(0.005, 0.05))
    else:  # "rename": written under a name the watcher ignores, then moved in
        hidden = target + ".tmp"
        with open(hidden, "wb") as f:
            f.write(data)
        os.rename(hidden, target)


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("bin_dir")
    parser.add_argument("--files", type=int, default=2000)
    parser.add_argument("--minutes", type=float, default=10)
    parser.add_argument("--seed", type=int, default=1)
    args = parser.parse_args()
    cli = os.path.join(os.path.abspath(args.bin_dir), "kelvaro-cli")
    rng = random.Random(args.seed)
    failed = []

    def check(name, ok, detail=""):
        print(("ok      " if ok else "FAILED  ") + name + (f" ({detail})" if detail and not ok else ""))
        if not ok:
            failed.append(name)

    with tempfile.TemporaryDirectory(prefix="kelvaro-soak-") as root:
        os.environ["XDG_CONFIG_HOME"] = os.path.join(root, "config")
        watched, out, logs, ref = (os.path.join(root, n) for n in ("in", "out", "logs", "ref"))
        for folder in (watched, out, logs, ref):
            os.makedirs(folder)
        source = os.path.join(root, "source.wma")
        subprocess.run(["ffmpeg", "-v", "error", "-f", "lavfi", "-i", "sine=f=440:d=1", "-ac", "2", "-ar",
                        "44100", "-c:a", "wmav2", "-b:a", "64k", "-y", source], check=True)
        subprocess.run([cli, "convert", "-o", ref, source], check=True, capture_output=True)
        full_size = os.path.getsize(os.path.join(ref, "source.wav"))

        busy = [subprocess.Popen([sys.executable, "-c", "while True: pass"]) for _ in range(2)]
        watcher = subprocess.Popen([cli, "watch", "--in", watched, "--out", out, "--log", logs, "--subdirs"],
                                   stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
        samples = []
        sampling = threading.Event()

        def sample():
            while not sampling.wait(5):
                samples.append((time.monotonic(), *rss_and_fds(watcher.pid)))

        sampler = threading.Thread(target=sample)
        sampler.start()
        time.sleep(1)
        names = []
        bursts = []
        while sum(bursts) < args.files:
            bursts.append(min(rng.randint(1, 200), args.files - sum(bursts)))
        start = time.monotonic()
        spacing = args.minutes * 60 / len(bursts)
        writers = []
        for number, burst in enumerate(bursts):
            folder = watched if number % 3 else os.path.join(watched, f"burst{number}")
            for i in range(burst):
                target = os.path.join(folder, f"b{number}-{i}.wma")
                names.append(os.path.relpath(target, watched))
                way = rng.choice(["copy", "copy", "slow", "rename"])
                writer = threading.Thread(target=write_file, args=(source, target, way, random.Random(rng.random())))
                writer.start()
                writers.append(writer)
            time.sleep(max(0.0, start + (number + 1) * spacing - time.monotonic()))
        for writer in writers:
            writer.join()
        wavs = lambda: [os.path.relpath(p, out) for p in glob.glob(os.path.join(out, "**", "*.wav"), recursive=True)]
        deadline = time.monotonic() + 600
        while len(wavs()) < len(names) and time.monotonic() < deadline:
            time.sleep(1)
        elapsed = time.monotonic() - start
        time.sleep(5)
        sampling.set()
        sampler.join()
        watcher.send_signal(signal.SIGTERM)
        _, errors = watcher.communicate(timeout=120)
        for process in busy:
            process.kill()
            process.wait()

        log = "".join(open(p, errors="replace").read() for p in sorted(glob.glob(os.path.join(logs, "*.log"))))
        expected = sorted(n[:-4] + ".wav" for n in names)
        check(f"all {len(names)} files converted", sorted(wavs()) == expected,
              f"{len(set(expected) - set(wavs()))} missing")
        short = [n for n in wavs() if os.path.getsize(os.path.join(out, n)) != full_size]
        check("no file converted before it was complete", not short, f"{len(short)} short, e.g. {short[:3]}")
        starts = log.count("Excute File: ")
        check("each file converted exactly once", starts == len(names), f"{starts} conversions started")
        groups = all(log.count(f"Excute File: {os.path.join(watched, n)}") == 1 for n in names)
        check("the day log holds every file's group", groups and log.count("[Success]") == len(names),
              f"{log.count('[Success]')} successes")
        check("the watcher ended normally", watcher.returncode == 0, f"status {watcher.returncode} {errors[-200:]}")
        first = [s for s in samples if s[0] - samples[0][0] <= 60]
        last = [s for s in samples if samples[-1][0] - s[0] <= 60]
        rss_first, rss_last = max(s[1] for s in first), max(s[1] for s in last)
        fds_first, fds_last = max(s[2] for s in first), max(s[2] for s in last)
        print(f"        {len(names)} files in {len(bursts)} bursts, all converted after {elapsed:.0f} s; "
              f"resident memory {rss_first} kB in the first minute, {rss_last} kB in the last; "
              f"open descriptors {fds_first} and {fds_last}")
        check("resident memory flat", rss_last <= rss_first * 1.25 + 4096, f"{rss_first} -> {rss_last} kB")
        check("open descriptors flat", fds_last <= fds_first + 2, f"{fds_first} -> {fds_last}")
    sys.exit(1 if failed else 0)


if __name__ == "__main__":
    main()
