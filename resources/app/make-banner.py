#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
# Draws banner.jpg, the picture at the top of the mode page, with ImageMagick:
# a dusk-blue band with a sound wave turning into stepped samples, and the
# program's purpose in words. Drawn at twice the size it is shown, so that it
# stays sharp on screens that scale by two.
# Run: python3 resources/app/make-banner.py (needs ImageMagick's convert).
import math
import pathlib
import subprocess

WIDTH, HEIGHT = 1200, 200
MID = HEIGHT // 2 + 10
HERE = pathlib.Path(__file__).resolve().parent


def wave_points():
    # A decaying chord from the left edge to the middle: the compressed sound.
    points = []
    for x in range(0, WIDTH // 2 + 1, 3):
        t = x / (WIDTH / 2)
        y = MID - (52 * (1 - 0.35 * t)) * (math.sin(x / 23.0) * 0.7 + math.sin(x / 9.0) * 0.3)
        points.append(f"{x},{y:.1f}")
    # Short segments, not one open path: ImageMagick 6 closes a stroked path.
    return " ".join(f"line {a} {b}" for a, b in zip(points, points[1:]))


def sample_bars():
    # The same curve from the middle on, as the samples of a WAV file.
    bars = []
    for x in range(WIDTH // 2, WIDTH, 16):
        y = (52 * 0.65) * (math.sin(x / 23.0) * 0.7 + math.sin(x / 9.0) * 0.3)
        top, bottom = sorted((MID, MID - y))
        bars.append(f"rectangle {x},{top:.0f} {x + 10},{max(bottom, top + 2):.0f}")
    return " ".join(bars)


def main():
    command = [
        "convert", "-size", f"{WIDTH}x{HEIGHT}", "gradient:#16324f-#1f6f78",
        "-fill", "none", "-stroke", "#9fd8e0", "-strokewidth", "5",
        "-draw", wave_points(),
        "-stroke", "none", "-fill", "#f2b84b", "-draw", sample_bars(),
        "-fill", "#16324fb0", "-draw", f"rectangle 0,0 {WIDTH},64",
        "-font", "DejaVu-Sans-Bold", "-pointsize", "38", "-fill", "white",
        "-gravity", "NorthWest", "-annotate", "+28+12", "WMA  to  WAV",
        "-font", "DejaVu-Sans", "-pointsize", "26", "-fill", "#d8eef2",
        "-gravity", "NorthEast", "-annotate", "+28+20", "batch lists and watched folders",
        "-quality", "90", "-sampling-factor", "4:4:4", "-strip",
        str(HERE / "banner.jpg"),
    ]
    subprocess.run(command, check=True)


if __name__ == "__main__":
    main()
