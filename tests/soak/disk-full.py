#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""A full disk, on small tmpfs folders in a private mount namespace (needs root).

disk-full.py BIN_DIR

1. A batch run (kelvaro-cli convert -j 1) into an output folder that fills
   during the third of five files: that file fails saying the disk is full,
   no hidden or partial file stays, every WAV file there is complete, and the
   run ends with status 1.
2. The hot directory (kelvaro-cli watch) with the same small output folder:
   a file that does not fit fails and leaves nothing; once space is freed the
   next file converts.
3. The hot directory with a full day log folder: the conversion is right, the
   log lines that cannot be written are reported, and the day log written
   before keeps its lines.
Prints one line per check and exits 1 when any failed.
"""
import os
import shutil
import signal
import struct
import subprocess
import sys
import tempfile
import time

WAV_BYTES = 44 + 3 * 44100 * 4  # each input: 3 s of 16-bit stereo at 44100 Hz
FAILED = []


def check(name, ok, detail=""):
    print(("ok      " if ok else "FAILED  ") + name + (f" ({detail})" if detail and not ok else ""))
    if not ok:
        FAILED.append(name)


def make_inputs(folder, count):
    os.makedirs(folder, exist_ok=True)
    for i in range(count):
        subprocess.run(["ffmpeg", "-v", "error", "-f", "lavfi", "-i", f"sine=f={300 + 50 * i}:d=3",
                        "-ac", "2", "-ar", "44100", "-c:a", "wmav2", "-b:a", "64k", "-y",
                        os.path.join(folder, f"song{i + 1}.wma")], check=True)


def mount_small(folder, size):
    os.makedirs(folder, exist_ok=True)
    subprocess.run(["mount", "-t", "tmpfs", "-o", f"size={size}", "tmpfs", folder], check=True)


def complete_wav(path):
    """The RIFF and data sizes state exactly what the file holds."""
    with open(path, "rb") as f:
        data = f.read()
    if len(data) < 44 or data[:4] != b"RIFF" or data[8:12] != b"WAVE":
        return False
    return struct.unpack("<I", data[4:8])[0] + 8 == len(data) and \
        struct.unpack("<I", data[40:44])[0] + 44 == len(data)


def leftovers(folder):
    return [n for n in os.listdir(folder) if n.startswith(".") or n.endswith(".part")]


def wait_for(predicate, seconds=60):
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        if predicate():
            return True
        time.sleep(0.1)
    return False


def batch_run(cli, inputs, out):
    run = subprocess.run([cli, "convert", "-j", "1", "-o", out] + inputs, capture_output=True, text=True)
    log = run.stdout + run.stderr
    wavs = sorted(n for n in os.listdir(out) if n.endswith(".wav"))
    check("batch: the run ends with status 1", run.returncode == 1, f"status {run.returncode}")
    check("batch: the files that fit are converted", wavs[:2] == ["song1.wav", "song2.wav"], str(wavs))
    check("batch: every WAV file left is complete", all(complete_wav(os.path.join(out, n)) for n in wavs))
    check("batch: no hidden or partial file stays", not leftovers(out), str(leftovers(out)))
    check("batch: the log says the disk is full", "No space left on device" in log, log[-400:])
    print(f"        {len(wavs)} of {len(inputs)} converted into a {os.statvfs(out).f_blocks * os.statvfs(out).f_frsize} byte folder")


def watch(cli, watched, out, logs):
    return subprocess.Popen([cli, "watch", "--in", watched, "--out", out, "--log", logs],
                            stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)


def stop(process):
    process.send_signal(signal.SIGTERM)
    output, _ = process.communicate(timeout=60)
    return process.returncode, output


def hot_directory(cli, inputs, watched, out, logs):
    process = watch(cli, watched, out, logs)
    time.sleep(1)
    for name in ("song1", "song2"):
        shutil.copy(inputs[name], watched)
        check(f"hot directory: {name} converts while there is room",
              wait_for(lambda: os.path.exists(os.path.join(out, name + ".wav"))))
    shutil.copy(inputs["song3"], watched)
    day_log = lambda: "".join(open(os.path.join(logs, n), errors="replace").read() for n in os.listdir(logs))
    check("hot directory: the file that does not fit fails",
          wait_for(lambda: day_log().count("[Failed]") == 1), day_log()[-300:])
    check("hot directory: it leaves nothing", not os.path.exists(os.path.join(out, "song3.wav"))
          and not leftovers(out), str(os.listdir(out)))
    for name in ("song1", "song2"):
        os.remove(os.path.join(out, name + ".wav"))
    shutil.copy(inputs["song4"], watched)
    check("hot directory: once space is free the next file converts",
          wait_for(lambda: os.path.exists(os.path.join(out, "song4.wav"))
                   and complete_wav(os.path.join(out, "song4.wav"))))
    status, output = stop(process)
    check("hot directory: it ends normally on SIGTERM", status == 0, f"status {status}")
    check("hot directory: the day log names the disk as the reason", "No space left on device" in day_log(),
          day_log()[-300:])


def full_log_folder(cli, inputs, watched, out, logs):
    # Earlier lines that fill most of a page, so that the lines of the next
    # file need one more.
    earlier = "Start: [00:00:00]\r\nExcute File: earlier.wma\r\n" * 88
    day = time.strftime("%y-%m-%d") + ".log"
    with open(os.path.join(logs, day), "w", newline="") as f:
        f.write(earlier)
    filler = os.open(os.path.join(logs, "filler"), os.O_WRONLY | os.O_CREAT, 0o600)
    try:
        while os.write(filler, b"\0" * 4096) > 0:
            pass
    except OSError:
        pass
    os.close(filler)
    process = watch(cli, watched, out, logs)
    time.sleep(1)
    shutil.copy(inputs["song5"], watched)
    converted = wait_for(lambda: os.path.exists(os.path.join(out, "song5.wav")))
    check("full log folder: the file converts", converted and complete_wav(os.path.join(out, "song5.wav")))
    time.sleep(2)
    status, output = stop(process)
    check("full log folder: it ends normally on SIGTERM", status == 0, f"status {status}")
    check("full log folder: the failed log write is reported once",
          output.count("No space left on device") == 1, output[-300:])
    kept = open(os.path.join(logs, day), newline="").read()
    check("full log folder: the day log keeps its earlier lines", kept.startswith(earlier), repr(kept[:80]))


def inside(bin_dir):
    cli = os.path.join(bin_dir, "kelvaro-cli")
    with tempfile.TemporaryDirectory(prefix="kelvaro-disk-full-") as root:
        os.environ["XDG_CONFIG_HOME"] = os.path.join(root, "config")
        make_inputs(os.path.join(root, "in"), 5)
        inputs = {f"song{i}": os.path.join(root, "in", f"song{i}.wma") for i in range(1, 6)}
        room = f"{(2 * WAV_BYTES + WAV_BYTES // 2) // 1024}k"
        small = [os.path.join(root, n) for n in ("batch-out", "hot-out", "full-logs")]
        for folder in ("hot-in", "hot-logs", "logs-in", "logs-out"):
            os.makedirs(os.path.join(root, folder))
        try:
            for folder, size in zip(small, (room, room, "64k")):
                mount_small(folder, size)
            batch_run(cli, [inputs[f"song{i}"] for i in range(1, 6)], small[0])
            hot_directory(cli, inputs, os.path.join(root, "hot-in"), small[1], os.path.join(root, "hot-logs"))
            full_log_folder(cli, inputs, os.path.join(root, "logs-in"), os.path.join(root, "logs-out"), small[2])
        finally:
            for folder in small:
                subprocess.run(["umount", folder], check=False)
    return 1 if FAILED else 0


def main():
    if len(sys.argv) == 3 and sys.argv[1] == "--inside":
        sys.exit(inside(sys.argv[2]))
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    if os.geteuid() != 0 or shutil.which("unshare") is None:
        print("disk-full.py: needs root and unshare for its private mounts; skipped")
        sys.exit(77)
    sys.exit(subprocess.run(["unshare", "--mount", "--propagation", "private", sys.executable,
                             os.path.abspath(__file__), "--inside", os.path.abspath(sys.argv[1])]).returncode)


if __name__ == "__main__":
    main()
