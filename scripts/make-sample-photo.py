#!/usr/bin/env python3
"""Renders the built-in preview picture of the desktop application.

A still life in front of a landscape: a sky with a warm sun glow, distant mountains and
green hills, skin-toned and saturated spheres on a wooden table, a row of saturated colour
patches and an eleven-step grey ramp. Everything is computed here (no photographs, no
third-party pictures), so the picture is free of licence questions.

Usage: make-sample-photo.py OUTPUT.png [WIDTH HEIGHT]
Only the Python standard library is used (the PNG is written with zlib).
"""

import math
import struct
import sys
import zlib

SUPERSAMPLE = 3


def mix(a, b, t):
    return tuple(x + (y - x) * t for x, y in zip(a, b))


def clamp(v):
    return max(0.0, min(255.0, v))


def smooth(e0, e1, x):
    t = max(0.0, min(1.0, (x - e0) / (e1 - e0)))
    return t * t * (3 - 2 * t)


SUN = (0.80, 0.20)
LIGHT = (-0.45, -0.55, 0.70)
LIGHT_LEN = math.sqrt(sum(c * c for c in LIGHT))
LIGHT = tuple(c / LIGHT_LEN for c in LIGHT)

# (centre u, radius as a fraction of the height, colour)
SPHERES = [
    (0.14, 0.105, (236, 196, 168)),  # light skin
    (0.33, 0.125, (196, 132, 98)),   # medium skin
    (0.52, 0.100, (118, 76, 52)),    # deep skin
    (0.69, 0.110, (214, 34, 44)),    # saturated red
    (0.87, 0.095, (250, 196, 24)),   # saturated yellow
]
TABLE_TOP = 0.64
CHART_TOP = 0.80
RAMP_TOP = 0.90
PATCHES = [(200, 30, 35), (235, 120, 20), (245, 215, 30), (40, 160, 60),
           (20, 170, 190), (30, 70, 190), (120, 50, 170), (215, 40, 150)]


def sky(u, v):
    colour = mix((38, 88, 168), (196, 218, 238), smooth(0.0, 0.55, v))
    d = math.hypot((u - SUN[0]) * 1.25, v - SUN[1])
    colour = mix(colour, (255, 226, 170), 0.75 * math.exp(-d * 7.0))
    if d < 0.035:
        colour = mix(colour, (255, 250, 232), smooth(0.035, 0.028, d))
    for cu, cv, w, h in ((0.25, 0.17, 0.16, 0.035), (0.45, 0.11, 0.10, 0.025)):
        cloud = ((u - cu) / w) ** 2 + ((v - cv) / h) ** 2
        if cloud < 1.0:
            colour = mix(colour, (245, 245, 250), 0.6 * (1 - cloud))
    return colour


def landscape(u, v):
    far = 0.40 + 0.05 * math.sin(u * 9.0 + 1.0) + 0.03 * math.sin(u * 23.0)
    near = 0.52 + 0.035 * math.sin(u * 5.0 + 2.5) + 0.015 * math.sin(u * 17.0)
    if v >= near:
        return mix((84, 150, 62), (40, 96, 38), smooth(near, TABLE_TOP, v))
    if v >= far:
        haze = smooth(far, near, v)
        return mix((120, 138, 170), (92, 118, 140), haze)
    return sky(u, v)


def table(u, v, aspect):
    t = (v - TABLE_TOP) / (CHART_TOP - TABLE_TOP)
    grain = 0.06 * math.sin(u * 90.0 + 6.0 * math.sin(v * 40.0))
    colour = mix((168, 116, 70), (118, 76, 44), t)
    colour = tuple(c * (1 + grain) for c in colour)
    for cu, r, _ in SPHERES:
        du = (u - (cu + r * 0.35 / aspect)) * aspect / (r * 1.1)
        dv = (v - (TABLE_TOP + 0.02)) / (r * 0.28)
        d = du * du + dv * dv
        if d < 1.0:
            colour = tuple(c * (0.55 + 0.45 * d) for c in colour)
    return colour


def sphere(u, v, aspect):
    for cu, r, base in SPHERES:
        cv = TABLE_TOP + 0.02 - r
        x = (u - cu) * aspect / r
        y = (v - cv) / r
        d = x * x + y * y
        if d < 1.0:
            z = math.sqrt(1.0 - d)
            diffuse = max(0.0, x * LIGHT[0] + y * LIGHT[1] + z * LIGHT[2])
            # Reflection of the light about the normal, seen from straight ahead.
            rz = 2 * diffuse * z - LIGHT[2]
            specular = max(0.0, rz) ** 30 * 0.35
            bounce = max(0.0, y) * 0.12
            shade = 0.22 + 0.86 * diffuse + bounce
            colour = tuple(c * shade + 255 * specular for c in base)
            edge = smooth(1.0, 0.97, d)
            return colour, edge
    return None, 0.0


def chart(u, v):
    i = min(len(PATCHES) - 1, int(u * len(PATCHES)))
    local = u * len(PATCHES) - i
    if local < 0.04 or local > 0.96 or v < CHART_TOP + 0.012 or v > RAMP_TOP - 0.008:
        return (30, 30, 32)
    return PATCHES[i]


def ramp(u, v):
    step = min(10, int(u * 11))
    level = round(step * 25.5)
    local = u * 11 - step
    if v < RAMP_TOP + 0.008 or local < 0.03 or local > 0.97:
        return (30, 30, 32)
    return (level, level, level)


def scene(u, v, aspect):
    if v >= RAMP_TOP:
        return ramp(u, v)
    if v >= CHART_TOP:
        return chart(u, v)
    background = table(u, v, aspect) if v >= TABLE_TOP else landscape(u, v)
    colour, cover = sphere(u, v, aspect)
    if colour is None:
        return background
    return mix(background, colour, cover)


def render(width, height):
    aspect = width / height
    rows = []
    n = SUPERSAMPLE
    for y in range(height):
        row = bytearray([0])  # PNG filter type: none
        for x in range(width):
            acc = [0.0, 0.0, 0.0]
            for sy in range(n):
                for sx in range(n):
                    c = scene((x + (sx + 0.5) / n) / width, (y + (sy + 0.5) / n) / height, aspect)
                    acc[0] += c[0]
                    acc[1] += c[1]
                    acc[2] += c[2]
            row += bytes(int(round(clamp(a / (n * n)))) for a in acc)
        rows.append(bytes(row))
    return b"".join(rows)


def write_png(path, width, height, raw):
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    header = struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)
    with open(path, "wb") as out:
        out.write(b"\x89PNG\r\n\x1a\n")
        out.write(chunk(b"IHDR", header))
        out.write(chunk(b"IDAT", zlib.compress(raw, 9)))
        out.write(chunk(b"IEND", b""))


def main():
    if len(sys.argv) not in (2, 4):
        sys.exit(__doc__)
    width, height = (int(sys.argv[2]), int(sys.argv[3])) if len(sys.argv) == 4 else (630, 507)
    write_png(sys.argv[1], width, height, render(width, height))


if __name__ == "__main__":
    main()
