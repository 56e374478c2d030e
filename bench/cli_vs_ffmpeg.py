#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Times kelvaro-cli convert against ffmpeg on 3-minute 44.1 kHz stereo WMA files,
to 22050 Hz and at the input's own rate: one file, and a batch of 8 files that
kelvaro-cli converts in one run with its default parallel jobs while ffmpeg
converts them one after another. All cases run interleaved, round after round,
so that load from elsewhere on the machine falls on both programs alike; the
median and the best round of each are printed with the time ratios (kelvaro-cli
/ ffmpeg), the processor time (user and system, all threads) and the peak
resident memory of each run (for ffmpeg's batch, of its largest process).

Usage: bench/cli_vs_ffmpeg.py [--rounds N] [--baseline BUILD_DIR] [BUILD_DIR]
  --baseline  another build of kelvaro-cli (an older commit, say) timed in the
              same rounds, so that its figures compare with this one's."""
import argparse
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

BATCH = 8
RATES = (("22050", "to 22050 Hz"), ("44100", "at 44100 Hz"))


def run(args, env):
    """Returns (seconds, peak resident KiB, processor seconds) of one child process."""
    start = time.perf_counter()
    pid = os.fork()
    if pid == 0:
        os.close(1)
        os.open(os.devnull, os.O_WRONLY)
        os.execvpe(args[0], args, env)
    _, status, usage = os.wait4(pid, 0)
    seconds = time.perf_counter() - start
    if os.waitstatus_to_exitcode(status) != 0:
        sys.exit(f"failed: {' '.join(args)}")
    return seconds, usage.ru_maxrss, usage.ru_utime + usage.ru_stime


def run_all(commands, env):
    """Runs commands one after another: (total seconds, largest peak KiB, total processor seconds)."""
    results = [run(args, env) for args in commands]
    return sum(r[0] for r in results), max(r[1] for r in results), sum(r[2] for r in results)


def make_wma(path):
    subprocess.run(["ffmpeg", "-v", "error", "-f", "lavfi", "-i",
                    "sine=frequency=440:sample_rate=44100:duration=180", "-f", "lavfi", "-i",
                    "anoisesrc=color=pink:sample_rate=44100:duration=180:amplitude=0.2",
                    "-filter_complex", "[0][1]amerge=inputs=2", "-c:a", "wmav2", "-b:a", "128k", path],
                   check=True)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("build", nargs="?", default="build")
    parser.add_argument("--baseline")
    parser.add_argument("--rounds", type=int, default=5)
    options = parser.parse_args()
    programs = {"kelvaro-cli": os.path.join(options.build, "bin", "kelvaro-cli")}
    if options.baseline:
        programs["baseline"] = os.path.join(options.baseline, "bin", "kelvaro-cli")
    usage = subprocess.run([programs["kelvaro-cli"], "--help"], capture_output=True, text=True).stdout
    jobs = "its default -j" if " -j" in usage else "no -j yet: one file after another"

    with tempfile.TemporaryDirectory() as folder:
        single = os.path.join(folder, "one", "song.wma")
        os.makedirs(os.path.dirname(single))
        make_wma(single)
        batch = []
        os.makedirs(os.path.join(folder, "batch"))
        for n in range(BATCH):
            batch.append(os.path.join(folder, "batch", f"song{n + 1}.wma"))
            shutil.copyfile(single, batch[-1])
        env = dict(os.environ, XDG_CONFIG_HOME=os.path.join(folder, "config"))
        out = os.path.join(folder, "out")

        def ours(program, rate, inputs):
            return [[program, "convert", "-o", out, "-r", rate, "-b", "16", "-c", "keep", "-e", "pcm"] + inputs]

        def theirs(rate, inputs):
            return [["ffmpeg", "-v", "error", "-y", "-i", name, "-ar", rate, "-c:a", "pcm_s16le",
                     os.path.join(out, "ffmpeg-" + os.path.basename(name) + ".wav")] for name in inputs]

        cases = []
        for inputs, label in (([single], "1 file"), (batch, f"{BATCH} files")):
            for rate, named in RATES:
                commands = {name: ours(program, rate, inputs) for name, program in programs.items()}
                commands["ffmpeg"] = theirs(rate, inputs)
                cases.append((f"{label} {named}", commands))
        os.makedirs(out)
        results = {(case, tool): [] for case, commands in cases for tool in commands}
        for round_number in range(options.rounds):
            for case, commands in cases:
                tools = list(commands)
                # Alternate who goes first, so that neither always meets a warm or a cold cache.
                if round_number % 2:
                    tools.reverse()
                for tool in tools:
                    results[(case, tool)].append(run_all(commands[tool], env))

    print(f"kelvaro-cli: {programs['kelvaro-cli']} ({jobs}); {options.rounds} interleaved rounds; "
          f"{os.cpu_count()} processors")
    print(f"{'case':<24}{'tool':<13}{'median s':>9}{'best s':>8}{'ratio med':>10}{'ratio best':>11}"
          f"{'cpu s':>7}{'peak MiB':>9}")
    for case, commands in cases:
        ffmpeg = results[(case, "ffmpeg")]
        for tool in commands:
            times = [r[0] for r in results[(case, tool)]]
            peak = max(r[1] for r in results[(case, tool)]) / 1024
            cpu = statistics.median(r[2] for r in results[(case, tool)])
            ratio_median = statistics.median(times) / statistics.median(r[0] for r in ffmpeg)
            ratio_best = min(times) / min(r[0] for r in ffmpeg)
            print(f"{case:<24}{tool:<13}{statistics.median(times):>9.3f}{min(times):>8.3f}"
                  f"{ratio_median:>10.2f}{ratio_best:>11.2f}{cpu:>7.2f}{peak:>9.1f}")


main()
