#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Times kelvaro-cli convert against ffmpeg on the same 3-minute 44.1 kHz stereo
WMA file, once as it is and once to 22050 Hz, and prints the time ratios and the
peak memory of each. Usage: bench/cli_vs_ffmpeg.py [BUILD_DIR]"""
import os
import resource
import subprocess
import sys
import tempfile
import time

build = sys.argv[1] if len(sys.argv) > 1 else "build"
cli = os.path.join(build, "bin", "kelvaro-cli")


def run(args, env=None):
    """Returns (seconds, peak resident kilobytes) of one child process."""
    start = time.perf_counter()
    pid = os.fork()
    if pid == 0:
        os.close(1)
        os.open(os.devnull, os.O_WRONLY)
        os.execvpe(args[0], args, env or os.environ)
    _, status, usage = os.wait4(pid, 0)
    seconds = time.perf_counter() - start
    if os.waitstatus_to_exitcode(status) != 0:
        sys.exit(f"failed: {' '.join(args)}")
    return seconds, usage.ru_maxrss


def best(args, env=None, rounds=3):
    results = [run(args, env) for _ in range(rounds)]
    return min(r[0] for r in results), max(r[1] for r in results)


with tempfile.TemporaryDirectory() as folder:
    wma = os.path.join(folder, "song.wma")
    subprocess.run(["ffmpeg", "-v", "error", "-f", "lavfi", "-i",
                    "sine=frequency=440:sample_rate=44100:duration=180", "-f", "lavfi", "-i",
                    "anoisesrc=color=pink:sample_rate=44100:duration=180:amplitude=0.2",
                    "-filter_complex", "[0][1]amerge=inputs=2", "-c:a", "wmav2", "-b:a", "128k", wma],
                   check=True)
    env = dict(os.environ, XDG_CONFIG_HOME=os.path.join(folder, "config"))
    out = os.path.join(folder, "out")
    print(f"{'case':<22}{'kelvaro-cli s':>14}{'ffmpeg s':>10}{'ratio':>8}{'cli MiB':>9}{'ffmpeg MiB':>11}")
    for name, rate in (("44100 Hz (as it is)", "44100"), ("to 22050 Hz", "22050")):
        ours = best([cli, "convert", "-o", out, "-r", rate, "-b", "16", "-c", "keep", "-e", "pcm", wma], env)
        theirs = best(["ffmpeg", "-v", "error", "-y", "-i", wma, "-ar", rate, "-c:a", "pcm_s16le",
                       os.path.join(folder, "ffmpeg.wav")])
        print(f"{name:<22}{ours[0]:>14.3f}{theirs[0]:>10.3f}{ours[0] / theirs[0]:>8.2f}"
              f"{ours[1] / 1024:>9.1f}{theirs[1] / 1024:>11.1f}")
