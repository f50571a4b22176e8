#!/usr/bin/env python3
"""Writes a Cube 3D file of a smooth grade (saturation, per-channel gamma and lift), so that
every value carries six significant decimals: the input of the peer and apply benchmarks.

Usage: make-grade-cube.py SIZE PATH TITLE [--clamp]   (--clamp keeps every value at most 1)
"""
import sys


def main():
    size, path, title = int(sys.argv[1]), sys.argv[2], sys.argv[3]
    clamp = "--clamp" in sys.argv[4:]
    top = size - 1
    lines = [f'TITLE "{title}"', f"LUT_3D_SIZE {size}"]
    for b in range(size):
        for g in range(size):
            for r in range(size):
                rgb = (r / top, g / top, b / top)
                luma = 0.2126 * rgb[0] + 0.7152 * rgb[1] + 0.0722 * rgb[2]
                out = []
                for c, gamma, lift in zip(rgb, (0.85, 0.95, 1.1), (0.012, 0.004, 0.021)):
                    s = abs(luma + 1.3 * (c - luma))
                    value = lift + (1 - lift) * s**gamma
                    out.append(min(1.0, value) if clamp else value)
                lines.append(" ".join(f"{v:.6f}" for v in out))
    with open(path, "w", newline="\n") as f:
        f.write("\n".join(lines) + "\n")


main()
