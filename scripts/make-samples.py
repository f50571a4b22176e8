#!/usr/bin/env python3
"""Writes the sample LUTs of assets/samples/.

Every sample is computed here from a few lines of colour maths; none is taken from
another program. Run it from anywhere: python3 scripts/make-samples.py [OUTPUT_DIR]
(default: assets/samples/ beside this script's folder). The output is deterministic,
so running it again reproduces the committed files byte for byte.
"""

import os
import sys

# Rec. 709 luma weights.
LUMA = (0.2126, 0.7152, 0.0722)


def clamp(v, lo=0.0, hi=1.0):
    return lo if v < lo else hi if v > hi else v


def mix(a, b, t):
    return a + (b - a) * t


def smoothstep(e0, e1, x):
    t = clamp((x - e0) / (e1 - e0))
    return t * t * (3.0 - 2.0 * t)


def luma(rgb):
    return sum(w * c for w, c in zip(LUMA, rgb))


def saturate(rgb, amount):
    y = luma(rgb)
    return tuple(y + (c - y) * amount for c in rgb)


def contrast(x, amount, pivot=0.45):
    """S-shaped contrast around a pivot that keeps 0 and 1 in place."""
    if x <= 0.0 or x >= 1.0:
        return clamp(x)
    # A power curve on each side of the pivot keeps the curve smooth at the pivot.
    if x < pivot:
        return pivot * (x / pivot) ** amount
    return 1.0 - (1.0 - pivot) * ((1.0 - x) / (1.0 - pivot)) ** amount


# ---- the looks -----------------------------------------------------------------------


def warm_look(rgb):
    r, g, b = (contrast(c, 1.12) for c in rgb)
    r = r * 1.05 + 0.015
    g = g * 1.01 + 0.004
    b = b * 0.90
    return tuple(clamp(c) for c in saturate((r, g, b), 1.05))


def log_to_linear(x):
    """A logarithmic camera curve: 0.1 stands for black, each 0.075 is one stop, and
    code 0.5 is scene grey (0.18)."""
    black = 0.1
    stops = (x - 0.5) / 0.075
    return (0.18 * 2.0**stops - 0.18 * 2.0 ** ((black - 0.5) / 0.075)) / (
        1.0 - 2.0 ** ((black - 0.5) / 0.075)
    )


def tone_map(lin):
    """Rolls highlights off so that about six stops over grey reach white."""
    if lin <= 0.0:
        return 0.0
    white = 0.18 * 2.0**6
    return lin * (1.0 + lin / (white * white)) / (1.0 + lin)


def rec709_oetf(lin):
    lin = clamp(lin)
    return 4.5 * lin if lin < 0.018 else 1.099 * lin**0.45 - 0.099


def log_to_video(rgb):
    # Scaled so that the tone-mapped white lands on 1.0.
    peak = tone_map(log_to_linear(1.0))
    return tuple(clamp(rec709_oetf(tone_map(log_to_linear(c)) / peak)) for c in rgb)


def teal_orange(rgb):
    y = luma(rgb)
    shadows = 1.0 - smoothstep(0.0, 0.55, y)
    highlights = smoothstep(0.35, 1.0, y)
    r, g, b = rgb
    # Shadows towards teal, highlights and skin towards orange.
    r += -0.06 * shadows + 0.07 * highlights
    g += 0.025 * shadows + 0.015 * highlights
    b += 0.07 * shadows - 0.09 * highlights
    return tuple(clamp(c) for c in saturate((r, g, b), 1.12))


def monitor_look(rgb):
    # A gentle display look: slight contrast, a touch of lift and a cooler white.
    r, g, b = (mix(0.02, 0.985, contrast(c, 1.08, 0.5)) for c in rgb)
    return (clamp(r * 0.985), clamp(g), clamp(b * 1.01 + 0.004))


def varicam_look(rgb):
    r, g, b = (contrast(c, 1.2, 0.4) for c in rgb)
    return tuple(clamp(c) for c in saturate((r * 1.02, g, b * 0.97), 0.92))


# ---- writers -------------------------------------------------------------------------


def nodes(size, look):
    """Output values in file order: red index fastest, blue slowest."""
    step = 1.0 / (size - 1)
    for b in range(size):
        for g in range(size):
            for r in range(size):
                yield look((r * step, g * step, b * step))


def fixed(v):
    text = "%.6f" % v
    return "0.000000" if text == "-0.000000" else text


def cube_lines(size, look, comments, title=None):
    lines = ["# " + c if c else "#" for c in comments]
    if title:
        lines.append('TITLE "%s"' % title)
    lines.append("LUT_3D_SIZE %d" % size)
    lines += [" ".join(fixed(v) for v in rgb) for rgb in nodes(size, look)]
    return lines


def cfe_lines(size, look):
    lines = [
        "LUT_3D_AUTHOR Vorn LUT Converter samples",
        "LUT_3D_MODEL CM240",
        "LUT_3D_VERSION 2.0.0",
        "LUT_3D_SIZE %d" % size,
        "",
    ]
    lines += [" ".join(fixed(v) for v in rgb) for rgb in nodes(size, look)]
    return lines


def round_half_even(v):
    return int(round(v))  # Python's round() rounds halves to even


def vlt_lines(size, look, comments):
    lines = ["# " + c for c in comments]
    lines += ["LUT_3D_SIZE %d" % size, ""]
    lines += [
        " ".join(str(round_half_even(v * 4095.0)) for v in rgb) for rgb in nodes(size, look)
    ]
    return lines


def write(folder, name, lines):
    path = os.path.normpath(os.path.join(folder, name))
    with open(path, "w", encoding="ascii", newline="\n") as f:
        f.write("\n".join(lines) + "\n")
    print("wrote", path)


SAMPLES = [
    (
        "warm-look.cube",
        lambda: cube_lines(
            17,
            warm_look,
            [
                "Warm look: reds lifted, blues lowered, gentle contrast",
                "Sample LUT made by scripts/make-samples.py",
                "Input and output: display-referred video, 0 to 1",
            ],
        ),
    ),
    (
        "log-to-video.cube",
        lambda: cube_lines(
            33,
            log_to_video,
            [
                "Log to video: a logarithmic camera curve (0.075 per stop, grey at 0.5)",
                "decoded to linear light, highlights rolled off, Rec. 709 transfer curve",
                "The same curve on each channel; no colour-space change",
                "Sample LUT made by scripts/make-samples.py",
            ],
            title="Log to video",
        ),
    ),
    (
        "teal-orange.cube",
        lambda: cube_lines(
            17,
            teal_orange,
            [
                "Teal and orange: shadows towards teal, highlights and skin towards orange",
                "Sample LUT made by scripts/make-samples.py",
            ],
        ),
    ),
    ("monitor-look.cfe", lambda: cfe_lines(17, monitor_look)),
    (
        "varicam-look.vlt",
        lambda: vlt_lines(
            17,
            varicam_look,
            [
                "Contrast look with 12-bit codes (0 to 4095)",
                "Sample LUT made by scripts/make-samples.py",
            ],
        ),
    ),
]


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "assets", "samples")
    os.makedirs(folder, exist_ok=True)
    for name, make in SAMPLES:
        write(folder, name, make())
    return 0


if __name__ == "__main__":
    sys.exit(main())
